#include "support/FakeSystemTree.h"
#include "support/TempDir.h"

#include "core/catalogue/TreeWalk.h"

#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct Walked {
    WalkOutcome outcome;
    std::set<std::string> paths; // folders end in '/'
};

// Walks with a sink that keeps every path; `onBatch` may act between batches and stop the walk.
Walked Walk(const fs::path& root, const std::vector<std::string>& otherMounts = {},
            const std::function<bool(std::atomic<bool>& cancel)>& onBatch = {},
            std::size_t batchSize = 8192) {
    Walked walked;
    std::atomic<bool> cancel{false};
    walked.outcome = WalkTree(
        root.string(), otherMounts, cancel,
        [&](WalkBatch& batch, const WalkCounts&) {
            for (const CatalogueEntry& entry : batch.entries) {
                walked.paths.insert(entry.path() + (entry.isFolder ? "/" : ""));
            }
            return !onBatch || onBatch(cancel);
        },
        batchSize);
    return walked;
}

void Touch(const fs::path& file, std::string_view bytes = {}) {
    fs::create_directories(file.parent_path());
    WriteBytes(file, bytes);
}

} // namespace

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

TEST(TreeWalk, SkipsAndCountsFoldersItCannotRead) {
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
    EXPECT_EQ(walked.paths, (std::set<std::string>{"open/", "open/a.txt", "closed/"}));
}

TEST(TreeWalk, StopsEarlyAndSaysWhy) {
    const TempDir dir;
    const fs::path disk = dir / "disk";
    const struct {
        const char* name;
        std::function<bool(std::atomic<bool>&)> onBatch;
        WalkEnd end;
    } rows[] = {
        {"cancelled", [](std::atomic<bool>& cancel) { return cancel = true, true; }, WalkEnd::Cancelled},
        {"medium taken out", [&](std::atomic<bool>&) { return fs::remove_all(disk), true; }, WalkEnd::Lost},
        {"store refusing", [](std::atomic<bool>&) { return false; }, WalkEnd::SinkFailed},
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
