#include "forms/ProgramState.h"

// Complete types for the shared_ptr members' owners are not needed here: each pointer carries its deleter.

namespace {

ProgramState& instance() {
    static ProgramState state;
    return state;
}

} // namespace

ProgramState& Program() { return instance(); }

void ResetProgram() { instance() = ProgramState{}; }
