#pragma once

#include "core/catalogue/CatalogueEntry.h"

#include <cstdint>
#include <string>
#include <vector>

// An entry that matched a search, with the disk it is on.
struct SearchHit {
    std::int64_t diskId = 0;
    int diskNumber = 0;
    std::string volumeName;
    std::int64_t lastLabelled = 0;
    CatalogueEntry entry;
};

// The first matches of a search (by disk number, then path) and how many there are in all.
struct SearchResult {
    std::vector<SearchHit> hits;
    std::uint64_t total = 0;
};
