#include "core/settings/ProfileAccess.h"

#include "core/runtime/Runtime.h"
#include "core/runtime/RuntimeError.h"
#include "core/runtime/Services.h"
#include "core/settings/IniText.h"
#include "core/settings/ProfileService.h"
#include "core/settings/TextEncoding.h"


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

ProfileService& profileService(const Services& services) {
    const auto& service = services.profile;
    if (!service) {
        throw RuntimeError(RuntimeError::ObjectRequired);
    }
    return *service;
}

std::string access(const Services& services, std::string_view Mode, std::string_view SecName, std::string_view KeyName,
                   const ProfileValue& KeyValue) {
    std::string result = "OK";
    if (Mode.empty()) {
        return "ERROR MODE";
    }
    if (SecName.empty() || !IsWritableSectionName(SecName)) {
        return "ERROR Secname";
    }
    if (KeyName.empty() || !IsWritableKeyName(KeyName)) {
        return "ERROR Keyname";
    }
    const std::string mode = upperCase(Mode);
    if (mode == "WRITE") {
        const std::optional<std::string> text = textForm(KeyValue);
        if (!text || text->empty()) {
            return "ERROR KeyValue";
        }
        if (!profileService(services).write(SecName, KeyName, *text)) {
            return "ERROR Write";
        }
    }
    if (mode == "GET") {
        const std::optional<std::string> stored = profileService(services).read(SecName, KeyName);
        result = stored ? std::string(Utf8Left(*stored, kLongestValue)) : std::string();
    }
    return result;
}

} // namespace

std::string ProfileAccess(const Services& services, std::string_view Mode, std::string_view SecName, std::string_view KeyName,
                          const ProfileValue& KeyValue) {
    try {
        return access(services, Mode, SecName, KeyName, KeyValue);
    } catch (const RuntimeError& failure) {
        // A service that cannot go on reports it as a run-time error: shown, then the program ends.
        MsgBox(services, failure.description(), 0);
    }
    EndProgram(services);
}
