#pragma once

#include <QLockFile>

#include <memory>

// A per-user lock that tells whether another copy of the program runs. A lock left by a copy that
// crashed is taken over.
class InstanceGuard {
public:
    // `lockPath` empty: the lock lives in the user's runtime directory.
    explicit InstanceGuard(const QString& lockPath = {});

    // True when another running copy holds the lock.
    bool PrevInstance() const { return !m_locked; }

    static QString defaultLockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_locked = false;
};
