#include "core/runtime/ProgramState.h"

namespace {

ProgramState& Instance() {
    static ProgramState state;
    return state;
}

} // namespace

ProgramState& Program() {
    return Instance();
}

void ResetProgram() {
    Instance() = ProgramState{};
}
