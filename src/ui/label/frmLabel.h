#pragma once

#include "core/catalogue/DiskRecord.h"
#include "ui/forms/WindowServices.h"
#include "ui/graphics/CLogo.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>

class DriveListBox;
class FolderListBox;
class PictureBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Printer;
struct WalkPlace;

// The label window: examines the disk in the Zip drive and, laid out at the size of the label
// (6510 x 5400 twips), is the label that printing puts on paper.
class frmLabel final : public QDialog {
    Q_OBJECT
public:
    // `printAtOnce`: Print Label's window, which prints as soon as it has loaded.
    explicit frmLabel(const WindowServices& services, QWidget* parent = nullptr, bool printAtOnce = false);
    ~frmLabel() override;
    frmLabel(const frmLabel&) = delete;
    frmLabel& operator=(const frmLabel&) = delete;

    // Fills the label of `frm` from the settings and the disk. Never fails: an error shows the message
    // that the disk could not be read and closes this window.
    void SetFormValues(frmLabel& frm);
    // Sizes the used-space bar for a used percentage (full: 4900 twips).
    void ShowProgBar(double usedPercent);

    // Caption, logo strip, centring and the label's texts; in Print Label's window it also shows, prints and
    // closes the window. The window may be closed when this returns: see isLoaded().
    void Form_Load();

    // False once the window has closed itself (Cancel, Print, or a disk that could not be read).
    bool isLoaded() const { return m_loaded; }
    // The width last given to the used-space bar, in twips (the box itself snaps to whole pixels).
    float progBarWidthTwips() const { return m_progBarTwips; }
    // The logo painter of the strip.
    const CLogo& logo() const { return m_logo; }

    PictureBox* picProgBar = nullptr;
    PictureBox* Picture2 = nullptr;
    FolderListBox* dirList = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdPrint = nullptr;
    PictureBox* picLogo = nullptr;
    QLineEdit* txtID = nullptr;
    DriveListBox* drvList = nullptr;
    PictureBox* Picture1 = nullptr;
    QLabel* lblDrvSpace = nullptr;
    QLabel* lblNameTag = nullptr;
    QLabel* lblRJValues = nullptr;
    QLabel* lblDateTime = nullptr;
    QLabel* lblVTag = nullptr;

public slots:
    void cmdPrint_Click();
    void cmdRefresh_Click();
    void DirList_LostFocus();
    void drvList_Change();
    void Form_Resize();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Lists the folders of a drive and remembers it as the drive the folder list shows.
    void listDrive(const std::string& root);
    void drawProgBarPicture();
    // Closes the window; a modal showing returns.
    void unload();
    // The folder a drive's medium can be browsed at; a drive without a medium cannot be listed.
    std::string folderOfDrive(const std::string& root) const;
    // The catalogued disk the examined one is, if any; the label then shows that disk's number.
    void recogniseDisk();
    // Asks whether a catalogued disk is printed again under its own number.
    bool askReprint();
    // Records the printed label in the catalogue and starts the walk of its tree.
    void recordPrinted(std::int16_t number, std::int64_t knownId);
    // Prints a new label under the number the shared catalogue gives, or, when it cannot be reached and the
    // user agrees, under this desk's own next number, recorded once the catalogue is back.
    void printShared(Printer& printer);
    // Puts the number on the label and prints it; whether the printer took it (the user is told if not).
    bool printNumbered(Printer& printer, std::int16_t number);
    // Where the examined disk's tree is walked; no folder when the disk is gone.
    WalkPlace walkPlace();
    // Shows what the catalogue has to tell, one message at a time.
    void showCatalogueMessages();
    // Shows a number on the label, across and down.
    void showDiskNumber(std::int16_t number);

    WindowServices m_services;
    CLogo m_logo;
    std::string m_listedDrive;
    std::optional<DiskRecord> m_known;
    float m_progBarTwips = 0.0f;
    bool m_loaded = true;
    bool m_printAtOnce = false;
    bool m_inDriveChange = false;
};
