#include "ui/app/SessionEnd.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <utility>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> EndingSignals = {SIGTERM, SIGHUP, SIGINT};

// The handler's end of the pair; one program has one session.
int g_signalled = -1; // NOLINT: a signal handler can reach nothing else

void Signalled(int signal) {
    const char byte = static_cast<char>(signal);
    // Nothing can be done about a full pipe: one byte waiting is enough.
    [[maybe_unused]] const ssize_t written = ::write(g_signalled, &byte, 1);
}

} // namespace

SessionEnd::SessionEnd(std::function<void()> onEnd, QObject* parent)
    : QObject(parent), m_onEnd(std::move(onEnd)) {
    std::array<int, 2> pair{};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair.data()) != 0) {
        return; // the signals end the program as they would without this
    }
    g_signalled = pair[0];
    m_notifier = new QSocketNotifier(pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(static_cast<int>(m_notifier->socket()), &byte, 1) > 0) {
        }
        if (m_onEnd) {
            m_onEnd();
        }
    });
    struct sigaction action {};
    action.sa_handler = Signalled;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : EndingSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

SessionEnd::~SessionEnd() {
    if (m_notifier == nullptr) {
        return;
    }
    for (const int signal : EndingSignals) {
        std::signal(signal, SIG_DFL);
    }
    ::close(std::exchange(g_signalled, -1));
    ::close(static_cast<int>(m_notifier->socket()));
}
