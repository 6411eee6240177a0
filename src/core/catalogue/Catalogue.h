#pragma once

#include "core/catalogue/CatalogueProgress.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/DiskRecord.h"
#include "core/catalogue/LabelQueue.h"

#include <atomic>
#include <chrono>
#include <deque>
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
// catalogue, and what the user must hear waits in takeMessage() for the caller to show: the first failure
// to use the file in a run, every damaged file moved aside, and every walk that ended short.
// This is the one owner of moving a damaged file aside: only its recording opens the file to Record.
class Catalogue {
public:
    // `file` is the desk's own catalogue file; `server`, when given, a shared catalogue's server (a libpq
    // URI or connection string) used instead. `queueFile` keeps the labels a desk owes a shared catalogue
    // while it cannot be reached (by default beside the file).
    Catalogue(std::string file, std::shared_ptr<Clock> clock, std::string server = {},
              std::string queueFile = {});
    // As close().
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    const std::string& path() const { return m_path; }
    // Where the catalogue is, as the user may be shown it: a server's without a password.
    std::string shownPath() const;
    // Keeps the catalogue on `server` from now on, or in the desk's own file when that is empty: a running
    // walk is cancelled and the catalogue closed first.
    void setServer(const std::string& server);

    // The catalogued disk with this identity. None for serial 0, for a disk not catalogued, and while the
    // catalogue cannot be used (no file yet: nothing to recognise, and nothing is created).
    std::optional<DiskRecord> recognise(const DiskIdentity& identity);

    // A label went to the printer: the disk is recorded at once (as a new disk, or as disk `disk.id` labelled
    // again when that is set), then its tree is walked in the background. A walk still running is
    // cancelled first.
    void recordLabel(const DiskRecord& disk, const WalkPlace& place);
    // Walks a catalogued disk (`disk.id`) again without a label: its facts are refreshed, its number and
    // label dates stay. A walk still running is cancelled first. False (with a message waiting) when the
    // catalogue cannot be used.
    bool catalogueAgain(const DiskRecord& disk, const WalkPlace& place);

    // Stops a running walk and waits for it: within a fraction of a second, even mid-batch.
    void cancelWalk();
    // Waits for a running walk to end.
    void waitForWalk();
    // Cancels a running walk and closes the file, leaving everything in its main file. Used on every way
    // out of the program; the catalogue opens again when next needed.
    void close();

    CatalogueProgress progress() const;
    // Called on the walking thread whenever progress() changes, and once when the walk ends. It is called
    // with a lock held, so that setting another listener waits for a call in flight: the listener must not
    // call back into this Catalogue (post to the thread that owns the caller, as the windows do).
    void setProgressListener(std::function<void()> listener);

    // The oldest message waiting for the user, in words for a message box; each is given out once.
    std::optional<std::string> takeMessage();

    // The disks whose last walk did not finish, named with how to finish them; none when there are none or
    // no catalogue yet. Reads the file only.
    std::optional<std::string> unfinishedMessage() const;

    // A shared catalogue gives the disk numbers of a team: a new label takes its number from it, and the
    // disk is recorded under that number before the label is printed, unconfirmed until it went out.
    bool givesNumbers() const;
    // The number for a new label, with the disk (`disk.number` aside) recorded under it; or why there is
    // none (the server cannot be reached, the login may not label), for the caller to ask what to do.
    // Labels owed from a time the server could not be reached are sent first.
    Result<NumberedDisk> takeNumber(const DiskRecord& disk);
    // The label of a number taken went to the printer: the disk is labelled and its tree walked. Should the
    // server have gone meanwhile, the confirmation waits in the queue, and the user is told.
    void confirmLabel(const NumberedDisk& taken, DiskRecord disk, const WalkPlace& place);
    // The label of a number taken was not printed: the number goes back for the next label (later, should
    // the server have gone meanwhile).
    void giveBack(const NumberedDisk& taken);
    // A label printed with this desk's own number while the shared catalogue could not be reached: the disk
    // is recorded once it can be (its tree is left to be catalogued again).
    void queueLabel(const DiskRecord& disk);
    // The last number the shared catalogue gave, for the desk's own to follow; none when it cannot say.
    std::optional<int> lastNumber();
    // Whether the user would be asked whether to label without the shared catalogue when `failure` is why
    // no number could be taken: not when the login may not label, nor when the catalogue is not made yet.
    static bool Unreachable(const Failure& failure);

    // A connection of its own, for a window or the command line.
    Result<std::unique_ptr<CatalogueStore>> openStore(CatalogueAccess access = CatalogueAccess::Read) const;

private:
    CatalogueStore* store(CatalogueAccess access);
    Result<CatalogueStore*> connect(CatalogueAccess access);
    void sendQueued(CatalogueStore& catalogue);
    void owe(const QueuedLabel& label);
    std::string cannotUse(const std::string& reason) const;
    void startWalk(std::int64_t diskId, const DiskRecord& disk, const WalkPlace& place);
    void walk(std::int64_t diskId, int number, std::uint64_t usedBytes, WalkPlace place);
    void report(const std::string& message);
    void tell(const std::string& message);
    void setProgress(const CatalogueProgress& progress);
    std::string today() const;
    std::chrono::system_clock::time_point now() const;

    std::string m_file;
    std::string m_path; // the file, or the server
    std::shared_ptr<Clock> m_clock;
    LabelQueue m_queue;
    std::unique_ptr<CatalogueStore> m_store; // the caller's thread only
    CatalogueAccess m_storeAccess = CatalogueAccess::Read;

    mutable std::mutex m_mutex; // guards what both threads touch below
    CatalogueProgress m_progress;
    std::deque<std::string> m_messages;
    bool m_reported = false;                     // a failure to use the file was told this run
    const CatalogueStore* m_walkStore = nullptr; // interrupted by cancelWalk

    std::mutex m_listenerMutex;
    std::function<void()> m_listener;

    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_closing{false}; // a walk cancelled by close() is told at the next start instead
    std::thread m_worker;
};
