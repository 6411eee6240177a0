#pragma once

#include "core/runtime/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One key to write.
struct ProfileEdit {
    std::string section;
    std::string key;
    std::string value;
};

// What became of one key of a write that reached the file.
enum class ProfileStatus {
    Written,
    SectionNameRefused, // the name would make more than a section header of it
    KeyNameRefused,     // the name would make another line of it
    ValueRefused,       // nothing to write: an absent or empty value
};

// The status of each key of a write, in the order given.
using ProfileStatuses = std::vector<ProfileStatus>;

// The keys of the INI profile: read one, or write several so that they are on disk together.
class ProfileService {
public:
    virtual ~ProfileService() = default;

    // The stored value (quotes removed), or nothing when the file, section or key is missing or the key's
    // line has no '='; or why the file is there but cannot be read.
    virtual Result<std::optional<std::string>> read(std::string_view section, std::string_view key) const = 0;

    // Writes the keys whose names can be written, all in one replace of the file, so that either all of
    // them land or none does: their statuses, or why the file could not be written (it is as it was).
    virtual Result<ProfileStatuses> write(const std::vector<ProfileEdit>& edits) = 0;

    // Where the profile lives, for messages to the user.
    virtual std::string location() const { return {}; }
};
