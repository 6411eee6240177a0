#pragma once

#include "core/catalogue/TreeWalk.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CatalogueStore;

// The tree under `root` walked into the list `listId` of `store`, as a disk is recorded: the walk goes
// ahead on a thread of its own while its entries are staged in the store, and a walk that pauses (a slow
// disk) has them committed, so that the file's write lock is never held while the disk is slow to answer.
// What is left staged at the end is the store's finish to commit. `progress` gets the counts after each
// batch; `failure` the reason a write failed, unless `cancel` was set (a write interrupted by a cancel is
// no failure of the file).
WalkOutcome WalkIntoList(CatalogueStore& store, std::int64_t listId, const std::string& root,
                         const std::vector<std::string>& otherMounts, const std::atomic<bool>& cancel,
                         const std::function<void(const WalkCounts&)>& progress, std::string& failure);
