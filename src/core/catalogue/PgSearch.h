#pragma once

#include "core/catalogue/SearchResult.h"
#include "core/runtime/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
class CaseFolding;
class PgConnection;
struct SearchQuery;

// A search (as ParseSearch reads it) of a catalogue server, with the meaning of a search of the file (see
// SearchCatalogue): every word in the entry's path or its disk's volume name, letter case folded by `folding`
// as the file's index folds it, the same filters, the same order. The server's trigram index finds the
// entries, its own sort puts them in order. The total is counted, or reckoned from the disks read where the
// first hits lie on the first disks or no word is long enough for the index.
Result<SearchResult> SearchServer(const PgConnection& connection, CaseFolding& folding,
                                  const SearchQuery& query, std::size_t limit);

// Every hit of the same search in the same order, read in pieces; `visit` gets each with the count of all
// (0 without `withTotal`) and answers false to stop.
Result<Done> VisitServerHits(const PgConnection& connection, CaseFolding& folding, const SearchQuery& query,
                             const std::function<bool(const SearchHit& hit, std::uint64_t total)>& visit,
                             bool withTotal);
