#include "core/catalogue/SearchWorker.h"

#include <utility>

SearchWorker::SearchWorker(OpenSearch open, Deliver deliver)
    : m_open(std::move(open)), m_deliver(std::move(deliver)), m_worker([this] { run(); }) {}

SearchWorker::~SearchWorker() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_waiting.reset();
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
    std::optional<Search> search; // made, used and dropped on this thread only
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
        if (!search) {
            Result<Search> opened = m_open();
            if (!opened) {
                m_deliver(request.generation, Failure{opened.reason()});
                continue;
            }
            search = std::move(opened).value();
        }
        m_deliver(request.generation, (*search)(request.text));
    }
}
