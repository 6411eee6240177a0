#pragma once

#include "ui/forms/WindowServices.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class ToolStrip;
class frmCatalogue;

// The program's hub: the welcome text, the picture toolbar and the menu bar that reach every command.
class frmMain final : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(const WindowServices& services, QWidget* parent = nullptr);
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Centres the window, fills its texts and, on a first run, opens the configuration dialog before the
    // window is ever seen.
    void Form_Load();

    QWidget* client = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* lblWelcome = nullptr;
    ToolStrip* pTools = nullptr;

    QAction* mnuConfig = nullptr;
    QAction* mnuExamine = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuCatalogue = nullptr;
    QAction* mnuQuit = nullptr;
    QAction* mnuS1 = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;

public slots:
    void mnuConfig_Click();
    void mnuExamine_Click();
    void mnuPrint_Click();
    void mnuCatalogue_Click();
    void mnuAbout_Click();
    void mnuQuit_Click();

protected:
    // Closing the main window ends the program as Quit does, whatever other window is still open.
    void closeEvent(QCloseEvent* event) override;

private:
    void runToolbarCommand(int button);
    // The title tells of a disk being catalogued in the background, and how far it has come.
    void showCatalogueProgress();

    WindowServices m_services;
    // The one Catalogue window, while it is open.
    QPointer<frmCatalogue> m_catalogueWindow;
};
