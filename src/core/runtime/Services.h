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
struct Services {
    std::shared_ptr<ProfileService> profile;
    std::shared_ptr<DriveService> drives;
    std::shared_ptr<MessageService> messages;
    std::shared_ptr<ProgramTerminator> terminator;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<LocaleFormats> formats;
    // Remembers labelled disks; none leaves the program as it was without a catalogue.
    std::shared_ptr<Catalogue> catalogue;
};
