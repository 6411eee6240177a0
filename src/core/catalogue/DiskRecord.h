#pragma once

#include <cstdint>
#include <string>

// What tells one disk from another when it comes back: the volume serial and the capacity in bytes.
// Serial 0 identifies nothing (too many disks share it).
struct DiskIdentity {
    std::uint32_t serial = 0;
    std::uint64_t capacityBytes = 0;
};

// A labelled disk as the catalogue keeps it.
struct DiskRecord {
    std::int64_t id = 0; // the catalogue's own key; 0 before the disk is stored
    int number = 0;      // the number printed on its label
    std::string volumeName;
    std::uint32_t serial = 0;
    std::string driveType;
    std::uint64_t capacityBytes = 0;
    std::uint64_t usedBytes = 0;
    std::uint64_t freeBytes = 0;
    std::int64_t firstLabelled = 0; // seconds since the epoch
    std::int64_t lastLabelled = 0;
    std::string company;              // as printed on the label's strip
    std::uint64_t entries = 0;        // folders and files recorded
    std::uint64_t skippedFolders = 0; // folders the walk could not read
    bool complete = false;            // the walk of its tree ran to the end

    DiskIdentity identity() const { return {serial, capacityBytes}; }
};
