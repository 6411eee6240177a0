#include "core/catalogue/WalkAhead.h"

#include <algorithm>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// What the walk hands over at a time: a whole number of the catalogue's blocks of entries, and small, so
// that the sink starts early.
constexpr std::size_t WalkBatchSize = 256;

// Entries on their way from the walking thread to the sink's.
class Handover {
public:
    explicit Handover(std::size_t mostWaiting) : m_most(std::max<std::size_t>(mostWaiting, 1)) {}

    // The walk's side: false once the sink has refused, and the walk is to stop.
    bool put(WalkBatch& batch, const WalkCounts& counts) {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [&] { return m_refused || m_waiting.entries.size() < m_most; });
        if (m_refused) {
            return false;
        }
        std::move(batch.entries.begin(), batch.entries.end(), std::back_inserter(m_waiting.entries));
        std::move(batch.unreadableFolders.begin(), batch.unreadableFolders.end(),
                  std::back_inserter(m_waiting.unreadableFolders));
        m_counts = counts;
        m_ready.notify_one();
        return true;
    }

    void end(const WalkOutcome& outcome) {
        const std::lock_guard lock(m_mutex);
        m_outcome = outcome;
        m_ended = true;
        m_ready.notify_one();
    }

    enum class Taken { Batch, Idle, Ended };

    // The sink's side: everything waiting, swapped into `batch` (whose entries the sink is done with).
    // Idle only when `idle` and nothing came for WalkIdleAfter.
    Taken take(WalkBatch& batch, WalkCounts& counts, bool idle) {
        std::unique_lock lock(m_mutex);
        const auto ready = [&] {
            return m_ended || !m_waiting.entries.empty() || !m_waiting.unreadableFolders.empty();
        };
        if (idle) {
            if (!m_ready.wait_for(lock, WalkIdleAfter, ready)) {
                return Taken::Idle;
            }
        } else {
            m_ready.wait(lock, ready);
        }
        if (m_waiting.entries.empty() && m_waiting.unreadableFolders.empty()) {
            return Taken::Ended;
        }
        batch.entries.clear();
        batch.unreadableFolders.clear();
        std::swap(batch, m_waiting);
        counts = m_counts;
        m_room.notify_one();
        return Taken::Batch;
    }

    void refuse() {
        const std::lock_guard lock(m_mutex);
        m_refused = true;
        m_room.notify_one();
    }

    WalkOutcome outcome() const {
        const std::lock_guard lock(m_mutex);
        return m_outcome;
    }

private:
    const std::size_t m_most;
    mutable std::mutex m_mutex;
    std::condition_variable m_ready; // for the sink: something waits, or the walk ended
    std::condition_variable m_room;  // for the walk: room to hand over, or the sink refused
    WalkBatch m_waiting;
    WalkCounts m_counts;
    WalkOutcome m_outcome;
    bool m_ended = false;
    bool m_refused = false;
};

// The walking thread, let go (should it wait for room) and joined on the way out, however the sink's side
// ends.
class Walking {
public:
    template <typename Walk>
    Walking(Handover& handover, Walk&& walk) : m_handover(handover), m_thread(std::forward<Walk>(walk)) {}
    ~Walking() {
        m_handover.refuse();
        m_thread.join();
    }
    Walking(const Walking&) = delete;
    Walking& operator=(const Walking&) = delete;

private:
    Handover& m_handover;
    std::thread m_thread;
};

} // namespace

WalkOutcome WalkAhead(const Walk& walk, const EntrySink& sink, const WalkIdle& idle,
                      std::size_t mostWaiting) {
    Handover handover(mostWaiting);
    bool refused = false;
    {
        const Walking walking(handover, [&] {
            handover.end(walk(
                [&](WalkBatch& batch, const WalkCounts& counts) { return handover.put(batch, counts); }));
        });
        WalkBatch batch;
        WalkCounts counts;
        bool given = false; // a batch since `idle` was last called
        for (;;) {
            const Handover::Taken taken = handover.take(batch, counts, given && idle);
            if (taken == Handover::Taken::Ended) {
                break;
            }
            given = taken == Handover::Taken::Batch;
            if (given ? !sink(batch, counts) : !idle()) {
                refused = true;
                break;
            }
        }
    }
    WalkOutcome outcome = handover.outcome();
    if (refused) {
        outcome.end = WalkEnd::SinkFailed;
    }
    return outcome;
}

WalkOutcome WalkTreeAhead(const std::string& root, const std::vector<std::string>& otherMounts,
                          const std::atomic<bool>& cancel, const EntrySink& sink, const WalkIdle& idle,
                          std::size_t mostWaiting) {
    return WalkAhead(
        [&](const EntrySink& handOver) {
            return WalkTree(root, otherMounts, cancel, handOver, WalkBatchSize);
        },
        sink, idle, mostWaiting);
}
