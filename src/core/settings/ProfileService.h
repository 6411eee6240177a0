#pragma once

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

// What became of one key written to the profile.
enum class ProfileStatus {
    Written,
    SectionNameRefused, // the name would make more than a section header of it
    KeyNameRefused,     // the name would make another line of it
    ValueRefused,       // nothing to write: an absent or empty value
    NotWritten,         // the file could not be written; it is as it was
};

// What a write did: the status of each key, in the order given, and why the first key that was not written
// was not.
struct ProfileWriteReport {
    std::vector<ProfileStatus> statuses;
    std::string reason;

    bool allWritten() const {
        for (const ProfileStatus status : statuses) {
            if (status != ProfileStatus::Written) {
                return false;
            }
        }
        return true;
    }
    explicit operator bool() const { return allWritten(); }
};

// The keys of the INI profile: read one, or write several so that they are on disk together.
class ProfileService {
public:
    virtual ~ProfileService() = default;

    // The stored value (quotes removed), or nothing when the file, section or key is missing or the key's
    // line has no '='.
    virtual std::optional<std::string> read(std::string_view section, std::string_view key) const = 0;

    // Writes the keys whose names can be written, all in one replace of the file, so that either all of
    // them land or none does.
    virtual ProfileWriteReport write(const std::vector<ProfileEdit>& edits) = 0;

    // Where the profile lives, for messages to the user.
    virtual std::string location() const { return {}; }
};
