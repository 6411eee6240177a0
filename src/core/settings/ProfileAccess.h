#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

struct Services;

// A value for WRITE: absent, null, text, or a whole number (stored as its decimal text).
using ProfileValue = std::variant<std::monostate, std::nullptr_t, std::string, std::int64_t>;

// The one routine that reads or writes a key of the profile (through the profile service).
// Mode "GET" or "WRITE" (any case). Returns the stored value (at most 49 characters, or the empty text),
// "OK" for an accepted WRITE or another mode, or "ERROR MODE" / "ERROR Secname" / "ERROR Keyname" /
// "ERROR KeyValue" / "ERROR Write".
std::string ProfileAccess(const Services& services, std::string_view Mode, std::string_view SecName,
                          std::string_view KeyName, const ProfileValue& KeyValue = {});
