// Starts a program and waits, as an X client, for its windows: prints the milliseconds from the start to
// the first MapNotify of a top-level window and to the first drawing into that window (its first paint),
// the processor time the program had used by that paint, and its peak memory a moment later; with
// --windows 2 the same again for the second window (the main window, after the splash).
//
// Usage: startup_probe [--windows N] [--settle MS] [--timeout MS] -- PROGRAM [ARGS...]
// Output: one line "map_ms paint_ms cpu_ms peak_kb" for the first window (cpu_ms: the processor time
// the program had used when its paint was seen), and as many again for the last one when N > 1.
//
// The probe selects SubstructureNotify on the root window before the program starts, so no map is missed
// and nothing polls the server; drawing is seen through the DAMAGE extension, watched from the moment
// each window is created. It is meant for a private display on which only the program runs.
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

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

// Processor time the process has used so far, all its threads, in milliseconds: unlike the time on the
// clock it does not grow when other programs keep the processor busy.
double cpuMilliseconds(pid_t pid) {
    double total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') {
                continue;
            }
            std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
            unsigned long long onCpuNs = 0;
            if (stat >> onCpuNs) {
                total += static_cast<double>(onCpuNs) / 1e6;
            }
        }
        closedir(dir);
    }
    return total;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "startup_probe: %s\n", what);
    std::exit(2);
}

// The two requests of the DAMAGE extension the probe needs, sent as xcb-damage would send them (its
// development files are not needed for these few bytes).
xcb_extension_t damageExtension = {"DAMAGE", 0};

struct DamageQueryVersion {
    std::uint8_t majorOpcode;
    std::uint8_t minorOpcode;
    std::uint16_t length;
    std::uint32_t clientMajor;
    std::uint32_t clientMinor;
};

struct DamageCreate {
    std::uint8_t majorOpcode;
    std::uint8_t minorOpcode;
    std::uint16_t length;
    std::uint32_t damage;
    std::uint32_t drawable;
    std::uint8_t level;
    std::uint8_t pad[3];
};

constexpr std::uint8_t DamageReportNonEmpty = 3;

template <typename Request>
unsigned sendRequest(xcb_connection_t* c, int opcode, bool isVoid, Request& body) {
    const xcb_protocol_request_t request = {1, &damageExtension, static_cast<std::uint8_t>(opcode),
                                            static_cast<std::uint8_t>(isVoid ? 1 : 0)};
    iovec parts[3] = {};
    parts[2].iov_base = &body;
    parts[2].iov_len = sizeof body;
    return xcb_send_request(c, isVoid ? 0 : XCB_REQUEST_CHECKED, parts + 2, &request);
}

struct Window {
    std::optional<double> mapped;
    std::optional<double> painted;
    double cpuAtPaint = 0;
};

class Probe {
public:
    Probe() {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection) != 0) {
            fail("cannot open the display");
        }
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(m_connection, &damageExtension);
        if (damage == nullptr || damage->present == 0) {
            fail("the display has no DAMAGE extension");
        }
        m_damageNotify = damage->first_event;
        DamageQueryVersion version{0, 0, 0, 1, 1};
        xcb_generic_error_t* error = nullptr;
        std::free(xcb_wait_for_reply(m_connection, sendRequest(m_connection, 0, false, version), &error));
        if (error != nullptr) {
            fail("DAMAGE refused its version query");
        }
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        // A round trip: the selection is in force before the program can create anything.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        m_start = Clock::now();
    }
    ~Probe() { xcb_disconnect(m_connection); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    void restartClock() { m_start = Clock::now(); }
    void watch(pid_t pid) { m_pid = pid; }

    // Waits up to `timeoutMs` for the map of a top-level window not mapped before and then for its first
    // paint; nullopt on time-out or when `pid` has ended.
    std::optional<Window> waitForNewWindow(pid_t pid, int timeoutMs) {
        const Clock::time_point until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::optional<std::uint32_t> awaited;
        for (;;) {
            drain();
            if (!awaited) {
                for (const auto& [id, window] : m_windows) {
                    if (window.mapped && m_reported.count(id) == 0) {
                        awaited = id;
                        break;
                    }
                }
            }
            if (awaited && m_windows[*awaited].painted) {
                m_reported[*awaited] = true;
                return m_windows[*awaited];
            }
            if (waitpid(pid, nullptr, WNOHANG) != 0 || Clock::now() >= until) {
                return std::nullopt;
            }
            pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&fd, 1, 50);
        }
    }

    // Lets the program run on for `ms`, taking in events meanwhile.
    void settle(int ms) {
        const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < until) {
            pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&fd, 1, 20);
            drain();
        }
    }

private:
    double now() const { return std::chrono::duration<double, std::milli>(Clock::now() - m_start).count(); }

    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const std::uint8_t type = event->response_type & 0x7F;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
                if (created->parent == m_root) {
                    watchDrawing(created->window);
                }
            } else if (type == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                Window& window = m_windows[map->window];
                if (map->event == m_root && !window.mapped) {
                    window.mapped = now();
                }
            } else if (type == m_damageNotify) {
                // The drawable follows the response type, level and sequence number.
                std::uint32_t drawable = 0;
                std::memcpy(&drawable, reinterpret_cast<const char*>(event) + 4, sizeof drawable);
                Window& window = m_windows[drawable];
                if (window.mapped && !window.painted) {
                    window.painted = now();
                    window.cpuAtPaint = m_pid > 0 ? cpuMilliseconds(m_pid) : 0;
                }
            }
            std::free(event);
        }
    }

    void watchDrawing(std::uint32_t window) {
        DamageCreate create{0, 0, 0, xcb_generate_id(m_connection), window, DamageReportNonEmpty, {}};
        sendRequest(m_connection, 1, true, create);
        xcb_flush(m_connection);
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    std::uint8_t m_damageNotify = 0;
    pid_t m_pid = 0;
    Clock::time_point m_start;
    std::map<std::uint32_t, Window> m_windows;
    std::map<std::uint32_t, bool> m_reported;
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
    probe.restartClock();
    const pid_t pid = fork();
    if (pid < 0) {
        fail("fork failed");
    }
    if (pid == 0) {
        execvp(program[0], program);
        _exit(127);
    }
    probe.watch(pid);

    std::string line;
    bool ok = true;
    for (int n = 1; n <= windows && ok; ++n) {
        const std::optional<Window> window = probe.waitForNewWindow(pid, timeoutMs);
        ok = window.has_value();
        if (!ok) {
            break;
        }
        // Peak memory a moment after the paint: what follows the first paint belongs to the start too.
        probe.settle(settleMs);
        if (n == 1 || n == windows) {
            char figures[96];
            std::snprintf(figures, sizeof figures, "%s%.1f %.1f %.1f %ld", line.empty() ? "" : " ",
                          *window->mapped, *window->painted, window->cpuAtPaint, peakKilobytes(pid));
            line += figures;
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (!ok) {
        fail("the program ended or timed out before its windows were mapped and painted");
    }
    std::printf("%s\n", line.c_str());
    return 0;
}
