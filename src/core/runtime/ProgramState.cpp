#include "core/runtime/ProgramState.h"

namespace {

ProgramState& instance() {
    static ProgramState state;
    return state;
}

} // namespace

ProgramState& Program() { return instance(); }

void ResetProgram() { instance() = ProgramState{}; }
