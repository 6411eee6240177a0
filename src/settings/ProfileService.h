#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One key to write, as part of several written together.
struct ProfileEdit {
    std::string section;
    std::string key;
    std::string value;
};

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

    // Writes several keys, in order, and tells for each whether it is on disk. A store that can puts them
    // there in one replace of the file, so that either all of them land or none; this fallback writes them
    // one by one. `error` (when given) gets the reason of the first failure.
    virtual std::vector<bool> writeMany(const std::vector<ProfileEdit>& edits, std::string* error = nullptr) {
        std::vector<bool> done;
        done.reserve(edits.size());
        bool failed = false;
        for (const ProfileEdit& edit : edits) {
            std::string problem;
            done.push_back(write(edit.section, edit.key, edit.value, &problem));
            if (!done.back() && !failed) {
                failed = true;
                if (error != nullptr) {
                    *error = problem;
                }
            }
        }
        return done;
    }

    // Where the profile lives and what went wrong with the last failed write, for messages to the user.
    virtual std::string location() const { return {}; }
    virtual std::string lastError() const { return {}; }
};
