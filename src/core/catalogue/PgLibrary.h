#pragma once

#include "core/runtime/Result.h"

#include <libpq-fe.h>

// The functions of libpq, PostgreSQL's client library, that the shared catalogue calls. The library is
// loaded the first time a server is connected to: a desk whose catalogue is a file never needs it.
struct PgLibrary {
    decltype(&PQconnectdb) connectdb;
    decltype(&PQstatus) status;
    decltype(&PQerrorMessage) errorMessage;
    decltype(&PQconnectionNeedsPassword) connectionNeedsPassword;
    decltype(&PQfinish) finish;
    decltype(&PQexecParams) execParams;
    decltype(&PQresultStatus) resultStatus;
    decltype(&PQresultErrorMessage) resultErrorMessage;
    decltype(&PQresultErrorField) resultErrorField;
    decltype(&PQclear) clear;
    decltype(&PQntuples) ntuples;
    decltype(&PQnfields) nfields;
    decltype(&PQgetvalue) getvalue;
    decltype(&PQgetisnull) getisnull;
    decltype(&PQgetlength) getlength;
    decltype(&PQputCopyData) putCopyData;
    decltype(&PQputCopyEnd) putCopyEnd;
    decltype(&PQgetResult) getResult;
    decltype(&PQgetCancel) getCancel;
    decltype(&PQcancel) cancel;
    decltype(&PQfreeCancel) freeCancel;
};

// Loads the shared library `file` and finds every function above in it; a failure says which could not
// be loaded or found. Each call loads afresh: the program's one copy is Pg's.
Result<PgLibrary> LoadPgLibrary(const char* file);

// The program's libpq, loaded on the first call (by any thread) and kept; a library that could not be
// loaded gives the same failure at every call.
Result<const PgLibrary*> LoadPg();

// The library that LoadPg() loaded: for code that holds a connection, which it made.
const PgLibrary& Pg();
