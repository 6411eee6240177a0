#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class ProfileService;

// A value for WRITE: absent, null, text, or a whole number (stored as its decimal text).
using ProfileValue = std::variant<std::monostate, std::nullptr_t, std::string, std::int64_t>;

// The one routine that reads or writes a key of the profile (through Program().services.profile).
// Mode "GET" or "WRITE" (any case). Returns the stored value (at most 49 characters, or the empty text),
// "OK" for an accepted WRITE or another mode, or "ERROR MODE" / "ERROR Secname" / "ERROR Keyname" /
// "ERROR KeyValue" / "ERROR Write".
std::string ProfileAccess(std::string_view Mode, std::string_view SecName, std::string_view KeyName,
                          const ProfileValue& KeyValue = {});

// One WRITE of several done together.
struct ProfileWrite {
    std::string SecName;
    std::string KeyName;
    ProfileValue KeyValue;
};

// WRITE for several keys at once. Each key gets the status ProfileAccess would give it ("OK",
// "ERROR Secname", "ERROR Keyname", "ERROR KeyValue" or "ERROR Write"); a key refused for its name or value
// does not stop the others, which go to the profile together, in one replace of the file.
std::vector<std::string> ProfileAccessWriteMany(const std::vector<ProfileWrite>& writes);
