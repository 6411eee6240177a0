#pragma once

#include <memory>

class Catalogue;
class Clock;
class DriveService;
class LocaleFormats;
class MessageService;
class ProfileService;
class ProgramTerminator;

// The platform services that the program's logic reaches through seams. The real ones are chosen where the
// program starts and handed to each window and routine that needs them; tests hand in fakes.
//
// Any member may be null; what then happens is fixed per member, and every user keeps to it.
struct Services {
    // Null: reading or writing a setting raises "Object required" (ProfileAccess), which its caller
    // handles; a window that can do without its settings checks first.
    std::shared_ptr<ProfileService> profile;
    // Null: a machine without drives. The drive list is empty; reading a disk raises "Object required"
    // (GetDiskInfo), handled as any disk that cannot be read.
    std::shared_ptr<DriveService> drives;
    // Null: every message box is answered OK at once (MsgBox).
    std::shared_ptr<MessageService> messages;
    // Null: the program ends through the C library (EndProgram).
    std::shared_ptr<ProgramTerminator> terminator;
    // Null: the system clock. Read it through Now or ClockOf.
    std::shared_ptr<Clock> clock;
    // Null: the C locale's formats. Read them through FormatsOf.
    std::shared_ptr<LocaleFormats> formats;
    // Null: no catalogue is kept; nothing is recognised or recorded, and the program is as without one.
    std::shared_ptr<Catalogue> catalogue;
};
