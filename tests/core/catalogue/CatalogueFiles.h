#pragma once

#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

#include <memory>
#include <string>

// A catalogue file in a temporary folder, opened as the program opens it.
struct CatalogueFile {
    TempDir dir;
    std::string path = (dir / "tessaline" / "catalogue.sqlite").string();

    std::unique_ptr<CatalogueStore> open() const {
        Result<std::unique_ptr<CatalogueStore>> store = CatalogueStore::open(path, "2026-03-14");
        EXPECT_TRUE(store) << store.reason();
        return store ? std::move(store).value() : nullptr;
    }
};
