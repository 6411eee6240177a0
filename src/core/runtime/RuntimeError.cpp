#include "core/runtime/RuntimeError.h"

RuntimeError::RuntimeError(int number) : RuntimeError(number, standardDescription(number)) {}

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description), m_number(number) {}

std::string RuntimeError::standardDescription(int number) {
    switch (number) {
    case InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case Overflow:
        return "Overflow";
    case DivisionByZero:
        return "Division by zero";
    case TypeMismatch:
        return "Type mismatch";
    case DeviceUnavailable:
        return "Device unavailable";
    case PathNotFound:
        return "Path not found";
    case ObjectRequired:
        return "Object required";
    default:
        return "Application-defined or object-defined error";
    }
}
