#pragma once

#include <stdexcept>
#include <string>

// A run-time failure of the program's logic, carrying the classic error number and its description.
// Routines with their own handler catch it; others let it pass to their caller.
class RuntimeError : public std::runtime_error {
public:
    enum Number : int {
        InvalidProcedureCall = 5,
        Overflow = 6,
        DivisionByZero = 11,
        TypeMismatch = 13,
        DeviceUnavailable = 68,
        PathNotFound = 76,
        ObjectRequired = 424,
    };

    explicit RuntimeError(int number);
    RuntimeError(int number, const std::string& description);

    int number() const { return m_number; }
    std::string description() const { return what(); }

    // The standard description of an error number ("Overflow", "Type mismatch", ...).
    static std::string standardDescription(int number);

private:
    int m_number;
};
