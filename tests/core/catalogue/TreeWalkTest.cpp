#include "support/FakeSystemTree.h"
#include "support/TempDir.h"

#include "core/catalogue/TreeWalk.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct Walked {
    WalkOutcome outcome;
    std::set<std::string> paths; // folders end in '/'
    int batches = 0;
};

// Walks with a sink that keeps every path; `onBatch` may act between batches and stop the walk.
Walked Walk(const fs::path& root, const std::vector<std::string>& otherMounts = {},
            const std::function<bool(int batch)>& onBatch = {}, std::size_t batchSize = 8192) {
    Walked walked;
    std::atomic<bool> cancel{false};
    walked.outcome = WalkTree(
        root.string(), otherMounts, cancel,
        [&](std::vector<CatalogueEntry>& batch, const WalkCounts&) {
            for (const CatalogueEntry& entry : batch) {
                walked.paths.insert(entry.path() + (entry.isFolder ? "/" : ""));
            }
            ++walked.batches;
            return !onBatch || onBatch(walked.batches);
        },
        batchSize);
    return walked;
}

void Touch(const fs::path& file, std::string_view bytes = {}) {
    fs::create_directories(file.parent_path());
    WriteBytes(file, bytes);
}

} // namespace

TEST(TreeWalk, RecordsEveryEntryOnceWithoutFollowingLinks) {
    const TempDir dir;
    const fs::path disk = dir / "disk";
    Touch(disk / "Taxes/2019/scan.pdf", "12345");
    Touch(disk / "Letters/Ann.txt");
    fs::create_directory_symlink("..", disk / "Taxes/2019/up");      // a loop
    fs::create_directory_symlink(dir.path(), disk / "Letters/away"); // out of the disk
    fs::create_symlink("nowhere", disk / "dangling");

    const Walked walked = Walk(disk);

    EXPECT_EQ(walked.outcome.end, WalkEnd::Finished);
    EXPECT_EQ(walked.paths, (std::set<std::string>{"Taxes/", "Taxes/2019/", "Taxes/2019/scan.pdf",
                                                    "Taxes/2019/up", "Letters/", "Letters/Ann.txt",
                                                    "Letters/away", "dangling"}));
    EXPECT_EQ(walked.outcome.counts.entries, 8u);
    EXPECT_EQ(walked.outcome.counts.bytes, 5u + fs::read_symlink(disk / "dangling").string().size() + 2 +
                                               dir.path().string().size());
}

TEST(TreeWalk, KeepsOutOfOtherFilesystemsTheMountTableNames) {
    FakeSystemTree tree;
    const fs::path disk = tree.directory("media/zip");
    Touch(disk / "inner/mounted/secret.txt");
    Touch(disk / "inner/own.txt");
    tree.mount("40 30 8:33 / " + (disk / "inner/mounted").string() + " rw - ext4 /dev/sdc1 rw");
    tree.mount("41 30 8:34 / " + tree.path("elsewhere") + " rw - ext4 /dev/sdc2 rw");

    const std::vector<std::string> inside = tree.service().mountsInside(disk.string());
    ASSERT_EQ(inside, std::vector<std::string>{(disk / "inner/mounted").string()});
    const Walked walked = Walk(disk, inside);

    EXPECT_EQ(walked.paths, (std::set<std::string>{"inner/", "inner/mounted/", "inner/own.txt"}));
}

TEST(TreeWalk, SkipsAndCountsFoldersItCannotRead) {
    const TempDir dir;
    const fs::path disk = dir / "disk";
    Touch(disk / "open/a.txt");
    Touch(disk / "closed/hidden.txt");
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(disk, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(disk / "open", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
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
    EXPECT_EQ(walked.paths, (std::set<std::string>{"open/", "open/a.txt", "closed/"}));
}

TEST(TreeWalk, HandsALargeFolderOverInBatches) {
    const TempDir dir;
    const fs::path disk = dir / "disk";
    fs::create_directories(disk / "many");
    for (int i = 0; i < 100000; ++i) {
        ::close(::open((disk / "many" / ("f" + std::to_string(i))).c_str(), O_CREAT | O_WRONLY, 0600));
    }

    const Walked walked = Walk(disk);

    EXPECT_EQ(walked.outcome.end, WalkEnd::Finished);
    EXPECT_EQ(walked.outcome.counts.entries, 100001u);
    EXPECT_EQ(walked.paths.size(), 100001u);
    EXPECT_EQ(walked.batches, 13); // 100,001 entries in batches of 8,192
}

TEST(TreeWalk, StopsEarlyAndSaysWhy) {
    struct Row {
        const char* name;
        std::function<bool(int, const fs::path&, std::atomic<bool>&)> onBatch;
        WalkEnd end;
    };
    const std::vector<Row> rows = {
        {"cancelled", [](int, const fs::path&, std::atomic<bool>& cancel) { return cancel = true, true; },
         WalkEnd::Cancelled},
        {"medium taken out", [](int, const fs::path& disk, std::atomic<bool>&) { return fs::remove_all(disk), true; },
         WalkEnd::Lost},
        {"store refusing", [](int, const fs::path&, std::atomic<bool>&) { return false; }, WalkEnd::SinkFailed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TempDir dir;
        const fs::path disk = dir / "disk";
        for (const char* folder : {"a", "b", "c", "d"}) {
            Touch(disk / folder / "x" / "file");
        }
        std::atomic<bool> cancel{false};
        std::uint64_t handed = 0;
        const WalkOutcome outcome = WalkTree(
            disk.string(), {}, cancel,
            [&](std::vector<CatalogueEntry>& batch, const WalkCounts&) {
                handed += batch.size();
                return row.onBatch(0, disk, cancel);
            },
            2);
        EXPECT_EQ(outcome.end, row.end);
        EXPECT_LT(handed, 12u); // never the whole tree
        EXPECT_GT(handed, 0u);
    }
}
