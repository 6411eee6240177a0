#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// A private CUPS scheduler for printing tests: its own configuration, spool, cache, state and logs in a
// temporary folder, listening only on a unix socket there. The machine's own scheduler and printers are
// never touched. From its start on, CUPS_SERVER points at its socket.
//
// libcups reads CUPS_SERVER once per thread, at the thread's first CUPS call: start the server before the
// first printing call of the thread that prints, or ask from a fresh thread.
class CupsServer {
public:
    static constexpr const char* QueueName = "tessaline-test";

    // Starts the scheduler, waits until it answers, and adds a raw queue with a file: device as the default.
    // Throws std::runtime_error (with the scheduler's log) on failure.
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    std::string socketPath() const { return m_dir + "/cups.sock"; }
    // The document files of the jobs taken so far (kept after printing), oldest first.
    std::vector<std::string> spooledDocuments() const;
    // Waits up to timeoutMs for more than `known` documents and returns the newest one.
    std::optional<std::string> waitForDocument(std::size_t known, int timeoutMs = 10000) const;
    // Lets the default queue accept or refuse new jobs (cupsaccept / cupsreject); false if that failed.
    bool setAcceptingJobs(bool accepting) const;
    // The scheduler's error log, for failure messages.
    std::string log() const;

private:
    bool run(const std::string& command) const;
    void stop();

    std::string m_dir;
    pid_t m_pid = -1;
};
