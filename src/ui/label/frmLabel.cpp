// The label window: building it and filling it with the examined disk's facts.
#include "ui/label/frmLabel.h"

#include "core/disks/DiskInfo.h"
#include "core/disks/DriveService.h"
#include "core/disks/FolderListing.h"
#include "core/label/LabelComposition.h"
#include "core/label/LabelText.h"
#include "core/label/ProgBarWidth.h"
#include "core/runtime/LocaleFormats.h"
#include "core/runtime/ProgramState.h"
#include "core/runtime/Runtime.h"
#include "core/runtime/RuntimeError.h"
#include "core/settings/ProfileAccess.h"
#include "ui/forms/DriveListBox.h"
#include "ui/forms/FolderListBox.h"
#include "ui/forms/Geometry.h"
#include "ui/forms/PictureBox.h"
#include "ui/forms/SharedPalettes.h"
#include "ui/forms/SystemColors.h"
#include "ui/label/UsedSpaceBarImage.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>
#include <initializer_list>

namespace {

constexpr int ClientWidth = 6510;
constexpr int ClientHeight = 5400;

const char* const DiskUnreadableMessage = "Unable to get Zip disk information.  \r\n"
                                          "Either the Zip drive is not correctly Configured, or No Zip"
                                          " disk loaded in drive !! ";

QColor ColorOf(std::uint32_t value) {
    const std::uint32_t bgr = TranslateColor(value);
    return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                  static_cast<int>((bgr >> 16) & 0xFFu));
}

// Background and text colors of a control, as color values.
void SetColors(QWidget& widget, std::uint32_t back, std::uint32_t fore) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, ColorOf(back));
    palette.setColor(QPalette::WindowText, ColorOf(fore));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void SetTransparent(QLabel& label, std::uint32_t fore) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, ColorOf(fore));
    label.setPalette(palette);
    label.setAutoFillBackground(false);
}

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

// Labels keep the CR LF of their texts; Qt breaks lines at the LF alone.
QString LabelText(const std::string& s) {
    QString text = Text(s);
    text.remove(QLatin1Char('\r'));
    return text;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTwips(*label, left, top, width, height);
    return label;
}

PictureBox* MakePictureBox(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* box = new PictureBox(parent);
    box->setObjectName(name);
    PlaceTwips(*box, left, top, width, height);
    return box;
}

} // namespace

