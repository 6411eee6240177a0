#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>

// Why something could not be done, in words for a message or a log.
struct Failure {
    std::string reason;
    // The other side answered, and says no: asking again later gets the same answer. Otherwise the failure
    // may pass (a server that cannot be reached now).
    bool refused = false;
};

// The value of a Result that only says whether something was done.
struct Done {};

// A value, or the failure that left none: the one way the program's logic reports a failure it expects
// (a disk that is not there, a file that cannot be written). Run-time errors with the classic numbers stay
// exceptions (RuntimeError), where the program has always raised them.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_reason(std::move(failure.reason)), m_refused(failure.refused) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    // Only on a result that holds a value: a debug build stops on a failure here rather than hand out
    // whatever the empty storage holds.
    const T& value() const& { return *held(); }
    T& value() & { return *held(); }
    T&& value() && { return std::move(*held()); }
    const T& operator*() const& { return *held(); }
    const T* operator->() const { return held(); }
    T value_or(T fallback) const { return m_value ? *m_value : std::move(fallback); }

    // Empty when the result holds a value.
    const std::string& reason() const { return m_reason; }
    // The failure, to hand on as another Result's: `if (!read) { return read.failure(); }`.
    Failure failure() const { return Failure{m_reason, m_refused}; }

private:
    const T* held() const {
        assert(ok());
        return &*m_value;
    }
    T* held() {
        assert(ok());
        return &*m_value;
    }

    std::optional<T> m_value;
    std::string m_reason;
    bool m_refused = false;
};

// `next()` when `first` holds a value, else `first`'s failure as next()'s result: for steps that each need
// the one before, without a block per step.
template <typename T, typename Next> auto Then(const Result<T>& first, Next&& next) -> decltype(next()) {
    if (!first) {
        return first.failure();
    }
    return std::forward<Next>(next)();
}
