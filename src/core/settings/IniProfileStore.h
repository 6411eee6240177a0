#pragma once

#include "core/settings/ProfileService.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The profile as an INI file on disk. Every call reads the file afresh; a write replaces the file as a
// whole (temporary file in the same folder, synced, renamed over it), so the file is either the old one or
// the new one, never half written.
class IniProfileStore final : public ProfileService {
public:
    explicit IniProfileStore(std::filesystem::path file);

    const std::filesystem::path& path() const { return m_file; }

    std::optional<std::string> read(std::string_view section, std::string_view key) const override;
    bool write(std::string_view section, std::string_view key, std::string_view value,
               std::string* error = nullptr) override;

    std::string location() const override;
    std::string lastError() const override { return m_lastError; }

private:
    std::filesystem::path m_file;
    std::string m_lastError;
};
