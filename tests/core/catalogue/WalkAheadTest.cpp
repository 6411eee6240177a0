#include "support/FakeSystemTree.h"
#include "support/TempDir.h"

#include "core/catalogue/WalkAhead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What a sink saw, in order: entry names, unreadable folders as "!name", idle calls as "idle".
using Seen = std::vector<std::string>;

void Keep(Seen& seen, const WalkBatch& batch) {
    for (const CatalogueEntry& entry : batch.entries) {
        seen.push_back(entry.path());
    }
    for (const std::string& folder : batch.unreadableFolders) {
        seen.push_back("!" + folder);
    }
}

WalkBatch Batch(std::vector<std::string> names, std::vector<std::string> unreadable = {}) {
    WalkBatch batch;
    for (std::string& name : names) {
        batch.entries.push_back({"", std::move(name), false, 1, 1});
    }
    batch.unreadableFolders = std::move(unreadable);
    return batch;
}

// A walk that hands over its batches in turn and ends as `end`, or as SinkFailed when one is refused.
Walk Handing(std::vector<WalkBatch> batches, WalkEnd end, std::size_t& handed) {
    return [batches = std::move(batches), end, &handed](const EntrySink& sink) mutable {
        WalkCounts counts;
        for (WalkBatch& batch : batches) {
            counts.entries += batch.entries.size();
            if (!sink(batch, counts)) {
                return WalkOutcome{WalkEnd::SinkFailed, counts};
            }
            ++handed;
        }
        return WalkOutcome{end, counts};
    };
}

} // namespace

// Whatever the sink's side does, it gets every batch of the walk in order, and the walk's own end; a sink
// that refuses stops the walk at its next handover, and the walk ends as failed.
TEST(WalkAhead, HandsOverEveryBatchInOrderUntilTheSinkRefuses) {
    const struct {
        WalkEnd end;
        int refuseAt; // the sink's call that answers false, 0 for none
        std::size_t mostWaiting;
        WalkEnd expected;
    } cases[] = {
        {WalkEnd::Finished, 0, 8192, WalkEnd::Finished},
        {WalkEnd::Cancelled, 0, 8192, WalkEnd::Cancelled},
        {WalkEnd::Lost, 0, 1, WalkEnd::Lost},
        {WalkEnd::Finished, 1, 1, WalkEnd::SinkFailed},
        {WalkEnd::Finished, 2, 1, WalkEnd::SinkFailed},
    };
    for (const auto& c : cases) {
        std::size_t handed = 0;
        Seen seen;
        int calls = 0;
        WalkCounts last;
        const WalkOutcome outcome = WalkAhead(
            Handing({Batch({"a", "b"}, {"x"}), Batch({"c"}), Batch({"d", "e"}, {"y"}), Batch({"f"}),
                     Batch({"g"})},
                    c.end, handed),
            [&](WalkBatch& batch, const WalkCounts& counts) {
                Keep(seen, batch);
                last = counts;
                return ++calls != c.refuseAt;
            },
            {}, c.mostWaiting);
        EXPECT_EQ(outcome.end, c.expected);
        if (c.refuseAt == 0) {
            // Batches that waited together come as one: entries first, then their unreadable folders.
            const Seen names(seen.begin(),
                             std::stable_partition(seen.begin(), seen.end(),
                                                   [](const std::string& s) { return s[0] != '!'; }));
            EXPECT_EQ(names, (Seen{"a", "b", "c", "d", "e", "f", "g"}));
            EXPECT_EQ(seen.size(), 9u);
            EXPECT_EQ(last.entries, 7u) << "the counts of the last batch handed over";
            EXPECT_EQ(handed, 5u);
        } else {
            EXPECT_EQ(calls, c.refuseAt);
            // With room for one, the walk is at most one batch ahead of the sink when it refuses.
            EXPECT_LE(handed, static_cast<std::size_t>(c.refuseAt) + 1) << "the walk stopped";
        }
    }
}

