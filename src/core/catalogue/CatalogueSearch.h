#pragma once

#include "core/catalogue/SearchResult.h"
#include "core/runtime/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

class SqliteDatabase;

// The entries of the catalogue that a search asks for (see ParseSearch): every word somewhere in the entry's
// path on its disk (its own name or a folder above it; a word with a slash may run across folders) or in
// its disk's volume name, of any length and in any part of a name; no word left out there; every filter
// passed. Letter case is folded as the name index folds it (any script), accents are kept apart; a word that
// is not UTF-8 matches its bytes as they are. Entries whose own name holds every word come first, then
// those found through their folders or volume, each by disk number, then path in byte order; duplicates
// (dupes:) by name and size, then disk number and path. At most `limit` hits. A search that cannot be read
// fails with the reason, in words for the user.
Result<SearchResult> SearchCatalogue(const SqliteDatabase& db, std::string_view text, std::size_t limit);

// Reading every hit, at most this many are kept in memory to be given later rather than read again.
inline constexpr std::uint64_t MostKeptHits = 100000;

// Every hit of the same search in the same order; `visit` gets each with the count of all (0 without
// `withTotal`) and answers false to stop. Past `mostKept` matches, the disks are read again in turn.
Result<Done> VisitCatalogueHits(const SqliteDatabase& db, std::string_view text,
                                const std::function<bool(const SearchHit& hit, std::uint64_t total)>& visit,
                                bool withTotal = true, std::uint64_t mostKept = MostKeptHits);
