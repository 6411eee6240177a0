#pragma once

#include "core/runtime/Result.h"

#include <string>

class PgConnection;

// The version of the catalogue's tables on a server that this program reads and writes.
inline constexpr int PgSchemaVersion = 1;

// The group roles an administrator grants to each desk's login: one may search, the other may label too.
inline constexpr const char* SearchRole = "tessaline_search";
inline constexpr const char* LabelRole = "tessaline_label";

// Makes the catalogue's tables on the server (in a schema "tessaline" of their own), or brings older ones
// up to date, and the two group roles with their rights, all in one transaction; with new tables, the
// team's disk numbers go on after `lastNumber`. Done by an administrator, never by a desk on its own.
// Answers what was done, in words.
Result<std::string> InitPgCatalogue(const PgConnection& connection, int lastNumber);

// Whether the server holds a catalogue this program can use; otherwise what is wrong and what to do.
Result<Done> CheckPgCatalogue(const PgConnection& connection);
