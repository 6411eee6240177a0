#include "ui/app/InstanceGuard.h"

#include <QDir>
#include <QStandardPaths>

InstanceGuard::InstanceGuard(const QString& lockPath)
    : m_lock(std::make_unique<QLockFile>(lockPath.isEmpty() ? defaultLockPath() : lockPath)) {
    // A live holder is never timed out; a dead one's lock is stale and taken over.
    m_lock->setStaleLockTime(0);
    m_locked = m_lock->tryLock(0);
}

QString InstanceGuard::defaultLockPath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    QDir().mkpath(dir);
    return dir + "/Tesslin1.lock";
}
