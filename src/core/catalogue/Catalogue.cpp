#include "core/catalogue/Catalogue.h"

#include "core/catalogue/CatalogueText.h"
#include "core/catalogue/ListWalk.h"
#include "core/catalogue/PgCatalogueStore.h"
#include "core/catalogue/TreeWalk.h"
#include "core/runtime/Clock.h"
#include "core/runtime/FileAccess.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <utility>

#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::int64_t Seconds(Clock::TimePoint when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

std::string CannotUseMessage(const std::string& path, const std::string& reason) {
    return "The disk catalogue " + path + " cannot be used: " + reason +
           ".\r\n\r\nDisks are examined and labels printed as usual, but they are not recorded in the "
           "catalogue.";
}

const char* const FinishAdvice =
    "put the disk in the Zip drive and choose Catalogue This Disk in the Catalogue window";

// How a walk that ended short is told: what happened, what the catalogue now holds, what to do.
std::string WalkShortMessage(const std::string& path, int number, WalkEnd end, const std::string& failure,
                             bool oldListKept) {
    const std::string disk = "disk #" + std::to_string(number);
    std::string what;
    std::string advice = std::string("To finish it, ") + FinishAdvice + ".";
    if (!failure.empty()) {
        what = "The folders and files of " + disk + " could not all be recorded in the disk catalogue " +
               path + ": " + failure + ".";
        if (failure.find(" is full") != std::string::npos) {
            advice = "Free some space on the disk that holds the catalogue; then, to finish it, " +
                     std::string(FinishAdvice) + ".";
        }
    } else if (end == WalkEnd::Lost) {
        what = "Disk #" + std::to_string(number) +
               " was taken out or unmounted before all of its folders and files were recorded in the disk "
               "catalogue.";
    } else {
        what = "The recording of the folders and files of " + disk + " in the disk catalogue was stopped.";
    }
    const std::string kept = oldListKept ? "The catalogue keeps the list it had of the disk before."
                                         : "What was recorded is kept; the disk is marked incomplete.";
    return what + "\r\n\r\n" + kept + " " + advice;
}

// What the walk's progress is measured against.
struct Estimate {
    std::uint64_t usedInodes = 0;
    std::uint64_t usedBytes = 0;

    int percent(const WalkCounts& counts) const { return WalkPercent(counts, usedInodes, usedBytes); }
};

Estimate EstimateFor(const std::string& folder, std::uint64_t usedBytes) {
    Estimate estimate{0, usedBytes};
    struct statvfs info {};
    if (!folder.empty() && ::statvfs(folder.c_str(), &info) == 0 && info.f_files > info.f_ffree) {
        // Less the root folder, which is no entry.
        estimate.usedInodes = std::max<std::uint64_t>(info.f_files - info.f_ffree, 2) - 1;
    }
    return estimate;
}

// This machine, as a number never confirmed names the desk that took it.
std::string DeskName() {
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0 || name.front() == '\0') {
        return "a desk";
    }
    return name.data();
}

std::string NumberList(const std::vector<DiskRecord>& disks) {
    std::string text;
    for (std::size_t i = 0; i < disks.size(); ++i) {
        text += (i == 0                  ? ""
                 : i + 1 == disks.size() ? " and "
                                         : ", ") +
                ("#" + std::to_string(disks[i].number));
    }
    return text;
}

} // namespace

Catalogue::Catalogue(std::string file, std::shared_ptr<Clock> clock, std::string server,
                     std::string queueFile)
    : m_file(std::move(file)), m_path(server.empty() ? m_file : std::move(server)), m_clock(std::move(clock)),
      m_queue(queueFile.empty() ? (std::filesystem::path(m_file).parent_path() / "labels-to-record").string()
                                : std::move(queueFile)) {}

Catalogue::~Catalogue() {
    close();
}

std::string Catalogue::shownPath() const {
    return givesNumbers() ? ShownConnection(m_path) : m_path;
}

void Catalogue::setServer(const std::string& server) {
    close();
    m_path = server.empty() ? m_file : server;
    const std::lock_guard lock(m_mutex);
    m_reported = false; // the new place's trouble is told afresh
}

Clock::TimePoint Catalogue::now() const {
    return m_clock ? m_clock->now() : std::chrono::system_clock::now();
}

std::string Catalogue::today() const {
    return IsoDate(Seconds(now()));
}

Result<std::unique_ptr<CatalogueStore>> Catalogue::openStore(CatalogueAccess access) const {
    return CatalogueStore::open(m_path, today(), access);
}

std::string Catalogue::cannotUse(const std::string& reason) const {
    if (givesNumbers()) {
        return "The shared disk catalogue " + shownPath() + " cannot be used: " + reason +
               ".\r\n\r\nDisks are examined as usual, but they are not recorded in the catalogue.";
    }
    return CannotUseMessage(m_path, reason);
}

