#pragma once

#include "ui/forms/WindowServices.h"

#include <memory>
#include <string>

class DriveService;

// The real services of a desktop session: the profile in the user's configuration folder, message boxes,
// the system clock, the user's locale, the given drive service, and the default printer through the
// printing library `printLibrary`.
WindowServices DesktopServices(std::shared_ptr<DriveService> drives, const std::string& printLibrary);

// Names the application as the version information does, starts the single-instance guard and the splash,
// and runs the event loop. Call with the QApplication made.
int RunDesktopProgram(const WindowServices& services);
