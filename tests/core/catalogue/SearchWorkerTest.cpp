#include "core/catalogue/SearchWorker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct Delivered {
    std::uint64_t generation;
    std::string text; // the searched text, or the failure's reason
};

// A search that answers one hit per request and can be held inside a search until released.
class HeldSearches {
public:
    SearchWorker::Search search() {
        return [this](const std::string& text) -> Result<SearchResult> {
            std::unique_lock lock(mutex);
            searched.push_back(text);
            changed.notify_all();
            changed.wait(lock, [this] { return !holding; });
            SearchResult result;
            result.hits.push_back(SearchHit{});
            result.hits.back().entry.name = text;
            result.total = 1;
            return result;
        };
    }
    void deliver(std::uint64_t generation, const Result<SearchResult>& result) {
        const std::lock_guard lock(mutex);
        delivered.push_back({generation, result ? result->hits.at(0).entry.name : result.reason()});
        changed.notify_all();
    }
    // Waits until `count` searches have started / results have arrived.
    bool waitForSearches(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, [&] { return searched.size() >= count; });
    }
    bool waitForDeliveries(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, [&] { return delivered.size() >= count; });
    }
    void release() {
        const std::lock_guard lock(mutex);
        holding = false;
        changed.notify_all();
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool holding = true;
    std::vector<std::string> searched;
    std::vector<Delivered> delivered;
};

} // namespace

TEST(SearchWorker, RequestsMadeWhileOneRunsCollapseIntoTheNewest) {
    HeldSearches searches;
    SearchWorker runner([&] { return Result<SearchWorker::Search>(searches.search()); },
                        [&](std::uint64_t g, Result<SearchResult> r) { searches.deliver(g, r); });
    const std::uint64_t first = runner.request("t");
    ASSERT_TRUE(searches.waitForSearches(1));
    runner.request("ta");
    runner.request("tax");
    const std::uint64_t last = runner.request("tax 2019");
    EXPECT_FALSE(runner.isCurrent(first));
    EXPECT_TRUE(runner.isCurrent(last));
    searches.release();
    ASSERT_TRUE(searches.waitForDeliveries(2));

    const std::lock_guard lock(searches.mutex);
    EXPECT_EQ(searches.searched, (std::vector<std::string>{"t", "tax 2019"}));
    ASSERT_EQ(searches.delivered.size(), 2u);
    // The overtaken search still arrives, marked with its own generation, for the receiver to drop.
    EXPECT_EQ(searches.delivered[0].generation, first);
    EXPECT_EQ(searches.delivered[1].generation, last);
    EXPECT_EQ(searches.delivered[1].text, "tax 2019");
}

TEST(SearchWorker, AFailedOpeningIsReportedAndTriedAgain) {
    HeldSearches searches;
    searches.holding = false;
    int openings = 0;
    SearchWorker runner(
        [&]() -> Result<SearchWorker::Search> {
            if (++openings == 1) {
                return Failure{"database is locked"};
            }
            return searches.search();
        },
        [&](std::uint64_t g, Result<SearchResult> r) { searches.deliver(g, r); });
    runner.request("tax");
    ASSERT_TRUE(searches.waitForDeliveries(1));
    runner.request("tax");
    ASSERT_TRUE(searches.waitForDeliveries(2));
    runner.request("taxes");
    ASSERT_TRUE(searches.waitForDeliveries(3));

    const std::lock_guard lock(searches.mutex);
    EXPECT_EQ(searches.delivered[0].text, "database is locked");
    EXPECT_EQ(searches.delivered[1].text, "tax");
    EXPECT_EQ(searches.delivered[2].text, "taxes");
    EXPECT_EQ(openings, 2); // an opened search is kept
}
