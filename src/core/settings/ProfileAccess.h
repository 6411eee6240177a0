#pragma once

#include "core/runtime/Result.h"
#include "core/settings/ProfileService.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct Services;

// A value for WRITE: absent, null, text, or a whole number (stored as its decimal text).
using ProfileValue = std::variant<std::monostate, std::nullptr_t, std::string, std::int64_t>;

// The one routine that reads or writes a key of the profile (through the profile service).
// Mode "GET" or "WRITE" (any case). Returns the stored value (at most 49 characters, or the empty text),
// "OK" for an accepted WRITE or another mode, or "ERROR MODE" / "ERROR Secname" / "ERROR Keyname" /
// "ERROR KeyValue" / "ERROR Write". A profile that cannot be read reads as the empty text here; ProfileGet
// tells why.
std::string ProfileAccess(const Services& services, std::string_view Mode, std::string_view SecName,
                          std::string_view KeyName, const ProfileValue& KeyValue = {});

// GET for callers that must tell settings that cannot be read from settings not made yet: the value as
// ProfileAccess gives it, or why the profile cannot be read. A failure of the service itself ends the
// program as in ProfileAccess.
Result<std::string> ProfileGet(const Services& services, std::string_view SecName, std::string_view KeyName);

// What the user is told when the profile cannot be read: where it is, why, and that it is left alone.
std::string ProfileUnreadableMessage(const Services& services, const std::string& reason);

// One key of several written together.
struct ProfileWrite {
    std::string SecName;
    std::string KeyName;
    ProfileValue KeyValue;
};

// WRITE for several keys at once, for callers that must know what became of each and why: a key refused
// for its name or value does not stop the others, which go to the profile together, in one replace of the
// file. Gives each key's status, or why the file could not be written. A failure of the service itself
// ends the program as in ProfileAccess.
Result<ProfileStatuses> ProfileWriteKeys(const Services& services, const std::vector<ProfileWrite>& writes);

// The status text ProfileAccess gives for what became of a written key ("ERROR Write" is a write that did
// not reach the file).
std::string ProfileStatusText(ProfileStatus status);
