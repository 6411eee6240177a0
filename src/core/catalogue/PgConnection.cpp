#include "core/catalogue/PgConnection.h"

#include "core/catalogue/PgLibrary.h"

#include <array>
#include <optional>

namespace {

// The server's codes for the failures told in words of their own.
constexpr std::string_view InsufficientPrivilege = "42501";
constexpr std::string_view QueryCanceled = "57014";

// libpq's messages end with a newline, some with several lines.
std::string OneLine(const char* message) {
    std::string line = message != nullptr ? message : "";
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) {
        line.pop_back();
    }
    for (char& c : line) {
        if (c == '\n') {
            c = ' ';
        }
    }
    return line;
}

// A server that does not answer (a network down) is given up after a few seconds rather than the system's
// minutes: a desk waits on it before a label. A time the connection sets itself stands.
std::string WithTimeout(const std::string& connection) {
    if (connection.find("connect_timeout") != std::string::npos) {
        return connection;
    }
    if (connection.find("://") != std::string::npos) {
        return connection + (connection.find('?') == std::string::npos ? "?" : "&") + "connect_timeout=5";
    }
    return connection + (connection.empty() ? "" : " ") + "connect_timeout=5";
}

} // namespace

Result<std::unique_ptr<PgConnection>> PgConnection::open(const std::string& connection) {
    Result<const PgLibrary*> library = LoadPg();
    if (!library) {
        return library.failure();
    }
    const PgLibrary& pq = **library;
    pg_conn* made = pq.connectdb(WithTimeout(connection).c_str());
    if (made == nullptr) {
        return Failure{"the catalogue server could not be connected to (out of memory)"};
    }
    auto opened = std::unique_ptr<PgConnection>(new PgConnection(made));
    if (pq.status(made) != CONNECTION_OK) {
        const std::string why = OneLine(pq.errorMessage(made));
        if (pq.connectionNeedsPassword(made) != 0) {
            return Failure{
                "the catalogue server asks for a password: keep it in ~/.pgpass or a service file, "
                "never in the profile (" +
                why + ")"};
        }
        if (why.find("authentication failed") != std::string::npos) {
            return Failure{"the catalogue server refused the login (" + why + ")"};
        }
        return Failure{"the catalogue server cannot be reached (" + why + ")"};
    }
    opened->m_cancel = pq.getCancel(made);
    return opened;
}

PgConnection::~PgConnection() {
    if (m_cancel != nullptr) {
        Pg().freeCancel(m_cancel);
    }
    Pg().finish(m_connection);
}

void PgConnection::interrupt() const {
    if (m_cancel != nullptr) {
        std::array<char, 256> error{};
        (void)Pg().cancel(m_cancel, error.data(), static_cast<int>(error.size()));
    }
}

Failure PgConnection::failed(const char* message, const char* state) const {
    const std::string why = OneLine(message);
    const std::string_view code = state != nullptr ? state : "";
    if (Pg().status(m_connection) != CONNECTION_OK) {
        return Failure{"the connection to the catalogue server was lost (" + why + ")"};
    }
    if (code == InsufficientPrivilege) {
        return Failure{"the catalogue server does not allow this login to do that (" + why + ")", true};
    }
    if (code == QueryCanceled) {
        return Failure{"the request was interrupted (" + why + ")"};
    }
    return Failure{"the catalogue server refused a request (" + why + ")"};
}

Result<PgRows> PgConnection::query(std::string_view sql, const std::vector<Parameter>& parameters) const {
    const PgLibrary& pq = Pg();
    std::vector<const char*> values;
    values.reserve(parameters.size());
    for (const Parameter& parameter : parameters) {
        values.push_back(parameter ? parameter->c_str() : nullptr);
    }
    const std::string text(sql);
    pg_result* result = pq.execParams(m_connection, text.c_str(), static_cast<int>(values.size()), nullptr,
                                      values.data(), nullptr, nullptr, 0);
    PgRows rows(result); // frees it, whatever it says
    const ExecStatusType status = result != nullptr ? pq.resultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        return result != nullptr
                   ? failed(pq.resultErrorMessage(result), pq.resultErrorField(result, PG_DIAG_SQLSTATE))
                   : failed(pq.errorMessage(m_connection));
    }
    return rows;
}

Result<Done> PgConnection::run(std::string_view sql, const std::vector<Parameter>& parameters) const {
    Result<PgRows> rows = query(sql, parameters);
    if (!rows) {
        return rows.failure();
    }
    return Done{};
}

Result<Done> PgConnection::copyIn(std::string_view sql, std::string_view rows) const {
    const PgLibrary& pq = Pg();
    const std::string text(sql);
    pg_result* started = pq.execParams(m_connection, text.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    const PgRows start(started);
    if (started == nullptr || pq.resultStatus(started) != PGRES_COPY_IN) {
        return started != nullptr
                   ? failed(pq.resultErrorMessage(started), pq.resultErrorField(started, PG_DIAG_SQLSTATE))
                   : failed(pq.errorMessage(m_connection));
    }
    // In pieces, as libpq counts bytes in an int.
    constexpr std::size_t Piece = std::size_t{1} << 20;
    bool sent = true;
    for (std::size_t at = 0; at < rows.size() && sent; at += Piece) {
        const std::string_view piece = rows.substr(at, Piece);
        sent = pq.putCopyData(m_connection, piece.data(), static_cast<int>(piece.size())) == 1;
    }
    std::optional<Failure> failure;
    if (!sent) {
        failure = failed(pq.errorMessage(m_connection));
    }
    if (pq.putCopyEnd(m_connection, sent ? nullptr : "abandoned") != 1 && !failure) {
        failure = failed(pq.errorMessage(m_connection));
    }
    // The copy's outcome, and nothing left behind for the next statement.
    while (pg_result* result = pq.getResult(m_connection)) {
        const PgRows ended(result);
        if (pq.resultStatus(result) != PGRES_COMMAND_OK && !failure) {
            failure = failed(pq.resultErrorMessage(result), pq.resultErrorField(result, PG_DIAG_SQLSTATE));
        }
    }
    if (failure) {
        return *failure;
    }
    return Done{};
}

std::string CopyField(std::string_view text) {
    std::string field;
    field.reserve(text.size());
    AppendCopyField(field, text);
    return field;
}

void AppendCopyField(std::string& field, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '\\':
            field += "\\\\";
            break;
        case '\t':
            field += "\\t";
            break;
        case '\n':
            field += "\\n";
            break;
        case '\r':
            field += "\\r";
            break;
        default:
            field += c;
        }
    }
}
