#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

// While it lives, the calling thread opens files as the user "nobody" if the tests run as root, so that a
// file's mode bits refuse it as they refuse an ordinary user (root may read anything). An ordinary user is
// refused by the bits already and stays who they are.
class ActingAsNobody {
public:
    ActingAsNobody() : m_root(::geteuid() == 0) {
        if (m_root) {
            ::setfsgid(Nobody);
            ::setfsuid(Nobody);
        }
    }
    ~ActingAsNobody() {
        if (m_root) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    ActingAsNobody(const ActingAsNobody&) = delete;
    ActingAsNobody& operator=(const ActingAsNobody&) = delete;

private:
    static constexpr uid_t Nobody = 65534;
    const bool m_root;
};
