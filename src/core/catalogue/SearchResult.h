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
    // For a duplicate: the number of another record of the same physical disk (same serial and capacity)
    // that holds it too, a disk relabelled as new rather than a second copy; 0 when there is none.
    int sameDiskAs = 0;
};

// The first matches of a search (by disk number, then path) and how many there are in all.
struct SearchResult {
    std::vector<SearchHit> hits;
    std::uint64_t total = 0;
    // The total is reckoned from the share of matches among the entries read before the first hits were
    // all found, when counting them all would have kept those hits waiting.
    bool totalEstimated = false;
};
