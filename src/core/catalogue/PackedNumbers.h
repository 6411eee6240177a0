#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Numbers as the catalogue's packed rows keep them: seven bits a byte, low bits first, the high bit saying
// that more follow.
inline void PutNumber(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out += static_cast<char>(value | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

// Small differences either way in few bytes.
inline std::uint64_t Signed(std::int64_t value) {
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

inline std::int64_t Unsigned(std::uint64_t value) {
    return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
}

// Differences wrap as unsigned numbers do, so that no pair of values overflows.
inline std::int64_t Minus(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

inline std::int64_t Plus(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

// The length of the start two texts share.
inline std::size_t SharedStart(std::string_view a, std::string_view b) {
    std::size_t shared = 0;
    const std::size_t limit = std::min(a.size(), b.size());
    while (shared < limit && a[shared] == b[shared]) {
        ++shared;
    }
    return shared;
}

// Reads numbers and bytes off packed bytes; each read fails (nullopt) past their end.
class PackedReader {
public:
    explicit PackedReader(std::string_view bytes) : m_bytes(bytes) {}

    std::optional<std::uint64_t> number() {
        if (m_at < m_bytes.size() && static_cast<unsigned char>(m_bytes[m_at]) < 0x80) {
            return static_cast<unsigned char>(m_bytes[m_at++]); // most numbers here are small
        }
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (m_at == m_bytes.size()) {
                return std::nullopt;
            }
            const auto byte = static_cast<unsigned char>(m_bytes[m_at++]);
            value |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
            if ((byte & 0x80) == 0) {
                return value;
            }
        }
        return std::nullopt;
    }

    std::optional<std::string_view> bytes(std::uint64_t count) {
        if (count > m_bytes.size() - m_at) {
            return std::nullopt;
        }
        const std::string_view taken = m_bytes.substr(m_at, count);
        m_at += count;
        return taken;
    }

    bool atEnd() const { return m_at == m_bytes.size(); }
    // How many bytes were read.
    std::size_t at() const { return m_at; }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};