Result<CatalogueStore*> Catalogue::connect(CatalogueAccess access) {
    // A store opened to read is opened again to record: only that may move a damaged file aside.
    if (m_store && access == CatalogueAccess::Record && m_storeAccess != CatalogueAccess::Record) {
        m_store.reset();
    }
    if (!m_store) {
        Result<std::unique_ptr<CatalogueStore>> opened = openStore(access);
        if (!opened) {
            return opened.failure();
        }
        m_store = std::move(opened).value();
        m_storeAccess = access;
        if (!m_store->movedAside().empty()) {
            tell(MovedAsideMessage(m_path, m_store->movedAside()));
        }
        // What was owed while the server could not be reached goes at the first connection that may write.
        if (m_store->givesNumbers() && access == CatalogueAccess::Record) {
            sendQueued(*m_store);
        }
    }
    return m_store.get();
}

CatalogueStore* Catalogue::store(CatalogueAccess access) {
    Result<CatalogueStore*> connected = connect(access);
    if (!connected) {
        report(cannotUse(connected.reason()));
        return nullptr;
    }
    return *connected;
}

bool Catalogue::givesNumbers() const {
    return IsServerCatalogue(m_path);
}

bool Catalogue::Unreachable(const Failure& failure) {
    return !failure.refused;
}

Result<NumberedDisk> Catalogue::takeNumber(const DiskRecord& disk) {
    Result<CatalogueStore*> connected = connect(CatalogueAccess::Record);
    if (!connected) {
        return connected.failure();
    }
    Result<NumberedDisk> taken = (*connected)->reserveNumber(disk, Seconds(now()), DeskName());
    if (!taken) {
        m_store.reset(); // a connection that failed is made afresh next time
    }
    return taken;
}

void Catalogue::confirmLabel(const NumberedDisk& taken, DiskRecord disk, const WalkPlace& place) {
    cancelWalk();
    disk.number = taken.number;
    Result<Done> confirmed =
        m_store ? m_store->confirmNumber(taken.id) : Result<Done>(Failure{"not connected"});
    if (!confirmed) {
        m_store.reset();
        owe({QueuedLabel::Kind::Confirm, taken.id, disk, Seconds(now())});
        tell("The label was printed as disk #" + std::to_string(taken.number) +
             ", but the shared disk catalogue could not be told: " + confirmed.reason() +
             ".\r\n\r\nThe number stays the disk's; Tessaline records the label once the catalogue can be "
             "reached again. Then, to record the disk's folders and files, " +
             FinishAdvice + ".");
        return;
    }
    startWalk(taken.id, disk, place);
}

void Catalogue::giveBack(const NumberedDisk& taken) {
    if (!m_store || !m_store->releaseNumber(taken.id)) {
        m_store.reset();
        DiskRecord disk;
        disk.number = taken.number;
        owe({QueuedLabel::Kind::Release, taken.id, disk, Seconds(now())});
    }
}

void Catalogue::queueLabel(const DiskRecord& disk) {
    owe({QueuedLabel::Kind::Label, 0, disk, Seconds(now())});
}

std::optional<int> Catalogue::lastNumber() {
    if (!m_store) {
        return std::nullopt;
    }
    const Result<int> last = m_store->lastNumber();
    return last ? std::optional<int>(*last) : std::nullopt;
}

void Catalogue::owe(const QueuedLabel& label) {
    if (const Result<Done> kept = m_queue.add(label); !kept) {
        tell("Disk #" + std::to_string(label.disk.number) +
             " could not be noted to be recorded in the shared disk catalogue later: " + kept.reason() +
             ".\r\n\r\nOnce the catalogue can be reached, put the disk in the Zip drive and print its label "
             "again.");
    }
}

