#include "core/catalogue/PgRows.h"

#include "core/catalogue/PgLibrary.h"

#include <charconv>
#include <utility>

PgRows::~PgRows() {
    if (m_result != nullptr) {
        Pg().clear(m_result);
    }
}

PgRows::PgRows(PgRows&& other) noexcept : m_result(std::exchange(other.m_result, nullptr)) {}

PgRows& PgRows::operator=(PgRows&& other) noexcept {
    if (this != &other) {
        PgRows old(std::move(*this));
        m_result = std::exchange(other.m_result, nullptr);
    }
    return *this;
}

int PgRows::size() const {
    return m_result != nullptr ? Pg().ntuples(m_result) : 0;
}

bool PgRows::isNull(int row, int column) const {
    return Pg().getisnull(m_result, row, column) != 0;
}

std::string_view PgRows::text(int row, int column) const {
    return {Pg().getvalue(m_result, row, column),
            static_cast<std::size_t>(Pg().getlength(m_result, row, column))};
}

std::int64_t PgRows::integer(int row, int column) const {
    const std::string_view value = text(row, column);
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    return error == std::errc() && end == value.data() + value.size() ? number : 0;
}
