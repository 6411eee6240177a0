#include "core/runtime/ExitTerminator.h"

#include <cstdio>
#include <cstdlib>

void ExitTerminator::endNow() {
    if (m_beforeExit) {
        m_beforeExit();
    }
    // Ending at once: no window's close handlers run, nothing more is shown.
    std::fflush(nullptr);
    std::_Exit(0);
}
