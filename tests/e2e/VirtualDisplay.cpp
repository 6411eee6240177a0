#include "VirtualDisplay.h"

#include <QDeadlineTimer>
#include <QThread>

#include <stdexcept>

VirtualDisplay::VirtualDisplay() : m_server(std::make_unique<QProcess>()) {
    // -displayfd makes the server pick a free display and print its number once it is ready.
    m_server->start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    if (!m_server->waitForStarted(10000)) {
        throw std::runtime_error("Xvfb could not be started");
    }
    const QDeadlineTimer deadline(20000);
    QByteArray out;
    while (!out.contains('\n') && !deadline.hasExpired()) {
        m_server->waitForReadyRead(200);
        out += m_server->readAllStandardOutput();
        if (m_server->state() != QProcess::Running) {
            throw std::runtime_error("Xvfb stopped: " + m_server->readAllStandardError().toStdString());
        }
    }
    if (!out.contains('\n')) {
        throw std::runtime_error("Xvfb did not say which display it uses");
    }
    m_name = ":" + QString::fromLatin1(out).trimmed();
}

VirtualDisplay::~VirtualDisplay() {
    m_server->terminate();
    if (!m_server->waitForFinished(5000)) {
        m_server->kill();
        m_server->waitForFinished(2000);
    }
}

bool VirtualDisplay::xdotool(const QStringList& arguments, QString* out, int timeoutMs) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_name);
    process.setProcessEnvironment(env);
    process.start("xdotool", arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (out != nullptr) {
        *out = QString::fromLocal8Bit(process.readAllStandardOutput());
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList VirtualDisplay::waitForWindows(const QString& titlePattern, int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QString found;
        xdotool({"search", "--onlyvisible", "--name", titlePattern}, &found, 5000);
        const QStringList ids = found.split('\n', Qt::SkipEmptyParts);
        if (!ids.isEmpty()) {
            return ids;
        }
        QThread::msleep(100);
    }
    return {};
}

bool VirtualDisplay::hasWindow(const QString& titlePattern) const {
    QString found;
    xdotool({"search", "--onlyvisible", "--name", titlePattern}, &found, 5000);
    return !found.trimmed().isEmpty();
}

bool VirtualDisplay::key(const QString& window, const QString& chord) const {
    // Without a window manager the focus is given directly; the keys then go through XTEST like typed ones.
    xdotool({"windowfocus", "--sync", window});
    return xdotool({"key", "--clearmodifiers", chord});
}