// A walk that pauses (a slow disk) lets the sink's side finish what it holds: idle is called once the
// walk has handed nothing over for a while after a batch, and not again until the next batch. Idle's
// false stops the walk as the sink's would.
TEST(WalkAhead, AWalkThatPausesLetsTheSinkFinishWhatItHolds) {
    for (const bool idleAgrees : {true, false}) {
        std::mutex mutex;
        std::condition_variable called;
        bool idled = false;
        Seen seen;
        const Walk pausing = [&](const EntrySink& sink) {
            WalkBatch first = Batch({"a"});
            WalkBatch second = Batch({"b"});
            if (!sink(first, {1, 0, 0})) {
                return WalkOutcome{WalkEnd::SinkFailed, {}};
            }
            {
                std::unique_lock lock(mutex);
                // Bounded, so that a fault shows as a failed expectation rather than a hung test.
                called.wait_for(lock, std::chrono::seconds(10), [&] { return idled; });
            }
            std::this_thread::sleep_for(3 * WalkIdleAfter); // nothing handed over: no second idle call
            if (!sink(second, {2, 0, 0})) {
                return WalkOutcome{WalkEnd::SinkFailed, {}};
            }
            return WalkOutcome{WalkEnd::Finished, {2, 0, 0}};
        };
        const WalkOutcome outcome = WalkAhead(
            pausing,
            [&](WalkBatch& batch, const WalkCounts&) {
                Keep(seen, batch);
                return true;
            },
            [&] {
                const std::lock_guard lock(mutex);
                seen.push_back("idle");
                idled = true;
                called.notify_one();
                return idleAgrees;
            });
        if (idleAgrees) {
            EXPECT_EQ(outcome.end, WalkEnd::Finished);
            EXPECT_EQ(seen, (Seen{"a", "idle", "b"}));
        } else {
            EXPECT_EQ(outcome.end, WalkEnd::SinkFailed);
            EXPECT_EQ(seen, (Seen{"a", "idle"}));
        }
    }
}

// Over a real tree the sink gets what a walk on its own thread finds, entry for entry and in order, even
// when the walk has to wait for the sink.
TEST(WalkAhead, FindsWhatTheWalkFindsEntryForEntry) {
    const TempDir dir;
    for (int folder = 0; folder < 20; ++folder) {
        const fs::path path = dir / ("f" + std::to_string(folder)) / ("sub" + std::to_string(folder % 3));
        fs::create_directories(path);
        for (int file = 0; file < 30; ++file) {
            WriteBytes(path / ("file" + std::to_string(file)), "x");
        }
    }
    const std::atomic<bool> cancel{false};
    Seen alone;
    const WalkOutcome walked =
        WalkTree(dir.path().string(), {}, cancel, [&](WalkBatch& batch, const WalkCounts&) {
            Keep(alone, batch);
            return true;
        });
    Seen ahead;
    std::size_t batches = 0;
    const WalkOutcome outcome = WalkTreeAhead(
        dir.path().string(), {}, cancel,
        [&](WalkBatch& batch, const WalkCounts& counts) {
            Keep(ahead, batch);
            ++batches;
            EXPECT_EQ(counts.entries, ahead.size());
            std::this_thread::sleep_for(std::chrono::milliseconds(1)); // the walk runs ahead and waits
            return true;
        },
        {}, 300);
    EXPECT_EQ(outcome.end, WalkEnd::Finished);
    EXPECT_EQ(outcome.counts.entries, walked.counts.entries);
    ASSERT_EQ(alone.size(), 20u * 32);
    EXPECT_EQ(ahead, alone);
    EXPECT_GT(batches, 1u);
}

// A sink that refuses while the walk waits for room (the sink is behind) lets the walk go: it stops at
// once rather than wait for a sink that is gone.
TEST(WalkAhead, ARefusalLetsAWalkWaitingForRoomGo) {
    std::atomic<bool> handingThird{false};
    std::size_t handed = 0;
    const Walk walk = [&](const EntrySink& sink) {
        WalkCounts counts;
        for (const char* name : {"a", "b", "c"}) {
            WalkBatch batch = Batch({name});
            handingThird = std::string(name) == "c";
            if (!sink(batch, counts)) {
                return WalkOutcome{WalkEnd::SinkFailed, counts};
            }
            ++handed;
        }
        return WalkOutcome{WalkEnd::Finished, counts};
    };
    const WalkOutcome outcome = WalkAhead(
        walk,
        [&](WalkBatch&, const WalkCounts&) {
            while (!handingThird) {
                std::this_thread::yield();
            }
            // "b" waits, so "c" waits for room: given a moment to be waiting.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return false;
        },
        {}, 1);
    EXPECT_EQ(outcome.end, WalkEnd::SinkFailed);
    EXPECT_EQ(handed, 2u);
}
