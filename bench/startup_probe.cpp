// Starts a program and waits, as an X client, for its windows to be mapped: prints the milliseconds from
// the start to the first MapNotify of a top-level window and the process's peak memory a moment later;
// with --windows 2 also the time the second window (the main window, after the splash) is mapped and the
// peak memory then.
//
// Usage: startup_probe [--windows N] [--settle MS] [--timeout MS] -- PROGRAM [ARGS...]
// Output: one line "first_ms first_peak_kb [nth_ms nth_peak_kb]".
//
// The probe selects SubstructureNotify on the root window before the program starts, so no map is missed
// and nothing polls the server; it is meant for a private display on which only the program runs.
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "startup_probe: %s\n", what);
    std::exit(2);
}

class Probe {
public:
    Probe() {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection) != 0) {
            fail("cannot open the display");
        }
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        // A round trip: the selection is in force before the program can map anything.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    ~Probe() { xcb_disconnect(m_connection); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // Waits up to `timeoutMs` for a map of a top-level window not seen before; false on time-out or when
    // `pid` has ended.
    bool waitForNewWindow(pid_t pid, int timeoutMs) {
        const Clock::time_point until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                const bool fresh = mapped && map->event == m_root && m_seen.insert(map->window).second;
                std::free(event);
                if (fresh) {
                    return true;
                }
            }
            if (waitpid(pid, nullptr, WNOHANG) != 0 || Clock::now() >= until) {
                return false;
            }
            pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&fd, 1, 50);
        }
    }

    // Lets the program run on for `ms`, draining events meanwhile.
    void settle(int ms) {
        const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < until) {
            pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&fd, 1, 20);
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                std::free(event);
            }
        }
    }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    std::set<xcb_window_t> m_seen;
};

} // namespace

int main(int argc, char** argv) {
    int windows = 1;
    int settleMs = 500;
    int timeoutMs = 30000;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (i + 1 >= argc) {
            fail("an option lacks its value");
        }
        if (std::strcmp(argv[i], "--windows") == 0) {
            windows = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--settle") == 0) {
            settleMs = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--timeout") == 0) {
            timeoutMs = std::atoi(argv[++i]);
        } else {
            fail("unknown option");
        }
    }
    if (i + 1 >= argc || windows < 1) {
        fail("usage: startup_probe [--windows N] [--settle MS] [--timeout MS] -- PROGRAM [ARGS...]");
    }
    char** program = argv + i + 1;

    Probe probe;
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        fail("fork failed");
    }
    if (pid == 0) {
        execvp(program[0], program);
        _exit(127);
    }

    std::string line;
    bool ok = true;
    for (int n = 1; n <= windows && ok; ++n) {
        ok = probe.waitForNewWindow(pid, timeoutMs);
        if (!ok) {
            break;
        }
        const double ms = millisecondsSince(start);
        // Peak memory a moment after the map: the first paint and what follows it belong to the start.
        probe.settle(settleMs);
        if (n == 1 || n == windows) {
            char figures[64];
            std::snprintf(figures, sizeof figures, "%s%.1f %ld", line.empty() ? "" : " ", ms,
                          peakKilobytes(pid));
            line += figures;
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (!ok) {
        fail("the program ended or timed out before its windows were mapped");
    }
    std::printf("%s\n", line.c_str());
    return 0;
}
