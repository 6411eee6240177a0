#pragma once

#include "ui/forms/WindowServices.h"

#include <memory>

class InstanceGuard;
class frmMain;
class frmSplash;

// Start-up: refuses a second copy, otherwise shows the splash, which hands over to the main window and is
// then deleted.
class Shell {
public:
    explicit Shell(const WindowServices& services);
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // False when another copy runs (the user was told); true when the splash is up.
    bool Main(const InstanceGuard& guard);

    // Null once the splash has handed over.
    frmSplash* splash() const { return m_splash.get(); }
    frmMain* mainWindow() const { return m_main.get(); }

private:
    void openMainWindow();

    WindowServices m_services;
    std::unique_ptr<frmSplash> m_splash;
    std::unique_ptr<frmMain> m_main;
};
