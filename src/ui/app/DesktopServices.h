#pragma once

#include "ui/forms/WindowServices.h"

#include <memory>

class DriveService;

// The real services of a desktop session: the profile in the user's configuration folder, message boxes,
// the system clock, the user's locale, the default printer, and the given drive service.
WindowServices DesktopServices(std::shared_ptr<DriveService> drives);

// Names the application as the version information does, starts the single-instance guard and the splash,
// and runs the event loop. Call with the QApplication made.
int RunDesktopProgram(const WindowServices& services);
