#include "core/catalogue/FolderPack.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

TEST(FolderPack, FoldersComeBackAsTheyWent) {
    constexpr std::int64_t Most = std::numeric_limits<std::int64_t>::max();
    std::vector<PackedFolder> full;
    for (int n = 0; n < FoldersPerPack; ++n) {
        const bool empty = n % 5 == 0;
        full.push_back(
            {"Scans/" + std::to_string(n), n % 3 == 0, empty ? 0 : 1000 - n, empty ? 0 : 2000 + n});
    }
    const std::vector<std::vector<PackedFolder>> packs = {
        {},
        {{"", false, 0, 0}}, // the root of an empty disk
        // Paths sharing starts, one inside the one before, then none shared; spans going back and forth.
        {{"", false, 5, 9},
         {"Photos 2019", false, 10, 12},
         {"Photos 2019/Dubrovnik", true, 3, 3},
         {"Photos", true, 0, 0},
         {std::string("\xFF\0x", 3), false, 7, Most}},
        full,
    };
    for (const std::vector<PackedFolder>& folders : packs) {
        const Result<std::vector<PackedFolder>> back = UnpackFolders(PackFolders(folders));
        ASSERT_TRUE(back) << back.reason();
        EXPECT_EQ(*back, folders) << folders.size();
    }
}

TEST(FolderPack, DamagedBytesFailInsteadOfReadingBeyondThem) {
    const std::string whole =
        PackFolders(std::vector<PackedFolder>{{"Photos", false, 5, 9}, {"Photos/2019", true, 0, 0}});
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        EXPECT_FALSE(UnpackFolderPack(whole.substr(0, cut))) << cut;
    }
    EXPECT_FALSE(UnpackFolderPack(whole + "x"));
    const struct {
        std::size_t at;
        char byte;
        const char* what;
    } faults[] = {
        // The count, then "Photos" as 0, 6 and its letters, its flags, first entry and span; then the next.
        {9, '\x04', "flags no folder has"},
        {12, '\x07', "a shared start longer than the path before"},
    };
    for (const auto& fault : faults) {
        std::string damaged = whole;
        damaged[fault.at] = fault.byte;
        EXPECT_FALSE(UnpackFolderPack(damaged)) << fault.what;
    }
    EXPECT_FALSE(UnpackFolderPack(PackFolders(std::vector<PackedFolder>(FoldersPerPack + 1))))
        << "more folders than a pack holds";
    // A number too long to be one, where the first entry's id would be, and a span after it.
    EXPECT_FALSE(UnpackFolderPack(std::string("\x01\x00\x01"
                                              "a"
                                              "\x02",
                                              5) +
                                  std::string(10, '\xff') + "\x01"));
    // No folder's entries start at id 0 or end before they start.
    EXPECT_FALSE(UnpackFolderPack(PackFolders(std::vector<PackedFolder>{{"a", false, 5, 4}})));
}
