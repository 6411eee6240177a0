#include "core/disks/linux/MountInfo.h"
#include "core/disks/linux/VolumeIds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MountInfo, SplitsFieldsAroundTheSeparator) {
    const auto mounts =
        ParseMountInfo("36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
                       "41 26 8:17 / /media/anna/ZIP\\040100 rw,nosuid shared:9 master:2 propagate_from:1 - "
                       "vfat /dev/sdb1 rw\n"
                       "50 26 8:33 / /media/plain rw - ext4 /dev/sdc1 rw\n"
                       "51 26 0:45 / /media/x rw - fuse.sshfs anna@host:/srv/a\\040b rw\n");
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[0].mountId, 36);
    EXPECT_EQ(mounts[0].parentId, 35);
    EXPECT_EQ(mounts[0].major, 98u);
    EXPECT_EQ(mounts[0].minor, 0u);
    EXPECT_EQ(mounts[0].root, "/mnt1");
    EXPECT_EQ(mounts[0].mountPoint, "/mnt2");
    EXPECT_EQ(mounts[0].fsType, "ext3");
    EXPECT_EQ(mounts[0].source, "/dev/root");
    EXPECT_EQ(mounts[1].mountPoint, "/media/anna/ZIP 100");
    EXPECT_EQ(mounts[1].fsType, "vfat");
    EXPECT_EQ(mounts[1].source, "/dev/sdb1");
    EXPECT_EQ(mounts[2].fsType, "ext4");
    EXPECT_EQ(mounts[3].source, "anna@host:/srv/a b");
    EXPECT_FALSE(mounts[3].isBlockDevice());
}

TEST(MountInfo, SkipsMalformedLines) {
    const auto mounts = ParseMountInfo("\n"
                                       "garbage\n"
                                       "1 2 8:1 / /a rw ext4 /dev/sda1 rw\n"   // no separator
                                       "x 2 8:1 / /b rw - ext4 /dev/sda1 rw\n" // id not a number
                                       "3 2 8-1 / /c rw - ext4 /dev/sda1 rw\n" // device not MAJ:MIN
                                       "4 2 8:1 / /d rw - ext4\n"              // no source
                                       "5 2 8:1 / /e rw - ext4 /dev/sda1 rw"); // good, no final newline
    ASSERT_EQ(mounts.size(), 1u);
    EXPECT_EQ(mounts[0].mountPoint, "/e");
}

TEST(MountInfo, UnescapesSpaceTabNewlineAndBackslash) {
    const struct {
        const char* field;
        const char* text;
    } cases[] = {
        {"/media/ZIP\\040100", "/media/ZIP 100"},
        {"a\\011b", "a\tb"},
        {"a\\012b", "a\nb"},
        {"a\\134b", "a\\b"},
        {"\\134040", "\\040"},
        {"a\\041b", "a\\041b"},
        {"trailing\\04", "trailing\\04"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnescapeMountField(c.field), c.text) << c.field;
    }
}

TEST(MountInfo, DeviceMountsDropPseudoFilesystemsAndCountEachDeviceOnce) {
    const auto mounts = DeviceMounts(ParseMountInfo("21 26 0:20 / /proc rw - proc proc rw\n"
                                                    "22 26 0:21 / /sys rw - sysfs sysfs rw\n"
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

TEST(VolumeIds, DecodesHexEscapes) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"ZIP\\x20100", "ZIP 100"},
                 {"ZIP\\x2d100", "ZIP-100"},
                 {"a\\x2fb", "a/b"},
                 {"\\x5cx41", "\\x41"},
                 {"end\\x2", "end\\x2"},
                 {"bad\\xZZ", "bad\\xZZ"},
                 {"caf\\xc3\\xa9", "caf\xc3\xa9"},
                 {"", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeHexEscapes(c.in), c.out) << c.in;
    }
}

TEST(VolumeIds, SerialFromUuid) {
    const struct {
        const char* uuid;
        std::uint32_t serial;
    } cases[] = {
        {"0012-AB34", 0x0012AB34}, // FAT
        {"6f3e-0a12", 0x6F3E0A12}, // lower case
        {"FFFF-FFFF", 0xFFFFFFFF},
        {"01D2A3B4C5D6E7F8", 0xC5D6E7F8},                     // NTFS: low 32 bits
        {"3e6be9de-8139-11d1-9106-a43f08d823a6", 0x3E6BE9DE}, // ext4 and the like
        {"2021-05-12-10-30-00-00", 0x20210512},               // ISO 9660 date
        {"abc", 0xABC},
        {"", 0},
        {"xyz", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SerialFromUuid(c.uuid), c.serial) << c.uuid;
    }
}

} // namespace
