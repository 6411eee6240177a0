#pragma once

#include "core/catalogue/CatalogueEntry.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a walk has seen so far.
struct WalkCounts {
    std::uint64_t entries = 0;
    std::uint64_t bytes = 0; // sizes of the files seen, for an estimate of how far the walk has come
    std::uint64_t skippedFolders = 0;
};

// How far a walk has come, in whole percent, never the end before the walk reaches it: the entries seen
// against the filesystem's used inodes where it counts them (an entry is an inode), else the bytes seen
// against the used space (FAT counts no inodes). 0 when neither is known.
int WalkPercent(const WalkCounts& counts, std::uint64_t usedInodes, std::uint64_t usedBytes);

// How a walk ended.
enum class WalkEnd {
    Finished,
    Cancelled,
    Lost,       // the disk went away mid-walk
    SinkFailed, // what the entries were handed to refused them
};

struct WalkOutcome {
    WalkEnd end = WalkEnd::Finished;
    WalkCounts counts;
};

// What a walk hands over at a time: entries, and the folders (paths relative to the root, each already
// handed over as an entry) that turned out unreadable since the last batch.
struct WalkBatch {
    std::vector<CatalogueEntry> entries;
    std::vector<std::string> unreadableFolders;
};

// Takes a batch (it may move its contents out) with the counts so far; false stops the walk.
using EntrySink = std::function<bool(WalkBatch& batch, const WalkCounts& counts)>;

// Walks the tree under `root`, handing every folder and file to `sink` in batches. Symbolic links are
// entries, never followed; folders on another filesystem (another device, or one of `otherMounts`) are
// entries but not entered; folders that cannot be read are counted and named in the batches. There is no
// limit on depth or path length. `cancel` is polled at every entry, so even a huge folder stops at once.
WalkOutcome WalkTree(const std::string& root, const std::vector<std::string>& otherMounts,
                     const std::atomic<bool>& cancel, const EntrySink& sink, std::size_t batchSize = 8192);
