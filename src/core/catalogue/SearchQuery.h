#pragma once

#include "core/runtime/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A search as the user meant it: words to find, words to leave out and filters, all of which an entry must
// pass. Sizes are in bytes, times in seconds since the epoch.
struct SearchQuery {
    std::vector<std::string> words;           // each somewhere in the entry's path or its disk's volume name
    std::vector<std::string> excluded;        // none of them there
    std::vector<std::string> extensions;      // any of them, without the dot; files only
    std::optional<std::uint64_t> sizeAtLeast; // files only, as every size filter
    std::optional<std::uint64_t> sizeBelow;
    std::optional<std::int64_t> modifiedFrom;   // inclusive
    std::optional<std::int64_t> modifiedBefore; // exclusive
    std::optional<bool> folders;                // only folders (true) or only files (false)
    bool everyType = false;                     // both types asked: every entry, which is still a search
    std::vector<int> disks;                     // disk numbers, any of them
    bool duplicates = false;                    // only files whose name and size are on another disk too

    // Nothing asked: no word and no filter.
    bool empty() const;
};

// A filter on sizes or times as a store checks it: the entry's column ("size" or "modified") compared
// (">=" or "<") with a value.
struct NumberFilter {
    const char* column;
    const char* comparison;
    std::int64_t value;
};

// The size and time filters of a search.
std::vector<NumberFilter> NumberFilters(const SearchQuery& query);

// Reads a search as typed: words and "quoted phrases", -word (or -"a phrase") to leave out, and the filters
// ext:pdf (or *.pdf), size:>100MB, size:<1KB (also >= and <=; B, KB, MB, GB, TB, 1 KB being 1024 bytes),
// modified:2019, modified:2019-03..2019-06 (years, months, days or a range of them, in local time; either
// end may be left open), type:folder, type:file, disk:42 (or #42) and dupes:. Filter names are in any letter
// case; a word that only looks like a filter (C:, http://x) or is quoted stays a word. A filter that cannot
// be read fails, saying what is wrong and how to write it.
Result<SearchQuery> ParseSearch(std::string_view text);
