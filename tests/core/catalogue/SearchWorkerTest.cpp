#include "core/catalogue/SearchWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// A search that runs until it is interrupted, as a long query on a large catalogue would.
struct EndlessSearch {
    std::atomic<bool> started{false};
    std::atomic<bool> interrupted{false};

    SearchWorker::OpenSearch opener() {
        return [this]() -> Result<SearchWorker::Searcher> {
            return SearchWorker::Searcher{[this](const std::string&) -> Result<SearchResult> {
                                              started = true;
                                              while (!interrupted) {
                                                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                              }
                                              return Failure{"interrupted"};
                                          },
                                          [this] { interrupted = true; }};
        };
    }
};

TEST(SearchWorkerTest, ClosingInterruptsTheSearchRunningAndDeliversNothingMore) {
    EndlessSearch search;
    std::atomic<int> delivered{0};
    {
        SearchWorker worker(search.opener(), [&](std::uint64_t, Result<SearchResult>) { ++delivered; });
        worker.request("tax");
        while (!search.started) {
            std::this_thread::yield();
        }
        worker.request("taxes"); // waiting behind the running one: dropped with the worker
    }                            // returns only once the running search has stopped
    EXPECT_TRUE(search.interrupted);
    EXPECT_EQ(delivered, 0);
}

// Typing on makes the search still running for the text before give way at once to the newest.
TEST(SearchWorkerTest, ANewerRequestInterruptsTheSearchRunning) {
    EndlessSearch search;
    std::atomic<std::uint64_t> delivered{0};
    SearchWorker worker(
        [&]() -> Result<SearchWorker::Searcher> {
            SearchWorker::Searcher endless = search.opener()().value();
            return SearchWorker::Searcher{[&, endless](const std::string& text) -> Result<SearchResult> {
                                              if (text == "taxes") {
                                                  return SearchResult{};
                                              }
                                              return endless.search(text);
                                          },
                                          endless.interrupt};
        },
        [&](std::uint64_t generation, const Result<SearchResult>& result) {
            if (result) {
                delivered = generation;
            }
        });
    worker.request("tax");
    while (!search.started) {
        std::this_thread::yield();
    }
    const std::uint64_t newest = worker.request("taxes");
    for (int i = 0; i < 5000 && delivered != newest; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(search.interrupted);
    EXPECT_EQ(delivered, newest);
}

} // namespace
