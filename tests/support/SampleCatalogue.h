#pragma once

#include "support/LocalTime.h"

#include "core/catalogue/CatalogueStore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Catalogues for window tests, pictures and screenshots, written through the store as the program writes
// them.

inline std::int64_t EpochSeconds(Clock::TimePoint when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

inline CatalogueEntry FolderEntry(std::string folder, std::string name) {
    return {std::move(folder), std::move(name), true, 0, 0};
}

inline CatalogueEntry FileEntry(std::string folder, std::string name, std::uint64_t size,
                                Clock::TimePoint modified) {
    return {std::move(folder), std::move(name), false, size, EpochSeconds(modified)};
}

// A disk of a Zip 100 (95.625 MB, 128 KB free) with its number, volume and serial.
inline DiskRecord ZipDisk(int number, std::string volume, std::uint32_t serial) {
    DiskRecord disk;
    disk.number = number;
    disk.volumeName = std::move(volume);
    disk.serial = serial;
    disk.driveType = "REMOVABLE";
    disk.capacityBytes = 100270080;
    disk.usedBytes = 100139008;
    disk.freeBytes = 131072;
    disk.company = "Example Widgets";
    return disk;
}

// Records a labelled disk and the entries of its walk, with the folders among them that could not be read
// (marked as the walk marks them) and the count of such folders; answers its id.
inline std::int64_t AddCatalogueDisk(const std::string& file, const DiskRecord& disk,
                                     Clock::TimePoint labelled, const std::vector<CatalogueEntry>& entries,
                                     bool complete, const std::vector<std::string>& unreadable,
                                     std::uint64_t skippedFolders) {
    Result<std::unique_ptr<CatalogueStore>> store = CatalogueStore::open(file, "2026-03-14");
    const std::int64_t id = store ? store.value()->addDisk(disk, EpochSeconds(labelled)).value_or(0) : 0;
    EXPECT_TRUE(id != 0 && store.value()->addEntries(id, entries, unreadable) &&
                store.value()->finishEntries(id, id, complete, skippedFolders))
        << store.reason();
    return id;
}

inline std::int64_t AddCatalogueDisk(const std::string& file, const DiskRecord& disk,
                                     Clock::TimePoint labelled, const std::vector<CatalogueEntry>& entries,
                                     bool complete = true, std::uint64_t skippedFolders = 0) {
    return AddCatalogueDisk(file, disk, labelled, entries, complete, {}, skippedFolders);
}

inline std::int64_t AddCatalogueDisk(const std::string& file, const DiskRecord& disk,
                                     Clock::TimePoint labelled, const std::vector<CatalogueEntry>& entries,
                                     bool complete, const std::vector<std::string>& unreadable) {
    return AddCatalogueDisk(file, disk, labelled, entries, complete, unreadable, unreadable.size());
}

// Four disks of an office's drawer; a search for "tax" finds something on three of them. A folder of #12
// could not be read, and the walk of #27 did not finish.
inline void WriteSampleCatalogue(const std::string& file) {
    AddCatalogueDisk(file, ZipDisk(12, "ARCHIVE", 0x0C1D2E3F), LocalTime(2026, 1, 9, 16, 20, 0),
                     {FolderEntry("", "Letters"), FolderEntry("", "Private"), FolderEntry("", "Taxes"),
                      FileEntry("Letters", "to the tax office.doc", 24576, LocalTime(2017, 11, 3, 10, 12, 0)),
                      FileEntry("Taxes", "tax 2017.pdf", 1258291, LocalTime(2018, 4, 27, 18, 5, 0)),
                      FileEntry("Taxes", "tax 2018.pdf", 1363148, LocalTime(2019, 4, 29, 19, 40, 0))},
                     true, {"Private"});
    AddCatalogueDisk(
        file, ZipDisk(27, "SCANS", 0x5CA45CA4), LocalTime(2026, 2, 2, 11, 5, 0),
        {FolderEntry("", "Scans"), FolderEntry("Scans", "2019"),
         FileEntry("Scans/2019", "tax receipts 2019.tif", 4404019, LocalTime(2020, 1, 15, 9, 30, 0)),
         FileEntry("Scans/2019", "taxi invoice.pdf", 88064, LocalTime(2019, 6, 12, 14, 0, 0))},
        false);
    AddCatalogueDisk(file, ZipDisk(38, "PHOTOS", 0x1999A0B0), LocalTime(2026, 2, 20, 15, 45, 0),
                     {FolderEntry("", "Summer 1999"),
                      FileEntry("Summer 1999", "beach.jpg", 1572864, LocalTime(1999, 8, 1, 12, 0, 0))});
    AddCatalogueDisk(
        file, ZipDisk(42, "ZIPDISK", 0x1A2B3C4D), LocalTime(2026, 3, 14, 9, 47, 0),
        {FolderEntry("", "Taxes"), FolderEntry("Taxes", "2019"),
         FileEntry("Taxes/2019", "tax 2019.pdf", 2097152, LocalTime(2020, 5, 2, 17, 15, 0)),
         FileEntry("Taxes/2019", "tax return 2019.xls", 45056, LocalTime(2020, 5, 3, 8, 50, 0))});
}
