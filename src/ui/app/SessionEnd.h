#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// Turns the signals that end a desktop session (SIGTERM at logout or shutdown, SIGHUP when the terminal
// goes, SIGINT) into a call on the event loop, where the program can end as Quit ends it: a signal handler
// itself may do almost nothing.
class SessionEnd final : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(std::function<void()> onEnd, QObject* parent = nullptr);
    ~SessionEnd() override;
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

private:
    std::function<void()> m_onEnd;
    QSocketNotifier* m_notifier = nullptr;
};