void Catalogue::sendQueued(CatalogueStore& catalogue) {
    Result<std::vector<QueuedLabel>> owed = m_queue.read();
    if (!owed) {
        report("The labels this desk printed while the shared disk catalogue could not be reached cannot be "
               "read: " +
               owed.reason() + ".");
        return;
    }
    if (owed->empty()) {
        return;
    }
    std::vector<QueuedLabel> left;
    std::vector<DiskRecord> recorded;
    for (const QueuedLabel& label : *owed) {
        if (!left.empty()) {
            left.push_back(label); // in order: one that failed holds up the rest
            continue;
        }
        Result<Done> sent = Done{};
        if (label.kind == QueuedLabel::Kind::Label) {
            sent = Then(catalogue.addDisk(label.disk, label.printedAt), [] { return Result<Done>(Done{}); });
            if (sent) {
                recorded.push_back(label.disk);
            }
        } else if (label.kind == QueuedLabel::Kind::Confirm) {
            sent = catalogue.confirmNumber(label.diskId);
        } else {
            sent = catalogue.releaseNumber(label.diskId);
        }
        if (!sent) {
            report("What this desk owes the shared disk catalogue from a time it could not be reached cannot "
                   "be recorded yet: " +
                   sent.reason() + ".\r\n\r\nTessaline tries again at the next label.");
            left.push_back(label);
        }
    }
    if (const Result<Done> kept = m_queue.replace(left); !kept) {
        tell("The shared disk catalogue has recorded what this desk owed it, but " + kept.reason() +
             ".\r\n\r\nRemove that file, or the labels in it are recorded twice.");
    }
    if (recorded.empty()) {
        return;
    }
    tell(std::string(recorded.size() == 1 ? "The label" : "The labels") +
         " printed while the shared disk catalogue could not be reached " +
         (recorded.size() == 1 ? "is" : "are") + " now recorded in it: disk" +
         (recorded.size() == 1 ? " " : "s ") + NumberList(recorded) + ".\r\n\r\nTo record " +
         (recorded.size() == 1 ? "its" : "their") + " folders and files, " + FinishAdvice + ".");
    // A number this desk gave may have been given by another desk meanwhile: both disks keep it, and the
    // user hears of it rather than find out from a shelf.
    const Result<std::vector<DiskRecord>> disks = catalogue.disks();
    const Result<std::vector<UnconfirmedNumber>> printing = catalogue.unconfirmedNumbers();
    const std::vector<UnconfirmedNumber> none;
    for (const DiskRecord& disk : recorded) {
        const auto same =
            disks ? std::count_if(disks->begin(), disks->end(),
                                  [&](const DiskRecord& other) { return other.number == disk.number; })
                  : 0;
        if (same > 1) {
            tell("Disk #" + std::to_string(disk.number) +
                 ", labelled while the shared disk catalogue could not be reached, has the same number as a "
                 "disk labelled at another desk meanwhile. Both are recorded under #" +
                 std::to_string(disk.number) +
                 ".\r\n\r\nPrint the label of one of them again as a new disk, so that each number stands "
                 "for one disk.");
            continue;
        }
        // Or another desk took it and is printing its label now.
        const std::vector<UnconfirmedNumber>& taken = printing ? *printing : none;
        const auto held = std::find_if(taken.begin(), taken.end(), [&](const UnconfirmedNumber& other) {
            return other.number == disk.number;
        });
        if (held != taken.end()) {
            tell("Disk #" + std::to_string(disk.number) +
                 ", labelled while the shared disk catalogue could not be reached, has the same number as a "
                 "label the desk " +
                 held->desk + " is printing. If that label comes out, both disks carry #" +
                 std::to_string(disk.number) +
                 ".\r\n\r\nThen print the label of one of them again as a new disk, so that each number "
                 "stands for one disk.");
        }
    }
}

std::optional<DiskRecord> Catalogue::recognise(const DiskIdentity& identity) {
    if (identity.serial == 0 || (!givesNumbers() && NothingAt(m_path))) {
        return std::nullopt;
    }
    CatalogueStore* catalogue = store(CatalogueAccess::Read);
    if (!catalogue) {
        return std::nullopt;
    }
    Result<std::optional<DiskRecord>> known = catalogue->recognise(identity);
    if (!known) {
        report(cannotUse(known.reason()));
        return std::nullopt;
    }
    return *known;
}

void Catalogue::recordLabel(const DiskRecord& disk, const WalkPlace& place) {
    cancelWalk();
    CatalogueStore* catalogue = store(CatalogueAccess::Record);
    if (!catalogue) {
        return;
    }
    const std::int64_t now = Seconds(m_clock ? m_clock->now() : std::chrono::system_clock::now());
    std::int64_t id = disk.id;
    if (id != 0) {
        if (const Result<Done> relabelled = catalogue->relabelDisk(id, disk, now); !relabelled) {
            report(cannotUse(relabelled.reason()));
            return;
        }
    } else {
        const Result<std::int64_t> added = catalogue->addDisk(disk, now);
        if (!added) {
            report(cannotUse(added.reason()));
            return;
        }
        id = *added;
    }
    startWalk(id, disk, place);
}

bool Catalogue::catalogueAgain(const DiskRecord& disk, const WalkPlace& place) {
    cancelWalk();
    CatalogueStore* catalogue = store(CatalogueAccess::Record);
    if (!catalogue) {
        return false;
    }
    if (const Result<Done> refreshed = catalogue->refreshDisk(disk.id, disk); !refreshed) {
        tell(cannotUse(refreshed.reason()));
        return false;
    }
    startWalk(disk.id, disk, place);
    return true;
}

void Catalogue::startWalk(std::int64_t diskId, const DiskRecord& disk, const WalkPlace& place) {
    m_cancel = false;
    setProgress({true, disk.number, 0});
    m_worker = std::thread([this, diskId, number = disk.number, used = disk.usedBytes, place] {
        walk(diskId, number, used, place);
    });
}

