#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

#include "core/catalogue/LabelQueue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

std::string Described(const QueuedLabel& label) {
    const DiskRecord& disk = label.disk;
    return std::to_string(static_cast<int>(label.kind)) + "|" + std::to_string(label.diskId) + "|" +
           std::to_string(disk.number) + "|" + disk.volumeName + "|" + std::to_string(disk.serial) + "|" +
           std::to_string(disk.capacityBytes) + "|" + std::to_string(disk.usedBytes) + "|" +
           std::to_string(disk.freeBytes) + "|" + disk.driveType + "|" + disk.company + "|" +
           std::to_string(label.printedAt) + "|" + std::to_string(disk.lastLabelled);
}

// Whatever a volume name or a company holds comes back as it went in, for each kind of debt, in order; the
// file is the user's alone, and goes once nothing is owed.
TEST(LabelQueue, KeepsWhatADeskOwesInOrderUntilItIsSent) {
    TempDir dir;
    LabelQueue queue((dir / "tessaline" / "labels-to-record").string());
    EXPECT_TRUE(queue.read()->empty()) << "no file: nothing owed";
    DiskRecord odd = ZipDisk(-32768, "TAB\tLINE\nCR\rSLASH\\n END\\", 0xFFFFFFFF);
    odd.company = "Ünïcode & \"quotes\"";
    const std::vector<QueuedLabel> owed = {
        {QueuedLabel::Kind::Label, 0, odd, 1765000000},
        {QueuedLabel::Kind::Confirm, 42, ZipDisk(43, "", 0), 1},
        {QueuedLabel::Kind::Release, 44, ZipDisk(32767, "X", 1), -5},
    };
    for (const QueuedLabel& label : owed) {
        ASSERT_TRUE(queue.add(label));
    }
    const std::vector<QueuedLabel> read = queue.read().value();
    ASSERT_EQ(read.size(), owed.size());
    for (std::size_t n = 0; n < owed.size(); ++n) {
        QueuedLabel expected = owed[n];
        expected.disk.firstLabelled = expected.disk.lastLabelled = expected.printedAt;
        EXPECT_EQ(Described(read[n]), Described(expected));
    }
    struct stat info {};
    ASSERT_EQ(::stat(queue.file().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600U);
    ASSERT_TRUE(queue.replace({owed[1]}));
    EXPECT_EQ(queue.read()->size(), 1U);
    ASSERT_TRUE(queue.replace({}));
    EXPECT_FALSE(std::filesystem::exists(queue.file()));
}

// A file that is not a queue, or is damaged, is said to be so; nothing is added to it, so that nothing in
// it is lost by a rewrite.
TEST(LabelQueue, ADamagedFileIsToldAndLeftAsItIs) {
    TempDir dir;
    const std::string file = (dir / "labels-to-record").string();
    LabelQueue queue(file);
    ASSERT_TRUE(queue.add({QueuedLabel::Kind::Label, 0, ZipDisk(1, "ONE", 1), 1}));
    const std::string heading = ReadBytes(file).substr(0, ReadBytes(file).find('\n') + 1);
    for (const std::string& text : {std::string("something else\n"), heading + "label\t0\t1\n",
                                    heading + "borrow\t0\t1\t1\t1\t1\t1\t1\tR\tV\tC\n",
                                    heading + "label\t0\tone\t1\t1\t1\t1\t1\tR\tV\tC\n"}) {
        WriteBytes(file, text);
        const auto read = queue.read();
        ASSERT_FALSE(read) << text;
        EXPECT_NE(read.reason().find(file), std::string::npos) << read.reason();
        EXPECT_FALSE(queue.add({QueuedLabel::Kind::Label, 0, ZipDisk(2, "TWO", 2), 2}));
        EXPECT_EQ(ReadBytes(file), text);
    }
}

} // namespace
