#include "core/settings/ProfileAccess.h"

#include "core/runtime/Runtime.h"
#include "core/runtime/RuntimeError.h"
#include "core/runtime/Services.h"
#include "core/settings/IniText.h"
#include "core/settings/ProfileService.h"
#include "core/settings/TextEncoding.h"

#include <optional>

namespace {

// A read hands back at most this many characters.
constexpr std::size_t LongestValue = 49;

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

// The text form of a value to write; nothing for an absent or null value.
std::optional<std::string> TextForm(const ProfileValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*number);
    }
    return std::nullopt;
}

ProfileService& ProfileServiceOf(const Services& services) {
    const auto& service = services.profile;
    if (!service) {
        throw RuntimeError(RuntimeError::ObjectRequired);
    }
    return *service;
}

// Why the names cannot be used, or nothing.
std::optional<ProfileStatus> NameRefusal(std::string_view SecName, std::string_view KeyName) {
    if (SecName.empty() || !IsWritableSectionName(SecName)) {
        return ProfileStatus::SectionNameRefused;
    }
    if (KeyName.empty() || !IsWritableKeyName(KeyName)) {
        return ProfileStatus::KeyNameRefused;
    }
    return std::nullopt;
}

// The text a WRITE stores, or nothing when the value is refused.
std::optional<std::string> WritableText(const ProfileValue& KeyValue) {
    std::optional<std::string> text = TextForm(KeyValue);
    if (!text || text->empty()) {
        return std::nullopt;
    }
    return text;
}

Result<ProfileStatuses> WriteKeys(const Services& services, const std::vector<ProfileWrite>& writes) {
    ProfileStatuses statuses(writes.size(), ProfileStatus::Written);
    std::vector<ProfileEdit> edits;
    std::vector<std::size_t> editedFrom; // the write each edit comes from
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const ProfileWrite& write = writes[i];
        if (const auto refused = NameRefusal(write.SecName, write.KeyName)) {
            statuses[i] = *refused;
        } else if (auto text = WritableText(write.KeyValue)) {
            edits.push_back({write.SecName, write.KeyName, *std::move(text)});
            editedFrom.push_back(i);
        } else {
            statuses[i] = ProfileStatus::ValueRefused;
        }
    }
    if (edits.empty()) {
        return statuses;
    }
    const Result<ProfileStatuses> written = ProfileServiceOf(services).write(edits);
    if (!written) {
        return Failure{written.reason()};
    }
    for (std::size_t k = 0; k < edits.size() && k < written->size(); ++k) {
        statuses[editedFrom[k]] = (*written)[k];
    }
    return statuses;
}

// The stored text as GET gives it, or why the profile cannot be read.
Result<std::string> Get(const Services& services, std::string_view SecName, std::string_view KeyName) {
    const Result<std::optional<std::string>> stored = ProfileServiceOf(services).read(SecName, KeyName);
    if (!stored) {
        return Failure{stored.reason()};
    }
    return *stored ? std::string(Utf8Left(**stored, LongestValue)) : std::string();
}

std::string Access(const Services& services, std::string_view Mode, std::string_view SecName,
                   std::string_view KeyName, const ProfileValue& KeyValue) {
    std::string result = "OK";
    if (Mode.empty()) {
        return "ERROR MODE";
    }
    if (const auto refused = NameRefusal(SecName, KeyName)) {
        return ProfileStatusText(*refused);
    }
    const std::string mode = UpperCase(Mode);
    if (mode == "WRITE") {
        const Result<ProfileStatuses> written =
            WriteKeys(services, {ProfileWrite{std::string(SecName), std::string(KeyName), KeyValue}});
        if (!written) {
            return "ERROR Write";
        }
        if (written->front() != ProfileStatus::Written) {
            return ProfileStatusText(written->front());
        }
    }
    if (mode == "GET") {
        // As the Windows service reads it: a file it cannot read holds nothing.
        result = Get(services, SecName, KeyName).value_or(std::string());
    }
    return result;
}

// A run-time error of the service is shown with its description, and the program ends.
[[noreturn]] void EndOnFailure(const Services& services, const RuntimeError& failure) {
    MsgBox(services, failure.description(), 0);
    EndProgram(services);
}

} // namespace

std::string ProfileStatusText(ProfileStatus status) {
    switch (status) {
    case ProfileStatus::Written:
        return "OK";
    case ProfileStatus::SectionNameRefused:
        return "ERROR Secname";
    case ProfileStatus::KeyNameRefused:
        return "ERROR Keyname";
    case ProfileStatus::ValueRefused:
        break;
    }
    return "ERROR KeyValue";
}

std::string ProfileAccess(const Services& services, std::string_view Mode, std::string_view SecName,
                          std::string_view KeyName, const ProfileValue& KeyValue) {
    try {
        return Access(services, Mode, SecName, KeyName, KeyValue);
    } catch (const RuntimeError& failure) {
        EndOnFailure(services, failure);
    }
}

Result<std::string> ProfileGet(const Services& services, std::string_view SecName, std::string_view KeyName) {
    try {
        return Get(services, SecName, KeyName);
    } catch (const RuntimeError& failure) {
        EndOnFailure(services, failure);
    }
}

std::string ProfileUnreadableMessage(const Services& services, const std::string& reason) {
    std::string where = "your settings file";
    if (const auto& profile = services.profile; profile && !profile->location().empty()) {
        where = profile->location();
    }
    return "Your settings could not be read from " + where + ":\r\n" + reason +
           "\r\n\r\nThe program goes on without them and saves nothing over the file while it cannot be "
           "read. "
           "Put the file right, or move it away to start afresh, then start the program again.";
}

Result<ProfileStatuses> ProfileWriteKeys(const Services& services, const std::vector<ProfileWrite>& writes) {
    try {
        return WriteKeys(services, writes);
    } catch (const RuntimeError& failure) {
        EndOnFailure(services, failure);
    }
}
