#include "ui/app/frmMain.h"

#include "core/app/WelcomeText.h"
#include "core/catalogue/Catalogue.h"
#include "core/runtime/ProgramState.h"
#include "core/runtime/Runtime.h"
#include "core/runtime/RuntimeError.h"
#include "core/settings/EmptySetting.h"
#include "core/settings/ProfileAccess.h"
#include "core/settings/Settings.h"
#include "ui/app/ToolStrip.h"
#include "ui/app/frmAbout.h"
#include "ui/catalogue/frmCatalogue.h"
#include "ui/forms/Geometry.h"
#include "ui/label/ShowLabelWindow.h"
#include "ui/resources/Artwork.h"
#include "ui/settings/frmConfig.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

namespace {

// Runs one step of a command, dropping any failure so that the next step still runs.
template <typename Step> void IgnoringErrors(Step&& step) {
    try {
        step();
    } catch (const RuntimeError&) {
    }
}

} // namespace

frmMain::frmMain(const WindowServices& services, QWidget* parent)
    : QMainWindow(parent), m_services(services) {
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
    mnuCatalogue = bar->addAction("Ca&talogue");
    mnuCatalogue->setObjectName("mnuCatalogue");
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
    connect(mnuCatalogue, &QAction::triggered, this, &frmMain::mnuCatalogue_Click);
    connect(mnuQuit, &QAction::triggered, this, &frmMain::mnuQuit_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);

    adjustSize();
    setFixedSize(sizeHint());

    if (m_services.catalogue) {
        // The walk reports from its own thread; the title changes on this one.
        m_services.catalogue->setProgressListener([window = QPointer<frmMain>(this)] {
            QMetaObject::invokeMethod(
                window,
                [window] {
                    if (window) {
                        window->showCatalogueProgress();
                    }
                },
                Qt::QueuedConnection);
        });
    }
}

frmMain::~frmMain() {
    if (m_services.catalogue) {
        m_services.catalogue->setProgressListener(nullptr);
    }
}

void frmMain::showCatalogueProgress() {
    const CatalogueProgress progress = m_services.catalogue->progress();
    if (m_catalogueWindow) {
        m_catalogueWindow->showCatalogueProgress(progress);
    }
    if (progress.walking) {
        setWindowTitle(QString::fromUtf8("%1 \u2014 cataloguing #%2, %3 %")
                           .arg(ProductTitle)
                           .arg(progress.diskNumber)
                           .arg(progress.percent));
        return;
    }
    setWindowTitle(ProductTitle);
    while (const auto message = m_services.catalogue->takeMessage()) {
        MsgBox(m_services, *message, 0);
    }
}

void frmMain::Form_Load() {
    CentreOnScreen(*this);
    setWindowTitle(ProductTitle);
    lblWelcome->setText(QString::fromStdString(WelcomeText()));
    // Settings that cannot be read are not settings never made: the user hears why, and no first-run
    // dialog offers to save placeholders in their place.
    const Result<std::string> company = ProfileGet(m_services, "GLOBAL", "COMPANY");
    Program().FirstRun = company && SortsAtOrBelowSpace(*company);
    if (!company) {
        MsgBox(m_services, ProfileUnreadableMessage(m_services, company.reason()), 0);
    }
    if (Program().FirstRun) {
        ShowConfigDialog(m_services, this);
    } else if (m_services.catalogue) {
        // Once the window is up: a disk whose walk never finished (the program was ended mid-walk) is
        // named with how to finish it.
        QTimer::singleShot(0, this, [this] {
            if (const auto unfinished = m_services.catalogue->unfinishedMessage()) {
                MsgBox(m_services, *unfinished, 0);
            }
        });
    }
}

void frmMain::mnuConfig_Click() {
    ShowConfigDialog(m_services, this);
}

void frmMain::mnuExamine_Click() {
    IgnoringErrors([this] { LoadSettings(m_services); });
    IgnoringErrors([this] { ShowLabelWindow(m_services, this); });
}

void frmMain::mnuPrint_Click() {
    IgnoringErrors([this] { LoadSettings(m_services); });
    IgnoringErrors([this] { ShowLabelWindow(m_services, this, LabelAction::Print); });
}

void frmMain::mnuCatalogue_Click() {
    if (m_catalogueWindow) {
        m_catalogueWindow->setWindowState(m_catalogueWindow->windowState() & ~Qt::WindowMinimized);
        m_catalogueWindow->show();
        m_catalogueWindow->raise();
        m_catalogueWindow->activateWindow();
        return;
    }
    auto* window = new frmCatalogue(m_services, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_catalogueWindow = window;
    window->Form_Load();
    window->show();
}

void frmMain::mnuAbout_Click() {
    ShowAboutBox(m_services, this);
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    mnuQuit_Click();
}

void frmMain::mnuQuit_Click() {
    EndProgram(m_services);
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
