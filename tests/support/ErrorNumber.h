#pragma once

#include "core/runtime/RuntimeError.h"

// The number of the RuntimeError a call throws; 0 when it throws none.
int ErrorNumberOf(auto&& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}
