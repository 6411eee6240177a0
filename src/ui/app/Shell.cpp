#include "ui/app/Shell.h"

#include "core/runtime/Runtime.h"
#include "ui/app/InstanceGuard.h"
#include "ui/app/frmMain.h"
#include "ui/app/frmSplash.h"
#include "ui/forms/Geometry.h"
#include "ui/resources/Artwork.h"

#include <QTimer>

#include <string>

Shell::Shell(const WindowServices& services) : m_services(services) {}
Shell::~Shell() = default;

bool Shell::Main(const InstanceGuard& guard) {
    if (guard.PrevInstance()) {
        MsgBox(m_services, std::string("An instance of ") + ProductTitle + " is currently active", 0,
               std::string(ApplicationTitle));
        return false;
    }
    m_splash = std::make_unique<frmSplash>(m_services, [this] { openMainWindow(); });
    // Shown before it is filled: measuring its texts loads their fonts, which can wait until the window is
    // on its way to the screen (its size and place are known already).
    CentreOnScreen(*m_splash);
    m_splash->show();
    m_splash->Form_Load();
    // The splash has no title bar, so its icon is never seen: it is drawn once the splash is up, not
    // before.
    m_splash->setWindowIcon(Artwork::SplashIcon());
    return true;
}

void Shell::openMainWindow() {
    m_main = std::make_unique<frmMain>(m_services);
    m_main->Form_Load();
    m_main->show();
    // The splash is never shown again: it goes, with its window and pictures, at the next turn of the
    // event loop (it is still unloading now), before the main window draws itself.
    QTimer::singleShot(0, m_main.get(), [this] { m_splash.reset(); });
}