void Catalogue::walk(std::int64_t diskId, int number, std::uint64_t usedBytes, WalkPlace place) {
    std::string failure;
    WalkOutcome outcome{WalkEnd::SinkFailed, {}};
    bool oldListKept = false;
    Result<std::unique_ptr<CatalogueStore>> opened = openStore(CatalogueAccess::Change);
    if (!opened) {
        failure = opened.reason();
    } else {
        CatalogueStore& catalogue = **opened;
        {
            const std::lock_guard lock(m_mutex);
            m_walkStore = &catalogue;
        }
        const Result<std::int64_t> list = catalogue.beginEntries(diskId);
        if (!list) {
            failure = list.reason();
        } else {
            const Estimate estimate = EstimateFor(place.folder, usedBytes);
            outcome = WalkIntoList(
                catalogue, *list, place.folder, place.otherMounts, m_cancel,
                [&](const WalkCounts& counts) {
                    setProgress({true, number, estimate.percent(counts)});
                },
                failure);
            if (m_cancel.load() && failure.empty()) {
                outcome.end = WalkEnd::Cancelled;
            }
            const bool complete = outcome.end == WalkEnd::Finished;
            oldListKept = !complete && *list != diskId;
            if (const Result<Done> finished =
                    catalogue.finishEntries(diskId, *list, complete, outcome.counts.skippedFolders);
                !finished && failure.empty()) {
                failure = finished.reason();
                oldListKept = false;
            }
            if (complete && failure.empty()) {
                setProgress({true, number, 100});
            }
        }
        const std::lock_guard lock(m_mutex);
        m_walkStore = nullptr;
    }
    opened = Failure{}; // closed before the end is told: the file is whole by then
    const bool closing = m_closing.load();
    if (!failure.empty() || (outcome.end != WalkEnd::Finished && !closing)) {
        tell(WalkShortMessage(shownPath(), number, outcome.end, failure, oldListKept));
    }
    setProgress({});
}

void Catalogue::cancelWalk() {
    if (m_worker.joinable()) {
        m_cancel = true;
        {
            // A batch being written stops at once; the walk then ends as cancelled.
            const std::lock_guard lock(m_mutex);
            if (m_walkStore != nullptr) {
                m_walkStore->interrupt();
            }
        }
        m_worker.join();
    }
}

void Catalogue::waitForWalk() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void Catalogue::close() {
    m_closing = true;
    cancelWalk();
    m_store.reset();
    m_closing = false;
}

CatalogueProgress Catalogue::progress() const {
    const std::lock_guard lock(m_mutex);
    return m_progress;
}

void Catalogue::setProgressListener(std::function<void()> listener) {
    const std::lock_guard lock(m_listenerMutex);
    m_listener = std::move(listener);
}

void Catalogue::setProgress(const CatalogueProgress& progress) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_progress.walking == progress.walking && m_progress.diskNumber == progress.diskNumber &&
            m_progress.percent == progress.percent) {
            return;
        }
        m_progress = progress;
    }
    const std::lock_guard lock(m_listenerMutex);
    if (m_listener) {
        m_listener();
    }
}

void Catalogue::report(const std::string& message) {
    const std::lock_guard lock(m_mutex);
    if (!m_reported) {
        m_reported = true;
        m_messages.push_back(message);
    }
}

void Catalogue::tell(const std::string& message) {
    const std::lock_guard lock(m_mutex);
    m_messages.push_back(message);
}

std::optional<std::string> Catalogue::takeMessage() {
    const std::lock_guard lock(m_mutex);
    if (m_messages.empty()) {
        return std::nullopt;
    }
    std::string message = std::move(m_messages.front());
    m_messages.pop_front();
    return message;
}

std::optional<std::string> Catalogue::unfinishedMessage() const {
    if (!givesNumbers() && NothingAt(m_path)) {
        return std::nullopt;
    }
    Result<std::unique_ptr<CatalogueStore>> opened = openStore(CatalogueAccess::Read);
    Result<std::vector<DiskRecord>> disks = Then(opened, [&] { return (*opened)->disks(); });
    if (!disks) {
        return std::nullopt; // told when the catalogue is used
    }
    std::vector<DiskRecord> unfinished;
    std::copy_if(disks->begin(), disks->end(), std::back_inserter(unfinished),
                 [](const DiskRecord& disk) { return !disk.complete; });
    if (unfinished.empty()) {
        return std::nullopt;
    }
    const bool one = unfinished.size() == 1;
    return "The folders and files of disk" + std::string(one ? " " : "s ") + NumberList(unfinished) +
           " were not all recorded in the disk catalogue.\r\n\r\nTo finish " + (one ? "it" : "each") +
           ", put the disk in the Zip drive and choose Catalogue This Disk in the "
           "Catalogue window.";
}
