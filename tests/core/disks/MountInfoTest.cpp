#include "core/disks/linux/MountInfo.h"
#include "core/disks/linux/VolumeIds.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

TEST(MountInfo, ReadsTheWellFormedLinesAroundTheSeparator) {
    const auto mounts = ParseMountInfo(
        "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
        "41 26 8:17 / /media/anna/ZIP\\040100 rw shared:9 master:2 propagate_from:1 - vfat /dev/sdb1 rw\n"
        "\n"
        "garbage\n"
        "1 2 8:1 / /a rw ext4 /dev/sda1 rw\n"                               // no separator
        "x 2 8:1 / /b rw - ext4 /dev/sda1 rw\n"                             // id not a number
        "3 2 8-1 / /c rw - ext4 /dev/sda1 rw\n"                             // device not MAJ:MIN
        "4 2 8:1 / /d rw - ext4\n"                                          // no source
        "6 2 8:1 /  rw - ext4 /dev/sda1 rw\n"                               // no mount point
        "7 2 8:1 / /f rw -  /dev/sda1 rw\n"                                 // no type
        "51 26 0:45 / /media/x rw - fuse.sshfs anna@host:/srv/a\\040b rw"); // no final newline
    const auto fields = [](const MountEntry& m) {
        return std::tuple(m.mountId, m.parentId, m.major, m.minor, m.root, m.mountPoint, m.fsType, m.source);
    };
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(fields(mounts[0]), fields({36, 35, 98, 0, "/mnt1", "/mnt2", "ext3", "/dev/root"}));
    EXPECT_EQ(fields(mounts[1]), fields({41, 26, 8, 17, "/", "/media/anna/ZIP 100", "vfat", "/dev/sdb1"}));
    EXPECT_EQ(fields(mounts[2]), fields({51, 26, 0, 45, "/", "/media/x", "fuse.sshfs", "anna@host:/srv/a b"}))
        << "the source is unescaped too";
    EXPECT_TRUE(mounts[1].isBlockDevice());
    EXPECT_FALSE(mounts[2].isBlockDevice());
}

TEST(MountInfo, UnescapesSpaceTabNewlineAndBackslash) {
    const std::pair<const char*, const char*> cases[] = {
        {"a\\011b\\012c", "a\tb\nc"},
        {"a\\134b", "a\\b"},
        {"\\134040", "\\040"},
        {"a\\041b", "a\\041b"},
        {"trailing\\04", "trailing\\04"},
        {"", ""},
    };
    for (const auto& [field, text] : cases) {
        EXPECT_EQ(UnescapeMountField(field), text) << field;
    }
}

// No pseudo filesystems, and each device once: its whole-filesystem mount, else its oldest.
TEST(MountInfo, DeviceMountsDropPseudoFilesystemsAndCountEachDeviceOnce) {
    const auto mounts = DeviceMounts(ParseMountInfo("21 26 0:20 / /proc rw - proc proc rw\n"
                                                    "23 26 0:42 / /media/auto rw - autofs systemd-1 rw\n"
                                                    "30 26 8:17 /photos /srv/photos rw - vfat /dev/sdb1 rw\n"
                                                    "41 26 8:17 / /media/ZIP rw - vfat /dev/sdb1 rw\n"
                                                    "45 26 8:17 / /media/again rw - vfat /dev/sdb1 rw\n"
                                                    "50 26 8:33 /a /one rw - ext4 /dev/sdc1 rw\n"
                                                    "48 26 8:33 /b /two rw - ext4 /dev/sdc1 rw\n"
                                                    "60 26 0:50 / /tmp rw - tmpfs tmpfs rw\n"));
    std::vector<std::string> points;
    for (const auto& m : mounts) {
        points.push_back(m.mountPoint);
    }
    EXPECT_EQ(points, (std::vector<std::string>{"/media/ZIP", "/two", "/tmp"}));
}

TEST(VolumeIds, LabelsAndSerials) {
    const std::pair<const char*, const char*> labels[] = {
        {"ZIP\\x20100", "ZIP 100"}, {"a\\x2Fb", "a/b"},
        {"\\x5cx41", "\\x41"},      {"end\\x2", "end\\x2"},
        {"bad\\xZZ", "bad\\xZZ"},   {"bad\\xaZ", "bad\\xaZ"},
        {"bad\\xZa", "bad\\xZa"},   {"caf\\xc3\\xa9", "caf\xc3\xa9"},
    };
    for (const auto& [in, out] : labels) {
        EXPECT_EQ(DecodeHexEscapes(in), out) << in;
    }
    const std::pair<const char*, std::uint32_t> serials[] = {
        {"0012-AB34", 0x0012AB34},                            // FAT
        {"6f3e-0a12", 0x6F3E0A12},                            // lower case
        {"01D2A3B4C5D6E7F8", 0xC5D6E7F8},                     // NTFS: low 32 bits
        {"3e6be9de-8139-11d1-9106-a43f08d823a6", 0x3E6BE9DE}, // ext4 and the like
        {"2021-05-12-10-30-00-00", 0x20210512},               // ISO 9660 date
        {"abc", 0xABC},
        {"", 0},
        {"xyz", 0},
    };
    for (const auto& [uuid, serial] : serials) {
        EXPECT_EQ(SerialFromUuid(uuid), serial) << uuid;
    }
}

} // namespace
