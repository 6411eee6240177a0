#pragma once

#include <cstdint>
#include <memory>
#include <string>

class Clock;
class DriveService;
class MessageService;
class ModalRunner;
class PrinterProvider;
class ProfileService;
class ProgramTerminator;

// The facts of the examined disk, overwritten field by field by each examination.
struct DiskFactsRecord {
    std::string DriveTypeName;
    double FreeMB = 0.0;
    double CapacityMB = 0.0;
    std::string VolumeName;
    std::string SerialText;
};

// The platform services the program reaches through seams; the real ones are chosen where the program
// starts, tests put in fakes.
struct PlatformServices {
    std::shared_ptr<ProfileService> profile;
    std::shared_ptr<DriveService> drives;
    std::shared_ptr<MessageService> messages;
    std::shared_ptr<ProgramTerminator> terminator;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<PrinterProvider> printer;
    std::shared_ptr<ModalRunner> modal;
};

// The one program-wide state: settings, the examined disk, the two flags and the platform seams.
struct ProgramState {
    std::string OwnerBlock;
    std::string ZipDrive;
    std::int16_t NextDiskNumber = 0;
    DiskFactsRecord DiskFacts;
    bool FirstRun = false;
    bool AutoPrint = false;

    PlatformServices services;
};

ProgramState& Program();

// Back to the initial values (services included); tests call it between cases.
void ResetProgram();
