#pragma once

#include "core/catalogue/CatalogueStore.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

inline const std::string Today = "2026-03-14";

// A catalogue file in a temporary folder, opened as the program opens it.
struct CatalogueFile {
    TempDir dir;
    std::string path = (dir / "tessaline" / "catalogue.sqlite").string();

    std::unique_ptr<CatalogueStore> open(const std::string& today = Today) const {
        Result<std::unique_ptr<CatalogueStore>> store = CatalogueStore::open(path, today);
        EXPECT_TRUE(store) << store.reason();
        return store ? std::move(store).value() : nullptr;
    }
};

inline DiskRecord Disk(int number, std::string volume, std::uint32_t serial = 0x1234abcd,
                       std::uint64_t capacity = 100'000'000) {
    DiskRecord disk;
    disk.number = number;
    disk.volumeName = std::move(volume);
    disk.serial = serial;
    disk.capacityBytes = capacity;
    disk.usedBytes = capacity / 4;
    disk.freeBytes = capacity - capacity / 4;
    disk.driveType = "Removable";
    disk.company = "Fabrikam";
    return disk;
}