frmLabel::frmLabel(const WindowServices& services, QWidget* parent, bool printAtOnce)
    : QDialog(parent), m_services(services), m_printAtOnce(printAtOnce) {
    setObjectName("frmLabel");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    FixClientSizeTwips(*this, ClientWidth, ClientHeight);
    SetColors(*this, SystemColor::MenuBar, SystemColor::HighlightText);
    setFont(FormFont("Arial Black", 9.75));
    const QFont sansSerif = FormFont("MS Sans Serif", 8.25);
    const QFont comic = FormFont("Comic Sans MS", 9);

    picProgBar = MakePictureBox(this, "picProgBar", 440, 4950, 4900, 325);

    Picture2 = MakePictureBox(this, "Picture2", 400, 4920, 4935, 375);
    SetColors(*Picture2, SystemColor::Window, SystemColor::WindowText);
    Picture2->setForeColor(SystemColor::WindowText);

    dirList = new FolderListBox(this);
    dirList->setObjectName("dirList");
    dirList->setFont(sansSerif);
    PlaceTwips(*dirList, 400, 480, 2535, 3915);

    cmdRefresh = new QPushButton("Cancel", this);
    cmdRefresh->setObjectName("cmdRefresh");
    cmdRefresh->setFont(comic);
    PlaceTwips(*cmdRefresh, 3120, 4200, 855, 615);

    cmdPrint = new QPushButton("Print", this);
    cmdPrint->setObjectName("cmdPrint");
    cmdPrint->setFont(comic);
    PlaceTwips(*cmdPrint, 4080, 4200, 855, 615);
    for (QPushButton* button : {cmdRefresh, cmdPrint}) {
        button->setAutoDefault(false);
    }

    picLogo = MakePictureBox(this, "picLogo", 0, 0, 375, 4815);
    picLogo->setFont(FormFont("Arial", 14.25, true, true));
    picLogo->setForeColor(SystemColor::HighlightText);

    txtID = new QLineEdit(this);
    txtID->setObjectName("txtID");
    txtID->setFont(FormFont("Arial Rounded MT Bold", 18, true));
    txtID->setAlignment(Qt::AlignCenter);
    PlaceTwips(*txtID, 3360, 1400, 1600, 525);

    drvList = new DriveListBox(m_services.drives, this);
    drvList->setObjectName("drvList");
    drvList->setFont(sansSerif);
    PlaceTwips(*drvList, 400, 120, 2535, 315);

    Picture1 = MakePictureBox(this, "Picture1", 0, 0, 5450, 5175);
    Picture1->setFont(sansSerif);
    SetColors(*Picture1, SystemColor::ActiveBorder, SystemColor::WindowText);
    Picture1->setForeColor(SystemColor::WindowText);

    lblDrvSpace = MakeLabel(Picture1, "lblDrvSpace", 3000, 1995, 1005, 1965);
    lblDrvSpace->setWordWrap(true);
    SetTransparent(*lblDrvSpace, SystemColor::WindowText);

    lblNameTag = MakeLabel(Picture1, "lblNameTag", 3000, 120, 2235, 1100);
    SetColors(*lblNameTag, SystemColor::ButtonFace, SystemColor::WindowText);

    lblRJValues = MakeLabel(Picture1, "lblRJValues", 3960, 1995, 1350, 2085);
    lblRJValues->setAlignment(Qt::AlignRight | Qt::AlignTop);
    SetColors(*lblRJValues, SystemColor::ButtonFace, SystemColor::WindowText);

    lblDateTime = MakeLabel(Picture1, "lblDateTime", 480, 4600, 2415, 250);
    SetTransparent(*lblDateTime, SystemColor::WindowText);

    lblVTag = MakeLabel(this, "lblVTag", 5520, 120, 375, 5175);
    lblVTag->setFont(FormFont("Comic Sans MS", 14.25, true));
    lblVTag->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblVTag->setWordWrap(true);
    lblVTag->setFrameShape(QFrame::Box);
    lblVTag->setLineWidth(1);
    SetColors(*lblVTag, SystemColor::Window, SystemColor::WindowText);

    for (QLabel* label : {lblDrvSpace, lblNameTag, lblRJValues, lblDateTime}) {
        label->setFont(sansSerif);
    }

    // Stacking order, topmost first; within the panel the four labels in the same way.
    const std::initializer_list<QWidget*> onWindow = {picProgBar, Picture2, dirList, cmdRefresh, cmdPrint,
                                                      picLogo,    txtID,    drvList, Picture1,   lblVTag};
    std::for_each(std::rbegin(onWindow), std::rend(onWindow), [](QWidget* w) { w->raise(); });
    const std::initializer_list<QWidget*> onPanel = {lblDrvSpace, lblNameTag, lblRJValues, lblDateTime};
    std::for_each(std::rbegin(onPanel), std::rend(onPanel), [](QWidget* w) { w->raise(); });

    // Tab order by tab index: drive list, number, Print, Cancel, folder list.
    QWidget::setTabOrder(drvList, txtID);
    QWidget::setTabOrder(txtID, cmdPrint);
    QWidget::setTabOrder(cmdPrint, cmdRefresh);
    QWidget::setTabOrder(cmdRefresh, dirList);

    connect(cmdPrint, &QPushButton::clicked, this, &frmLabel::cmdPrint_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmLabel::cmdRefresh_Click);
    connect(drvList, &DriveListBox::Change, this, &frmLabel::drvList_Change);
    connect(dirList, &FolderListBox::LostFocus, this, &frmLabel::DirList_LostFocus);

    // A label window is made for every Examine: its widgets reuse the style's pictures of the last one.
    ShareIdenticalPalettes(*this);
}

frmLabel::~frmLabel() {
    // A window destroyed while shown hands its focus on from QWidget's destructor: the folder list's
    // LostFocus must not reach this window, which is already gone by then.
    dirList->disconnect(this);
}

void frmLabel::Form_Load() {
    setWindowTitle(ProductTitle);
    m_logo.setDrawingObject(picLogo);
    // The company as stored now, not as the settings were last loaded.
    m_logo.setCaption(ProfileAccess(m_services, "GET", "GLOBAL", "COMPANY"));
    CentreOnScreen(*this);
    SetFormValues(*this);
    if (m_loaded && m_printAtOnce) {
        show();
        cmdPrint_Click();
    }
}

