#include "core/catalogue/SearchWorker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

// That a newer request overtakes the ones still waiting is seen in the catalogue window's test.
TEST(SearchWorker, AFailedOpeningIsReportedAndTriedAgainAtTheNextRequest) {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::string> delivered; // the number of letters searched, or the failure's reason
    int openings = 0;
    SearchWorker runner(
        [&]() -> Result<SearchWorker::Search> {
            if (++openings == 1) {
                return Failure{"database is locked"};
            }
            return SearchWorker::Search([](const std::string& text) -> Result<SearchResult> {
                SearchResult result;
                result.total = text.size();
                return result;
            });
        },
        [&](std::uint64_t, Result<SearchResult> result) {
            const std::lock_guard lock(mutex);
            delivered.push_back(result ? std::to_string(result->total) : result.reason());
            arrived.notify_all();
        });
    const std::vector<std::string> texts = {"tax", "taxes", "tax 2019"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        runner.request(texts[i]);
        std::unique_lock lock(mutex);
        ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(5), [&] { return delivered.size() > i; }));
    }
    EXPECT_EQ(delivered, (std::vector<std::string>{"database is locked", "5", "8"}));
    EXPECT_EQ(openings, 2); // an opened search is kept
}
