#include "support/FakeSystemTree.h"
#include "support/TempDir.h"

#include "core/catalogue/TreeWalk.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <set>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Walked {
    WalkOutcome outcome;
    std::set<std::string> paths; // folders end in '/'
    std::vector<std::string> unreadable;
};

// Walks with a sink that keeps every path; `onBatch` may act between batches and stop the walk.
Walked Walk(const fs::path& root, const std::vector<std::string>& otherMounts = {},
            const std::function<bool(std::atomic<bool>& cancel, const WalkBatch& batch)>& onBatch = {},
            std::size_t batchSize = 8192) {
    Walked walked;
    std::atomic<bool> cancel{false};
    walked.outcome = WalkTree(
        root.string(), otherMounts, cancel,
        [&](WalkBatch& batch, const WalkCounts&) {
            for (const CatalogueEntry& entry : batch.entries) {
                walked.paths.insert(entry.path() + (entry.isFolder ? "/" : ""));
            }
            walked.unreadable.insert(walked.unreadable.end(), batch.unreadableFolders.begin(),
                                     batch.unreadableFolders.end());
            return !onBatch || onBatch(cancel, batch);
        },
        batchSize);
    return walked;
}

void Touch(const fs::path& file, std::string_view bytes = {}) {
    fs::create_directories(file.parent_path());
    WriteBytes(file, bytes);
}

} // namespace

TEST(TreeWalk, PercentCountsEntriesAgainstInodesElseBytesAgainstSpaceShortOfTheEnd) {
    // Entries and bytes seen, used inodes and bytes of the disk: the percent shown.
    const std::tuple<WalkCounts, std::uint64_t, std::uint64_t, int> cases[] = {
        {{199, 999}, 400, 1000, 49}, // by inodes where counted, rounded down
        {{5, 199}, 0, 400, 49},      // a disk that counts no inodes: by bytes
        {{5, 199}, 0, 0, 0},
        {{800, 0}, 400, 0, 99}, // more seen than were used when it started: still short of the end
        {{0, 400}, 0, 400, 99},
    };
    for (const auto& [counts, inodes, bytes, percent] : cases) {
        EXPECT_EQ(WalkPercent(counts, inodes, bytes), percent) << counts.entries << ' ' << counts.bytes;
    }
}

TEST(TreeWalk, RecordsEveryEntryOnceWithoutFollowingLinksOrEnteringOtherFilesystems) {
    FakeSystemTree tree;
    const fs::path disk = tree.directory("media/zip");
    Touch(disk / "Taxes/2019/scan.pdf", "12345");
    Touch(disk / "Letters/Ann.txt");
    Touch(disk / "Letters/mounted/secret.txt");
    fs::create_directory_symlink("..", disk / "Taxes/2019/up"); // a loop
    fs::create_directory_symlink("/", disk / "Letters/away");   // out of the disk
    fs::create_symlink("nowhere", disk / "dangling");
    tree.mount("40 30 8:33 / " + (disk / "Letters/mounted").string() + " rw - ext4 /dev/sdc1 rw");
    tree.mount("41 30 8:34 / " + tree.path("elsewhere") + " rw - ext4 /dev/sdc2 rw");
    const std::vector<std::string> inside = tree.service().mountsInside(disk.string());
    ASSERT_EQ(inside, std::vector<std::string>{(disk / "Letters/mounted").string()});

    const Walked walked = Walk(disk, inside, {}, 4);

    EXPECT_EQ(walked.outcome.end, WalkEnd::Finished);
    EXPECT_EQ(walked.paths, (std::set<std::string>{"Taxes/", "Taxes/2019/", "Taxes/2019/scan.pdf",
                                                   "Taxes/2019/up", "Letters/", "Letters/Ann.txt",
                                                   "Letters/away", "Letters/mounted/", "dangling"}));
    EXPECT_EQ(walked.outcome.counts.bytes, 5u + 2 + 1 + 7); // the file's, then the links' (their targets)
}

