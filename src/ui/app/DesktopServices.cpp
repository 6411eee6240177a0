#include "ui/app/DesktopServices.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CataloguePath.h"
#include "core/runtime/Clock.h"
#include "core/runtime/ExitTerminator.h"
#include "core/runtime/Runtime.h"
#include "core/settings/CatalogueSetting.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/ProfilePath.h"
#include "ui/app/InstanceGuard.h"
#include "ui/app/SessionEnd.h"
#include "ui/app/Shell.h"
#include "ui/forms/ProgramStyle.h"
#include "ui/forms/QtLocaleFormats.h"
#include "ui/forms/QtMessageService.h"
#include "ui/forms/SystemPrinterProvider.h"

#include <QApplication>
#include <QSessionManager>

WindowServices DesktopServices(std::shared_ptr<DriveService> drives, const std::string& printLibrary) {
    WindowServices services;
    services.profile = std::make_shared<IniProfileStore>(DefaultProfilePath());
    services.drives = std::move(drives);
    services.messages = std::make_shared<QtMessageService>();
    services.clock = std::make_shared<SystemClock>();
    services.formats = std::make_shared<QtLocaleFormats>();
    services.printer = std::make_shared<SystemPrinterProvider>(printLibrary);
    // Opened when a disk is first examined, never at start-up.
    services.catalogue = std::make_shared<Catalogue>(DefaultCataloguePath().string(), services.clock,
                                                     ConfiguredServer(*services.profile));
    // Quitting during a walk stops it first (what it recorded stays, marked incomplete), and the catalogue
    // is closed with everything in its main file, so that a copy of that file alone is whole.
    services.terminator = std::make_shared<ExitTerminator>([catalogue = std::weak_ptr(services.catalogue)] {
        if (const auto open = catalogue.lock()) {
            open->close();
        }
    });
    return services;
}

int RunDesktopProgram(const WindowServices& services) {
    QApplication::setOrganizationName("Vantrell");
    QApplication::setApplicationName("Tesslin1");
    QApplication::setApplicationVersion("1.00");
    // The application owns its style; the style it had (the user's choice) is the new one's base.
    QApplication::setStyle(new ProgramStyle(QApplication::style()));

    const InstanceGuard guard;
    // The end of the session (or a kill) ends the program as Quit does; asked to save before it, the
    // catalogue is closed whole at once, in case the session does not wait.
    const SessionEnd sessionEnd([services] { EndProgram(services); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, [catalogue = services.catalogue] {
        if (catalogue) {
            catalogue->close();
        }
    });
    Shell shell(services);
    if (!shell.Main(guard)) {
        return 0;
    }
    return QApplication::exec();
}
