#pragma once

// Ends the program at once: no further windows, no unload handlers.
class ProgramTerminator {
public:
    virtual ~ProgramTerminator() = default;
    [[noreturn]] virtual void endNow() = 0;
};