void frmLabel::SetFormValues(frmLabel& frm) {
    try {
        ProgramState& program = Program();
        frm.lblNameTag->setText(LabelText(program.OwnerBlock));
        frm.txtID->setText(Text(DiskNumberText(program.NextDiskNumber)));

        DiskFactsRecord& facts = program.DiskFacts;
        GetDiskInfo(m_services, program.ZipDrive, facts);
        recogniseDisk();

        const std::vector<std::string>& roots = frm.drvList->roots();
        if (std::find(roots.begin(), roots.end(), program.ZipDrive) != roots.end()) {
            frm.drvList->setDrive(program.ZipDrive); // its change lists the drive's folders already
            const std::string drive = frm.drvList->drive();
            if (frm.m_listedDrive != drive || frm.dirList->path() != NormalFolderPath(folderOfDrive(drive))) {
                frm.listDrive(drive);
            }
        } else {
            // A folder typed as the drive has no entry in the drive list; its folders are listed all the
            // same. An unknown device fails here.
            frm.dirList->setPath(folderOfDrive(program.ZipDrive));
        }

        std::string number = frm.txtID->text().toStdString();
        frm.lblVTag->setText(LabelText(VerticalText(number)));
        const std::string captions = CaptionColumn();
        frm.lblDateTime->setText(Text(DateTimeLine(ClockOf(m_services), FormatsOf(m_services))));
        frm.lblDrvSpace->setText(LabelText(captions));
        const std::string values = ValueColumn(facts, FormatsOf(m_services).decimalSeparator());
        frm.lblRJValues->setText(LabelText(values));
        ShowProgBar(UsedPercentage(facts));
    } catch (const RuntimeError&) {
        MsgBox(m_services, DiskUnreadableMessage, 0);
        cmdRefresh_Click();
    }
}

void frmLabel::ShowProgBar(double usedPercent) {
    const float width = ProgBarWidthTwips(usedPercent);
    picProgBar->setVisible(true);
    m_progBarTwips = width;
    picProgBar->setWidthTwips(width);
    drawProgBarPicture();
}

void frmLabel::drawProgBarPicture() {
    // The picture sits at the box's top left; a narrow bar shows only its blue end.
    static const QImage picture = UsedSpaceBarImage();
    QImage& image = picProgBar->image();
    image.fill(picProgBar->palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.drawImage(0, 0, picture);
    painter.end();
    picProgBar->update();
}

void frmLabel::Form_Resize() {
    try {
        picLogo->setHeightTwips(ClientHeight);
    } catch (const RuntimeError&) {
        // The strip keeps its height; it is drawn all the same.
    }
    m_logo.Draw();
}

void frmLabel::cmdRefresh_Click() {
    unload();
}

void frmLabel::unload() {
    m_loaded = false;
    done(QDialog::Rejected);
}

std::string frmLabel::folderOfDrive(const std::string& root) const {
    if (!m_services.drives) {
        throw RuntimeError(RuntimeError::ObjectRequired);
    }
    const Result<std::string> folder = m_services.drives->mountPoint(root);
    if (!folder || folder->empty()) {
        throw RuntimeError(RuntimeError::DeviceUnavailable);
    }
    return *folder;
}

void frmLabel::listDrive(const std::string& root) {
    dirList->setPath(folderOfDrive(root));
    m_listedDrive = root;
}

void frmLabel::drvList_Change() {
    if (m_inDriveChange) {
        return;
    }
    m_inDriveChange = true;
    try {
        listDrive(drvList->drive());
    } catch (const RuntimeError&) {
        // No disk, or one that cannot be read: back to the drive whose folders are still listed.
        if (!m_listedDrive.empty()) {
            try {
                drvList->setDrive(m_listedDrive);
            } catch (const RuntimeError&) {
            }
        }
    }
    m_inDriveChange = false;
}

void frmLabel::DirList_LostFocus() {
    const std::string selected = dirList->list(dirList->listIndex());
    if (selected.empty() || selected == dirList->path()) {
        return;
    }
    try {
        dirList->setPath(selected);
    } catch (const RuntimeError&) {
        // The folder went away (the disk was taken out): the list stays where it was.
    }
}

void frmLabel::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        Form_Resize();
    }
}

void frmLabel::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The first showing paints the strip through showEvent.
    if (isVisible()) {
        Form_Resize();
    }
}

void frmLabel::closeEvent(QCloseEvent* event) {
    // The title bar's close button unloads the window without running Cancel.
    m_loaded = false;
    QDialog::closeEvent(event);
}
