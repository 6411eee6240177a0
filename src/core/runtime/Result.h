#pragma once

#include <optional>
#include <string>
#include <utility>

// Why something could not be done, in words for a message or a log.
struct Failure {
    std::string reason;
};

// The value of a Result that only says whether something was done.
struct Done {};

// A value, or the failure that left none: the one way the program's logic reports a failure it expects
// (a disk that is not there, a file that cannot be written). Run-time errors with the classic numbers stay
// exceptions (RuntimeError), where the program has always raised them.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_reason(std::move(failure.reason)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const T& operator*() const& { return *m_value; }
    const T* operator->() const { return &*m_value; }
    T value_or(T fallback) const { return m_value ? *m_value : std::move(fallback); }

    // Empty when the result holds a value.
    const std::string& reason() const { return m_reason; }

private:
    std::optional<T> m_value;
    std::string m_reason;
};
