#include "app/frmMain.h"

#include "app/ToolStrip.h"
#include "app/WelcomeText.h"
#include "app/frmAbout.h"
#include "forms/Geometry.h"
#include "forms/ProgramState.h"
#include "forms/Runtime.h"
#include "forms/RuntimeError.h"
#include "label/ShowLabelWindow.h"
#include "resources/Artwork.h"
#include "settings/EmptySetting.h"
#include "settings/ProfileAccess.h"
#include "settings/Settings.h"
#include "settings/frmConfig.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace {

// Runs one step of a command, dropping any failure so that the next step still runs.
template <typename Step> void ignoringErrors(Step&& step) {
    try {
        step();
    } catch (const RuntimeError&) {
    }
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmMain");
    setWindowIcon(Artwork::MainIcon());
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(FormFont("MS Sans Serif", 8.25));

    client = new QWidget(this);
    client->setObjectName("client");
    FixClientSizeTwips(*client, 8655, 3615);
    setCentralWidget(client);

    pTools = new ToolStrip(client);
    connect(pTools, &ToolStrip::command, this, &frmMain::runToolbarCommand);

    Frame1 = new QGroupBox(client);
    Frame1->setObjectName("Frame1");
    PlaceTwips(*Frame1, 120, 720, 8415, 2775);

    lblWelcome = new QLabel("This is my ...", Frame1);
    lblWelcome->setObjectName("lblWelcome");
    lblWelcome->setWordWrap(true);
    lblWelcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTwips(*lblWelcome, 120, 240, 8175, 2415);

    QMenuBar* bar = menuBar();
    mnuConfig = bar->addAction("&Configure");
    mnuConfig->setObjectName("mnuConfig");
    mnuExamine = bar->addAction("&Examine Disk");
    mnuExamine->setObjectName("mnuExamine");
    mnuPrint = bar->addAction("&Print Label");
    mnuPrint->setObjectName("mnuPrint");
    mnuQuit = bar->addAction("&Quit");
    mnuQuit->setObjectName("mnuQuit");
    // A blank item that only spaces Help away from the commands.
    mnuS1 = bar->addAction(" ");
    mnuS1->setObjectName("mnuS1");
    mnuHelp = bar->addMenu("&Help");
    mnuHelp->setObjectName("mnuHelp");
    mnuAbout = mnuHelp->addAction("&About Marquell ...");
    mnuAbout->setObjectName("mnuAbout");

    connect(mnuConfig, &QAction::triggered, this, &frmMain::mnuConfig_Click);
    connect(mnuExamine, &QAction::triggered, this, &frmMain::mnuExamine_Click);
    connect(mnuPrint, &QAction::triggered, this, &frmMain::mnuPrint_Click);
    connect(mnuQuit, &QAction::triggered, this, &frmMain::mnuQuit_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);

    adjustSize();
    setFixedSize(sizeHint());
}

void frmMain::Form_Load() {
    CentreOnScreen(*this);
    setWindowTitle(ProductTitle);
    lblWelcome->setText(QString::fromStdString(WelcomeText()));
    Program().FirstRun = SortsAtOrBelowSpace(ProfileAccess("GET", "GLOBAL", "COMPANY"));
    if (Program().FirstRun) {
        ShowConfigDialog(this);
    }
}

void frmMain::mnuConfig_Click() {
    ShowConfigDialog(this);
}

void frmMain::mnuExamine_Click() {
    ignoringErrors([] { LoadSettings(); });
    ignoringErrors([this] { ShowLabelWindow(this); });
}

void frmMain::mnuPrint_Click() {
    ignoringErrors([] { LoadSettings(); });
    Program().AutoPrint = true;
    ignoringErrors([this] { ShowLabelWindow(this); });
}

void frmMain::mnuAbout_Click() {
    ShowAboutBox(this);
}

void frmMain::mnuQuit_Click() {
    EndProgram();
}

void frmMain::runToolbarCommand(int button) {
    switch (button) {
    case 1:
        mnuConfig_Click();
        break;
    case 2:
        mnuExamine_Click();
        break;
    case 3:
        mnuPrint_Click();
        break;
    case 4:
        mnuQuit_Click();
        break;
    default:
        break;
    }
}
