#include "core/catalogue/PgTransaction.h"

#include "core/catalogue/PgConnection.h"

#include <utility>

Result<PgTransaction> PgTransaction::begin(const PgConnection& connection, std::string_view begin) {
    if (Result<Done> begun = connection.run(begin); !begun) {
        return begun.failure();
    }
    return PgTransaction(connection);
}

PgTransaction::~PgTransaction() {
    if (m_connection != nullptr) {
        (void)m_connection->run("ROLLBACK"); // a connection that was lost has rolled back by itself
    }
}

PgTransaction::PgTransaction(PgTransaction&& other) noexcept
    : m_connection(std::exchange(other.m_connection, nullptr)) {}

Result<Done> PgTransaction::commit() {
    const PgConnection* connection = std::exchange(m_connection, nullptr);
    return connection->run("COMMIT");
}
