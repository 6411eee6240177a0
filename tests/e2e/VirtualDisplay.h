#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>

// A private Xvfb server for the life of the object, and xdotool to act on its windows as a person would.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N"
    const QString& name() const { return m_name; }

    // The visible windows whose title matches the regular expression, waiting up to timeoutMs for one.
    QStringList waitForWindows(const QString& titlePattern, int timeoutMs = 20000) const;
    // Whether a visible window with a matching title exists now.
    bool hasWindow(const QString& titlePattern) const;
    // Gives a window the keyboard focus and types a key chord at it ("Return", "alt+p").
    bool key(const QString& window, const QString& chord) const;
    // Runs xdotool with the arguments; true when it succeeded, with its standard output in `out`.
    bool xdotool(const QStringList& arguments, QString* out = nullptr, int timeoutMs = 10000) const;

private:
    std::unique_ptr<QProcess> m_server;
    QString m_name;
};