TEST(TreeWalk, SkipsCountsAndNamesFoldersItCannotRead) {
    const TempDir dir;
    const fs::path disk = dir / "disk";
    Touch(disk / "open/a.txt");
    Touch(disk / "closed/hidden.txt");
    for (const fs::path& folder : {dir.path(), disk, disk / "open"}) {
        fs::permissions(folder, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    }
    fs::permissions(disk / "closed", fs::perms::owner_all);

    Walked walked;
    // Root reads every folder: the walk then checks access as an ordinary user would.
    std::thread([&] {
        if (::geteuid() == 0) {
            ::setfsgid(65534);
            ::setfsuid(65534);
        }
        walked = Walk(disk);
    }).join();

    EXPECT_EQ(walked.outcome.end, WalkEnd::Finished);
    EXPECT_EQ(walked.outcome.counts.skippedFolders, 1u);
    EXPECT_EQ(walked.unreadable, std::vector<std::string>{"closed"});
    EXPECT_EQ(walked.paths, (std::set<std::string>{"open/", "open/a.txt", "closed/"}));
}

TEST(TreeWalk, WalksTreesOfAnyDepthWithFewFoldersOpen) {
    constexpr int Depth = 1000;
    const auto name = [](int level) { return "deep-folder-" + std::to_string(10000000 + level); };
    const auto second = [&](const fs::path& top) { return top / name(0) / name(1); };
    // Each row changes the tree when the walk is at the bottom, far below the folders it keeps open.
    const struct {
        const char* name;
        std::function<void(const fs::path& top)> change;
        std::vector<std::string> unreadable;
    } rows[] = {
        {"left alone", [](const fs::path&) {}, {}},
        // Climbing back from the third folder no longer reaches the second; its name still does.
        {"a folder moved out",
         [&](const fs::path& top) { fs::rename(second(top) / name(2), top / "moved"); },
         {}},
        // Nothing leads back to the second folder: what was left to read in it is named, not skipped.
        {"a folder moved out and its parent renamed",
         [&](const fs::path& top) {
             fs::rename(second(top) / name(2), top / "moved");
             fs::rename(second(top), top / name(0) / "renamed");
         },
         {name(0) + "/" + name(1) + "/zz"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TempDir dir;
        // The root's "zz" is there to be read by a walk that climbs back to the wrong folder.
        Touch(dir / "zz/elsewhere.txt");
        fs::create_directories(second(dir.path()) / "zz");
        std::set<std::string> expected{"zz/", "zz/elsewhere.txt", name(0) + "/" + name(1) + "/zz/"};
        // Made one folder at a time: the whole path is too long for any call that takes one.
        std::string path;
        int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int level = 0; level < Depth; ++level) {
            ::mkdirat(fd, name(level).c_str(), 0755);
            const int below = ::openat(fd, name(level).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(std::exchange(fd, below));
            path += (level == 0 ? "" : "/") + name(level);
            expected.insert(path + "/");
        }
        ::close(::openat(fd, "bottom.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        ::close(fd);
        expected.insert(path + "/bottom.txt");
        ASSERT_GT(path.size(), 4 * 4096u);

        const auto openFiles = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
        const auto openBefore = openFiles();
        std::ptrdiff_t openAtBottom = 0;
        const Walked walked = Walk(
            dir.path(), {},
            [&](std::atomic<bool>&, const WalkBatch& batch) {
                if (!batch.entries.empty() && batch.entries.back().name == "bottom.txt") {
                    openAtBottom = openFiles();
                    row.change(dir.path());
                }
                return true;
            },
            1);

        EXPECT_EQ(walked.outcome.end, WalkEnd::Finished);
        EXPECT_EQ(walked.paths, expected);
        EXPECT_EQ(walked.unreadable, row.unreadable);
        EXPECT_EQ(walked.outcome.counts.skippedFolders, row.unreadable.size());
        EXPECT_LT(openAtBottom - openBefore, 100); // not one a level
    }
}

TEST(TreeWalk, CancelStopsWithinAHugeFolder) {
    constexpr std::size_t Files = 5000;
    const TempDir dir;
    for (std::size_t file = 0; file < Files; ++file) {
        Touch(dir / "huge" / std::to_string(file));
    }
    const Walked walked = Walk(
        dir.path(), {}, [](std::atomic<bool>& cancel, const WalkBatch&) { return cancel = true, true; }, 100);

    EXPECT_EQ(walked.outcome.end, WalkEnd::Cancelled);
    EXPECT_LT(walked.paths.size(), Files / 2);
}

TEST(TreeWalk, StopsEarlyAndSaysWhy) {
    const TempDir dir;
    const fs::path disk = dir / "disk";
    const struct {
        const char* name;
        std::function<bool(std::atomic<bool>&, const WalkBatch&)> onBatch;
        WalkEnd end;
    } rows[] = {
        {"cancelled", [](std::atomic<bool>& cancel, const WalkBatch&) { return cancel = true, true; },
         WalkEnd::Cancelled},
        {"medium taken out", [&](std::atomic<bool>&, const WalkBatch&) { return fs::remove_all(disk), true; },
         WalkEnd::Lost},
        {"store refusing", [](std::atomic<bool>&, const WalkBatch&) { return false; }, WalkEnd::SinkFailed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* folder : {"a", "b", "c", "d"}) {
            Touch(disk / folder / "x" / "file");
        }
        const Walked walked = Walk(disk, {}, row.onBatch, 2);
        EXPECT_EQ(walked.outcome.end, row.end);
        EXPECT_LT(walked.paths.size(), 12u); // never the whole tree
    }
}
