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
// modification time stay the same, and reads it afresh otherwise; it takes no lock, since the file is only
// ever replaced whole. A write reads the file afresh and replaces it as a whole (temporary file in the same
// folder, synced, renamed over it), so the file is either the old one or the new one, never half written;
// several keys written together share one replace. Writers, in this process or another, on this machine or
// another over NFS, take turns through a lock file beside the profile ("Tesslin1.ini.lock"), so none loses
// another's change. The file keeps its encoding (UTF-8, Windows-1252 or UTF-16), its permissions and, if
// it is a symbolic link, its link (the lock file is then beside the file it points to); a read-only file
// is never replaced.
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

    // The new value of a key from the one stored (nothing when it is not there).
    using ValueChange = std::function<std::string(const std::optional<std::string>& stored)>;
    // Changes one key from its value as it stands in the file, within one turn of the writers' lock, so
    // that two programs advancing one counter never both start from the same value. Gives the value
    // written.
    Result<std::string> update(std::string_view section, std::string_view key, const ValueChange& change);

    std::string location() const override;

private:
    class Snapshot;

    // The parsed file as it is now (null when it is missing), or why it cannot be read.
    Result<Snapshot*> current() const;
    // The file's new text from its text now (as UTF-8), or why there is none.
    using TextEdit =
        std::function<Result<std::string>(const std::filesystem::path& file, std::string_view text)>;
    // Applies the edit to the file in one replace under the writers' lock, or says why nothing could be
    // written.
    Result<Done> commit(const TextEdit& edit);

    std::filesystem::path m_file;
    WriteFault m_fault;
    mutable std::unique_ptr<Snapshot> m_snapshot;
};
