#pragma once

#include "core/settings/ProfileService.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The steps of a write at which a test may make it fail, as a failing disk or a kill would.
enum class WriteStep { KeyEdited, TemporaryWritten, Synced, Renaming };

// Called at each step of a write; an error number other than 0 makes that step fail with it.
using WriteFault = std::function<int(WriteStep)>;

// The profile as an INI file on disk. A read reuses the parsed file while the file's identity, size and
// modification time stay the same, and reads it afresh otherwise. A write reads the file afresh and
// replaces it as a whole (temporary file in the same folder, synced, renamed over it), so the file is either
// the old one or the new one, never half written; several keys written together share one replace. The
// file keeps its encoding (UTF-8, Windows-1252 or UTF-16), its permissions and, if it is a symbolic link,
// its link; a read-only file is never replaced.
class IniProfileStore final : public ProfileService {
public:
    explicit IniProfileStore(std::filesystem::path file, WriteFault fault = {});
    ~IniProfileStore() override;
    IniProfileStore(const IniProfileStore&) = delete;
    IniProfileStore& operator=(const IniProfileStore&) = delete;

    const std::filesystem::path& path() const { return m_file; }

    Result<std::optional<std::string>> read(std::string_view section, std::string_view key) const override;
    Result<ProfileStatuses> write(const std::vector<ProfileEdit>& edits) override;
    // One key alone.
    Result<ProfileStatuses> write(std::string_view section, std::string_view key, std::string_view value);

    std::string location() const override;

private:
    class Snapshot;

    // The parsed file as it is now (null when it is missing), or why it cannot be read.
    Result<Snapshot*> current() const;
    // Applies the edits to the file in one replace, or says why nothing could be written.
    Result<Done> commit(const std::vector<const ProfileEdit*>& edits);

    std::filesystem::path m_file;
    WriteFault m_fault;
    mutable std::unique_ptr<Snapshot> m_snapshot;
};
