#include "app/Shell.h"

#include "app/InstanceGuard.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "forms/Runtime.h"

#include <string>

Shell::Shell() = default;
Shell::~Shell() = default;

bool Shell::Main(const InstanceGuard& guard) {
    if (guard.PrevInstance()) {
        MsgBox(std::string("An instance of ") + ProductTitle + " is currently active", 0,
               std::string(ApplicationTitle));
        return false;
    }
    m_splash = std::make_unique<frmSplash>([this] { openMainWindow(); });
    m_splash->Form_Load();
    m_splash->show();
    return true;
}

void Shell::openMainWindow() {
    m_main = std::make_unique<frmMain>();
    m_main->Form_Load();
    m_main->show();
}
