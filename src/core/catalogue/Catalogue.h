#pragma once

#include "core/catalogue/CatalogueProgress.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/DiskRecord.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class Clock;

// Where a labelled disk's tree is walked: its folder, and the filesystems mounted inside it.
struct WalkPlace {
    std::string folder;
    std::vector<std::string> otherMounts;
};

// The catalogue as the program uses it: opened when first needed, recording labelled disks and walking
// their trees on a worker thread. It is never in the way: whatever fails, the caller goes on as without a
// catalogue, and the first failure of a run waits in takeMessage() for the caller to show.
class Catalogue {
public:
    Catalogue(std::string path, std::shared_ptr<Clock> clock);
    // A walk still running is cancelled; what it recorded stays, marked incomplete.
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    const std::string& path() const { return m_path; }

    // The catalogued disk with this identity. None for serial 0, for a disk not catalogued, and while the
    // catalogue cannot be used (no file yet: nothing to recognise, and nothing is created).
    std::optional<DiskRecord> recognise(const DiskIdentity& identity);

    // A label went to the printer: the disk is recorded at once (as a new disk, or as disk `disk.id` labelled
    // again when that is set), then its tree is walked in the background. A walk still running is
    // cancelled first.
    void recordLabel(const DiskRecord& disk, const WalkPlace& place);

    // Stops a running walk and waits for it.
    void cancelWalk();
    // Waits for a running walk to end.
    void waitForWalk();
    CatalogueProgress progress() const;
    // Called on the walking thread whenever progress() changes, and once when the walk ends.
    void setProgressListener(std::function<void()> listener);

    // The first failure of this run, in words for the user; given out once.
    std::optional<std::string> takeMessage();

    // A connection of its own, for a window or the command line.
    Result<std::unique_ptr<CatalogueStore>> openStore() const;

private:
    CatalogueStore* store();
    void walk(std::int64_t diskId, int number, std::uint64_t usedBytes, WalkPlace place);
    void report(const std::string& message);
    void setProgress(const CatalogueProgress& progress);
    std::string today() const;

    std::string m_path;
    std::shared_ptr<Clock> m_clock;
    std::unique_ptr<CatalogueStore> m_store; // the caller's thread only

    mutable std::mutex m_mutex; // guards what both threads touch below
    CatalogueProgress m_progress;
    std::optional<std::string> m_message;
    bool m_reported = false;

    std::mutex m_listenerMutex;
    std::function<void()> m_listener;

    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};
