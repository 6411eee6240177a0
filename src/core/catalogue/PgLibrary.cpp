#include "core/catalogue/PgLibrary.h"

#include "core/catalogue/LoadedFunctions.h"

namespace {

const auto FindEach = [](PgLibrary& library, const auto& find) {
    find(library.connectdb, "PQconnectdb");
    find(library.status, "PQstatus");
    find(library.errorMessage, "PQerrorMessage");
    find(library.connectionNeedsPassword, "PQconnectionNeedsPassword");
    find(library.finish, "PQfinish");
    find(library.execParams, "PQexecParams");
    find(library.resultStatus, "PQresultStatus");
    find(library.resultErrorMessage, "PQresultErrorMessage");
    find(library.resultErrorField, "PQresultErrorField");
    find(library.clear, "PQclear");
    find(library.ntuples, "PQntuples");
    find(library.nfields, "PQnfields");
    find(library.getvalue, "PQgetvalue");
    find(library.getisnull, "PQgetisnull");
    find(library.getlength, "PQgetlength");
    find(library.putCopyData, "PQputCopyData");
    find(library.putCopyEnd, "PQputCopyEnd");
    find(library.getResult, "PQgetResult");
    find(library.getCancel, "PQgetCancel");
    find(library.cancel, "PQcancel");
    find(library.freeCancel, "PQfreeCancel");
};

} // namespace

Result<PgLibrary> LoadPgLibrary(const char* file) {
    return LoadFunctions<PgLibrary>(file, "PostgreSQL's client library", FindEach);
}

Result<const PgLibrary*> LoadPg() {
    return KeepLoaded<PgLibrary>(LoadPgLibrary, TESSALINE_PQ_LIBRARY);
}

const PgLibrary& Pg() {
    return *KeepLoaded<PgLibrary>(LoadPgLibrary, TESSALINE_PQ_LIBRARY).value();
}
