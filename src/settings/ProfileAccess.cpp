#include "settings/ProfileAccess.h"

#include "forms/ProgramState.h"
#include "forms/Runtime.h"
#include "forms/RuntimeError.h"
#include "settings/IniText.h"
#include "settings/ProfileService.h"
#include "settings/TextEncoding.h"

#include <exception>

namespace {

// A read hands back at most this many characters.
constexpr std::size_t kLongestValue = 49;

std::string upperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

// The text form of a value to write; nothing for an absent or null value.
std::optional<std::string> textForm(const ProfileValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*number);
    }
    return std::nullopt;
}

ProfileService& profileService() {
    const auto& service = Program().services.profile;
    if (!service) {
        throw RuntimeError(RuntimeError::ObjectRequired);
    }
    return *service;
}

// The error text for names that cannot be used, or nothing.
std::optional<std::string> nameError(std::string_view SecName, std::string_view KeyName) {
    if (SecName.empty() || !IsWritableSectionName(SecName)) {
        return "ERROR Secname";
    }
    if (KeyName.empty() || !IsWritableKeyName(KeyName)) {
        return "ERROR Keyname";
    }
    return std::nullopt;
}

// The text a WRITE stores, or nothing when the value is refused.
std::optional<std::string> writableText(const ProfileValue& KeyValue) {
    std::optional<std::string> text = textForm(KeyValue);
    if (!text || text->empty()) {
        return std::nullopt;
    }
    return text;
}

std::string access(std::string_view Mode, std::string_view SecName, std::string_view KeyName,
                   const ProfileValue& KeyValue) {
    std::string result = "OK";
    if (Mode.empty()) {
        return "ERROR MODE";
    }
    if (auto refused = nameError(SecName, KeyName)) {
        return *refused;
    }
    const std::string mode = upperCase(Mode);
    if (mode == "WRITE") {
        const std::optional<std::string> text = writableText(KeyValue);
        if (!text) {
            return "ERROR KeyValue";
        }
        if (!profileService().write(SecName, KeyName, *text)) {
            return "ERROR Write";
        }
    }
    if (mode == "GET") {
        const std::optional<std::string> stored = profileService().read(SecName, KeyName);
        result = stored ? std::string(Utf8Left(*stored, kLongestValue)) : std::string();
    }
    return result;
}

std::vector<std::string> accessWriteMany(const std::vector<ProfileWrite>& writes) {
    std::vector<std::string> results(writes.size(), "OK");
    std::vector<ProfileEdit> edits;
    std::vector<std::size_t> editedFrom; // the write each edit comes from
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const ProfileWrite& write = writes[i];
        if (auto refused = nameError(write.SecName, write.KeyName)) {
            results[i] = *refused;
        } else if (auto text = writableText(write.KeyValue)) {
            edits.push_back({write.SecName, write.KeyName, *std::move(text)});
            editedFrom.push_back(i);
        } else {
            results[i] = "ERROR KeyValue";
        }
    }
    if (edits.empty()) {
        return results;
    }
    const std::vector<bool> done = profileService().writeMany(edits);
    for (std::size_t k = 0; k < edits.size(); ++k) {
        if (k >= done.size() || !done[k]) {
            results[editedFrom[k]] = "ERROR Write";
        }
    }
    return results;
}

// A failure nobody expected is shown with its description, and the program ends.
[[noreturn]] void endOnFailure() {
    try {
        throw;
    } catch (const std::exception& failure) {
        MsgBox(failure.what(), 0);
    } catch (...) {
        MsgBox(RuntimeError::standardDescription(0), 0);
    }
    EndProgram();
}

} // namespace

std::string ProfileAccess(std::string_view Mode, std::string_view SecName, std::string_view KeyName,
                          const ProfileValue& KeyValue) {
    try {
        return access(Mode, SecName, KeyName, KeyValue);
    } catch (...) {
        endOnFailure();
    }
}

std::vector<std::string> ProfileAccessWriteMany(const std::vector<ProfileWrite>& writes) {
    try {
        return accessWriteMany(writes);
    } catch (...) {
        endOnFailure();
    }
}
