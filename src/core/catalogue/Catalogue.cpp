#include "core/catalogue/Catalogue.h"

#include "core/catalogue/CatalogueText.h"
#include "core/catalogue/TreeWalk.h"
#include "core/runtime/Clock.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <utility>

#include <sys/stat.h>

namespace {

std::int64_t Seconds(Clock::TimePoint when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

std::string CannotUseMessage(const std::string& path, const std::string& reason) {
    return "The disk catalogue " + path + " cannot be used: " + reason +
           ".\r\n\r\nDisks are examined and labels printed as usual, but they are not recorded in the "
           "catalogue.";
}

std::string WalkFailedMessage(const std::string& path, int number, const std::string& reason) {
    const std::string why = reason.empty() ? "" : ": " + reason;
    return "The folders and files of disk #" + std::to_string(number) +
           " could not all be recorded in the disk catalogue " + path + why +
           ".\r\n\r\nIts label was printed; print it again to record the rest.";
}

int Percent(const WalkCounts& counts, std::uint64_t usedBytes) {
    if (usedBytes == 0) {
        return 0;
    }
    // The share is an estimate from the used space: it never claims the end before the walk reaches it.
    const long double share = static_cast<long double>(counts.bytes) * 100 / usedBytes;
    return static_cast<int>(std::min<long double>(share, 99));
}

} // namespace

Catalogue::Catalogue(std::string path, std::shared_ptr<Clock> clock)
    : m_path(std::move(path)), m_clock(std::move(clock)) {}

Catalogue::~Catalogue() {
    cancelWalk();
}

std::string Catalogue::today() const {
    const std::time_t now =
        static_cast<std::time_t>(Seconds(m_clock ? m_clock->now() : std::chrono::system_clock::now()));
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 16> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%d", &local);
    return text.data();
}

Result<std::unique_ptr<CatalogueStore>> Catalogue::openStore() const {
    return CatalogueStore::open(m_path, today());
}

CatalogueStore* Catalogue::store() {
    if (!m_store) {
        Result<std::unique_ptr<CatalogueStore>> opened = openStore();
        if (!opened) {
            report(CannotUseMessage(m_path, opened.reason()));
            return nullptr;
        }
        m_store = std::move(opened).value();
        if (!m_store->movedAside().empty()) {
            report(MovedAsideMessage(m_path, m_store->movedAside()));
        }
    }
    return m_store.get();
}

std::optional<DiskRecord> Catalogue::recognise(const DiskIdentity& identity) {
    struct stat st {};
    if (identity.serial == 0 || ::stat(m_path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    CatalogueStore* catalogue = store();
    if (!catalogue) {
        return std::nullopt;
    }
    Result<std::optional<DiskRecord>> known = catalogue->recognise(identity);
    if (!known) {
        report(CannotUseMessage(m_path, known.reason()));
        return std::nullopt;
    }
    return *known;
}

void Catalogue::recordLabel(const DiskRecord& disk, const WalkPlace& place) {
    cancelWalk();
    CatalogueStore* catalogue = store();
    if (!catalogue) {
        return;
    }
    const std::int64_t now = Seconds(m_clock ? m_clock->now() : std::chrono::system_clock::now());
    std::int64_t id = disk.id;
    if (id != 0) {
        if (const Result<Done> relabelled = catalogue->relabelDisk(id, disk, now); !relabelled) {
            report(CannotUseMessage(m_path, relabelled.reason()));
            return;
        }
    } else {
        const Result<std::int64_t> added = catalogue->addDisk(disk, now);
        if (!added) {
            report(CannotUseMessage(m_path, added.reason()));
            return;
        }
        id = *added;
    }
    m_cancel = false;
    setProgress({true, disk.number, 0});
    m_worker = std::thread(
        [this, id, number = disk.number, used = disk.usedBytes, place] { walk(id, number, used, place); });
}

void Catalogue::walk(std::int64_t diskId, int number, std::uint64_t usedBytes, WalkPlace place) {
    std::string failure;
    Result<std::unique_ptr<CatalogueStore>> opened = openStore();
    if (!opened) {
        failure = opened.reason();
    } else {
        CatalogueStore& catalogue = **opened;
        if (const Result<Done> begun = catalogue.beginEntries(diskId); !begun) {
            failure = begun.reason();
        } else {
            const EntrySink sink = [&](WalkBatch& batch, const WalkCounts& counts) {
                if (const Result<Done> added = catalogue.addEntries(diskId, batch.entries); !added) {
                    failure = added.reason();
                    return false;
                }
                setProgress({true, number, Percent(counts, usedBytes)});
                return true;
            };
            const WalkOutcome outcome = WalkTree(place.folder, place.otherMounts, m_cancel, sink);
            const bool complete = outcome.end == WalkEnd::Finished;
            if (const Result<Done> finished =
                    catalogue.finishEntries(diskId, complete, outcome.counts.skippedFolders);
                !finished && failure.empty()) {
                failure = finished.reason();
            }
        }
    }
    if (!failure.empty()) {
        report(WalkFailedMessage(m_path, number, failure));
    }
    setProgress({});
}

void Catalogue::cancelWalk() {
    if (m_worker.joinable()) {
        m_cancel = true;
        m_worker.join();
    }
}

void Catalogue::waitForWalk() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
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
        m_message = message;
    }
}

std::optional<std::string> Catalogue::takeMessage() {
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_message, std::nullopt);
}
