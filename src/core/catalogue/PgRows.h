#pragma once

#include <cstdint>
#include <string_view>

struct pg_result;

// The rows a statement answered on a PostgreSQL server, freed with this object. Values are read as text
// in the server's own output formats; a NULL reads as empty.
class PgRows {
public:
    explicit PgRows(pg_result* result) : m_result(result) {}
    ~PgRows();
    PgRows(PgRows&& other) noexcept;
    PgRows& operator=(PgRows&& other) noexcept;
    PgRows(const PgRows&) = delete;
    PgRows& operator=(const PgRows&) = delete;

    int size() const;
    bool isNull(int row, int column) const;
    std::string_view text(int row, int column) const;
    // The value as a whole number; 0 for NULL or text that is not one.
    std::int64_t integer(int row, int column) const;

private:
    pg_result* m_result = nullptr;
};
