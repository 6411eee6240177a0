#include "core/disks/FolderListing.h"

#include "support/ErrorNumber.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Subfolders only, hidden ones left out, links to folders counted; sorted without regard to case, and by
// bytes where only case differs.
TEST(FolderListing, ListsTheSubfoldersSorted) {
    TempDir dir;
    for (const char* name : {"beta", "B", "b", "Alpha", "al", ".trash"}) {
        fs::create_directories(dir / name);
    }
    WriteBytes(dir / "notes.txt", "x");
    fs::create_directory_symlink(dir / "beta", dir / "link-to-beta");
    fs::create_symlink(dir / "notes.txt", dir / "link-to-notes");
    fs::create_directory_symlink(dir / "gone", dir / "dangling");
    EXPECT_EQ(ListSubfolders(dir.path().string()),
              (std::vector<std::string>{"al", "Alpha", "B", "b", "beta", "link-to-beta"}));
    for (const char* notAFolder : {"notes.txt", "gone"}) {
        const std::string path = (dir / notAFolder).string();
        EXPECT_EQ(ErrorNumberOf([&] { ListSubfolders(path); }), RuntimeError::PathNotFound) << path;
    }
}

TEST(FolderListing, PathsAreMadeNormal) {
    const std::pair<const char*, std::string> cases[] = {
        {"/", "/"},
        {"//", "/"},
        {"/a/b/", "/a/b"},
        {"/a//b/./c/..", "/a/b"},
        {"rel", (fs::current_path() / "rel").string()},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(NormalFolderPath(in), out) << in;
    }
}

} // namespace
