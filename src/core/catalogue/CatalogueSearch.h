#pragma once

#include "core/catalogue/SearchResult.h"
#include "core/runtime/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

class SqliteDatabase;

// The entries of the catalogue that hold every word of `text` (see SearchWords), in their name or in their
// disk's volume name: a word in a volume name stands for every entry of that disk. Letter case is folded as
// the trigram index folds it (any script), accents are kept apart. A word of three letters or more matches
// any part of a name through the index; two letters any part as well, through the index's trigrams that
// begin with them; one letter a whole name. A word that is not UTF-8 matches its bytes as they are. At most
// `limit` hits, by disk number, then path in byte order.
Result<SearchResult> SearchCatalogue(const SqliteDatabase& db, std::string_view text, std::size_t limit);

// Every hit of the same search in the same order, a disk at a time; `visit` gets each with the count of all
// and answers false to stop.
Result<Done> VisitCatalogueHits(const SqliteDatabase& db, std::string_view text,
                                const std::function<bool(const SearchHit& hit, std::uint64_t total)>& visit);
