#include "core/catalogue/SearchWorker.h"

#include <utility>

SearchWorker::SearchWorker(OpenSearch open, Deliver deliver)
    : m_open(std::move(open)), m_deliver(std::move(deliver)), m_worker([this] { run(); }) {}

SearchWorker::~SearchWorker() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_waiting.reset();
        if (m_interrupt) {
            m_interrupt();
        }
    }
    m_wake.notify_one();
    m_worker.join();
}

std::uint64_t SearchWorker::request(const std::string& text) {
    std::uint64_t generation = 0;
    {
        const std::lock_guard lock(m_mutex);
        generation = ++m_generation;
        m_waiting = Request{generation, text};
        // The search running is for text typed before: its answer would be dropped anyway.
        if (m_interrupt) {
            m_interrupt();
        }
    }
    m_wake.notify_one();
    return generation;
}

void SearchWorker::cancel() {
    const std::lock_guard lock(m_mutex);
    ++m_generation;
    m_waiting.reset();
}

void SearchWorker::run() {
    std::optional<Searcher> searcher; // made, used and dropped on this thread only
    for (;;) {
        Request request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || m_waiting.has_value(); });
            if (m_stopping) {
                return;
            }
            request = *std::exchange(m_waiting, std::nullopt);
        }
        if (!searcher) {
            Result<Searcher> opened = m_open();
            if (!opened) {
                m_deliver(request.generation, Failure{opened.reason()});
                continue;
            }
            searcher = std::move(opened).value();
        }
        {
            const std::lock_guard lock(m_mutex);
            if (m_stopping) {
                return;
            }
            m_interrupt = searcher->interrupt;
        }
        // An interruption between two of its statements is lost (SQLite forgets one made while nothing
        // runs), so a search that was cut may still end and be delivered: it is then stale, and dropped.
        Result<SearchResult> found = searcher->search(request.text);
        {
            const std::lock_guard lock(m_mutex);
            m_interrupt = nullptr;
            if (m_stopping) {
                return; // interrupted on the way out: nobody waits for it
            }
        }
        m_deliver(request.generation, std::move(found));
    }
}
