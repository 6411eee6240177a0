#pragma once

#include <optional>
#include <string>
#include <string_view>

// One key of the INI profile: read it, or write it so that it is on disk.
class ProfileService {
public:
    virtual ~ProfileService() = default;

    // The stored value (quotes removed), or nothing when the file, section or key is missing or the key's
    // line has no '='.
    virtual std::optional<std::string> read(std::string_view section, std::string_view key) const = 0;

    // Writes the key; true once the data is on disk. On failure the file is as it was and `error` (when
    // given) says what went wrong.
    virtual bool write(std::string_view section, std::string_view key, std::string_view value,
                       std::string* error = nullptr) = 0;

    // Where the profile lives and what went wrong with the last failed write, for messages to the user.
    virtual std::string location() const { return {}; }
    virtual std::string lastError() const { return {}; }
};
