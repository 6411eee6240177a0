#pragma once

#include "support/SampleCatalogue.h"
#include "support/WindowFixture.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/SqliteDatabase.h"
#include "ui/catalogue/frmCatalogue.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Scribbles over the first page of a table, as a failing disk might.
inline void Scribble(const std::string& file, const char* table) {
    const std::int64_t page = SqliteDatabase::open(file, SqliteDatabase::Access::ReadOnly)
                                  .value()
                                  ->queryInteger("SELECT rootpage FROM sqlite_schema WHERE name = ?", table)
                                  .value()
                                  .value_or(0);
    ASSERT_GT(page, 0) << table;
    std::string bytes = ReadBytes(file);
    bytes.replace(static_cast<std::size_t>(page - 1) * 4096, 4096, 4096, '\xa5');
    WriteBytes(file, bytes);
}

// A catalogue of two disks: #42 ZIPDISK with taxes, letters and photos, #7 WORK with a report.
class CatalogueWindowTest : public WindowProfileFixture {
protected:
    void SetUp() override {
        WindowProfileFixture::SetUp();
        givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\nID_INDEX=42\r\n");
        addDisk(42, "ZIPDISK", 0x1A2B3C4D,
                {FolderEntry("", "Letters"), FolderEntry("", "Photos"), FolderEntry("", "Taxes"),
                 FileEntry("Letters", "to the tax office.doc", 900, LocalTime(2024, 1, 5, 10, 0, 0)),
                 FileEntry("Photos", "beach.jpg", 1536 * 1024, LocalTime(2019, 8, 1, 12, 0, 0)),
                 FileEntry("Taxes", "tax 2019.pdf", 2048, LocalTime(2020, 2, 1, 12, 0, 0)),
                 FileEntry("Taxes", "Tax 2020.pdf", 3072, LocalTime(2021, 2, 1, 12, 0, 0))});
        addDisk(7, "WORK", 0xAB,
                {FolderEntry("", "Reports"),
                 FileEntry("Reports", "tax return.pdf", 40000, LocalTime(2025, 5, 1, 9, 0, 0))},
                false);
        services.catalogue = std::make_shared<Catalogue>(catalogueFile, clock);
    }

    void addDisk(int number, const std::string& volume, std::uint32_t serial,
                 const std::vector<CatalogueEntry>& entries, bool complete = true,
                 const std::vector<std::string>& unreadable = {}) const {
        AddCatalogueDisk(catalogueFile, ZipDisk(number, volume, serial), LocalTime(2026, 3, 14, 9, 47, 0),
                         entries, complete, unreadable);
    }

    // Disk #50 SCANS holding the files "scan 0.tif" to "scan <count - 1>.tif".
    void addScans(int count) const {
        std::vector<CatalogueEntry> many;
        for (int i = 0; i < count; ++i) {
            many.push_back(
                FileEntry("", "scan " + std::to_string(i) + ".tif", 10, LocalTime(2020, 1, 1, 0, 0, 0)));
        }
        addDisk(50, "SCANS", 0x50, many);
    }

    std::unique_ptr<frmCatalogue> openWindow() {
        auto window = std::make_unique<frmCatalogue>(services);
        window->Form_Load();
        window->show();
        return window;
    }

    // Types into the search field and waits for the newest search's results.
    static void type(frmCatalogue& window, const QString& text) {
        window.txtSearch->clear();
        QTest::keyClicks(window.txtSearch, text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.searching(); }, 5000)) << text.toStdString();
    }

    static std::vector<std::string> shownNames(const frmCatalogue& window) {
        std::vector<std::string> all;
        for (const SearchHit& hit : window.shownHits()) {
            all.push_back(hit.entry.name);
        }
        return all;
    }

    std::string catalogueFile = (dir / "data" / "catalogue.sqlite").string();
};

using Names = std::vector<std::string>;
