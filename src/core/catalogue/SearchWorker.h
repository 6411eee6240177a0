#pragma once

#include "core/catalogue/SearchResult.h"
#include "core/runtime/Result.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// Searches the catalogue on a worker thread of its own, so that typing never waits on the database.
// Each request gets a generation, one higher than the last; only the newest request is worth its result.
// A request made while another runs interrupts it and replaces any that still waits, and a result is
// handed out with its generation, for the receiver to drop unless isCurrent() (a newer request may come in
// while it travels).
class SearchWorker {
public:
    using Search = std::function<Result<SearchResult>(const std::string& text)>;
    // A search, with what makes a running one fail at once (called from another thread).
    struct Searcher {
        Search search;
        std::function<void()> interrupt;
    };
    // Makes the search on the worker thread, the one thread its connection is used on. Tried again at the
    // next request after a failure.
    using OpenSearch = std::function<Result<Searcher>()>;
    // Called on the worker thread with every search that ran.
    using Deliver = std::function<void(std::uint64_t generation, Result<SearchResult> result)>;

    SearchWorker(OpenSearch open, Deliver deliver);
    // Interrupts a search that is running and waits for it; one still waiting is dropped.
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    // Asks for a search of `text`; answers its generation.
    std::uint64_t request(const std::string& text);
    // Makes every earlier request stale without asking for another (a cleared search field).
    void cancel();
    bool isCurrent(std::uint64_t generation) const { return generation == m_generation.load(); }

private:
    struct Request {
        std::uint64_t generation = 0;
        std::string text;
    };

    void run();

    OpenSearch m_open;
    Deliver m_deliver;
    std::atomic<std::uint64_t> m_generation{0};

    std::mutex m_mutex; // guards the two below
    std::condition_variable m_wake;
    std::optional<Request> m_waiting;
    bool m_stopping = false;
    std::function<void()> m_interrupt; // of the search running, if any

    std::thread m_worker; // last: started once everything it reads is made
};
