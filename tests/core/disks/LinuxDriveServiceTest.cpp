#include "support/FakeSystemTree.h"

#include "core/disks/DiskInfo.h"
#include "core/disks/linux/MountInfo.h"
#include "core/disks/linux/VolumeIds.h"
#include "core/runtime/Services.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

constexpr const char* Usb = "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host3/target3:0:0/3:0:0:0";
constexpr const char* CardReader = "pci0000:00/0000:00:14.0/usb2/2-4/2-4:1.0/host4/target4:0:0/4:0:0:0";
constexpr const char* Sata = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";
constexpr const char* SataOptical = "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0";
constexpr const char* Thunderbolt = "pci0000:00/0000:00:1c.0/0000:05:00.0/host6/target6:0:0/6:0:0:0";
constexpr const char* Scsi = "pci0000:00/0000:00:1f.2/host7/target7:0:0/7:0:0:0";
constexpr const char* SdCard = "platform/soc/fe340000.mmc/mmc_host/mmc0/mmc0:aaaa";
constexpr const char* Emmc = "platform/soc/fe330000.mmc/mmc_host/mmc1/mmc1:0001";

// One machine with every kind of drive the service has to tell apart.
class LinuxMachine : public ::testing::Test {
protected:
    void SetUp() override {
        // The system disk, on a bus that is not a hot-plug one.
        tree.disk(Sata, "sda", "8:0");
        tree.subsystem("pci0000:00/0000:00:17.0", "pci");
        tree.partition("sda", "sda1", 1, "8:1");
        tree.mount("26 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw");

        // A USB stick whose disk says removable 0; mounted with a space in its name, and bound a second
        // time (with a lower id) onto one of its folders.
        tree.disk(Usb, "sdb", "8:16", "0", "125042688");
        tree.partition("sdb", "sdb1", 1, "8:17");
        tree.subsystem("pci0000:00/0000:00:14.0/usb2/2-1", "usb");
        tree.subsystem("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0", "usb");
        tree.mount("38 26 8:17 /photos " + tree.path("bind") + " rw shared:7 - vfat /dev/sdb1 rw");
        tree.mount(
            "41 26 8:17 / /media/anna/ZIP\\040100 rw,nosuid,nodev shared:9 master:2 - vfat /dev/sdb1 rw");
        tree.write("run/udev/data/b8:17", "S:disk/by-uuid/0012-AB34\nE:ID_FS_LABEL_ENC=ZIP\\x20100\n"
                                          "E:ID_FS_UUID_ENC=0012-AB34\nE:ID_FS_TYPE=vfat\n");
        tree.statsFor("/media/anna/ZIP 100", {4096, 1000, 15000000});

        // A card reader with its slot empty.
        tree.disk(CardReader, "sdc", "8:32", "1", "0");
        tree.subsystem("pci0000:00/0000:00:14.0/usb2/2-4", "usb");

        // A Zip drive: partition 4 only, found through the by-label and by-uuid links; the bus above it is a
        // hot-plug port that says "removable".
        tree.disk(Thunderbolt, "sdd", "8:48", "0", "196608");
        tree.write("sys/devices/pci0000:00/0000:00:1c.0/0000:05:00.0/removable", "removable\n");
        tree.partition("sdd", "sdd1", 1, "8:49");
        tree.partition("sdd", "sdd4", 4, "8:52");
        tree.mount("52 26 8:52 / /media/zip rw - vfat /dev/sdd4 rw");
        tree.link("dev/disk/by-label/ZIP\\x2d100", "../../sdd4");
        tree.link("dev/disk/by-uuid/1A2B-3C4D", "../../sdd4");
        tree.link("dev/disk/by-uuid/9999-0000", "../../sdd1");
        tree.statsFor("/media/zip", {512, 8080, 196416});

        // A removable disk with two mounted partitions: the lower number counts, not the lower name.
        tree.disk(Scsi, "sde", "8:64", "1");
        tree.partition("sde", "sde2", 2, "8:66");
        tree.partition("sde", "sde10", 10, "8:74");
        tree.mount("60 26 8:74 / /media/e10 rw - ext4 /dev/sde10 rw");
        tree.mount("61 26 8:66 / /media/e2 rw - ntfs3 /dev/sde2 rw");
        tree.write("run/udev/data/b8:66", "E:ID_FS_UUID_ENC=01D2A3B4C5D6E7F8\n");
        tree.statsFor("/media/e2", {4096, 10, 20});

        // An SD card and an eMMC with its boot area.
        tree.disk(SdCard, "mmcblk0", "179:0");
        tree.write(std::string("sys/devices/") + SdCard + "/type", "SD\n");
        tree.partition("mmcblk0", "mmcblk0p1", 1, "179:1");
        tree.mount("70 26 179:1 / /media/anna/CAMERA rw - vfat /dev/mmcblk0p1 rw");
        tree.write("run/udev/data/b179:1", "E:ID_FS_LABEL_ENC=CAMERA\nE:ID_FS_UUID_ENC=6f3e-0a12\n");
        // No statsFor the card: statvfs fails there.
        tree.disk(Emmc, "mmcblk1", "179:32");
        tree.write(std::string("sys/devices/") + Emmc + "/type", "MMC\n");
        tree.subsystem(Emmc, "mmc");

        // A floppy whose flag says 0, optical drives, a loop device flagged removable.
        tree.disk("platform/floppy.0", "fd0", "2:0");
        tree.disk(SataOptical, "sr0", "11:0", "1");
        tree.write(std::string("sys/devices/") + SataOptical + "/type", "5\n");
        tree.mount("80 26 11:0 / /media/anna/DVD ro - iso9660 /dev/sr0 ro");
        tree.disk("pci0000:00/0000:00:1f.2/host8/target8:0:0/8:0:0:0", "sdf", "8:80", "1");
        tree.write("sys/devices/pci0000:00/0000:00:1f.2/host8/target8:0:0/8:0:0:0/type", "5\n");
        tree.disk("virtual", "loop0", "7:0", "1");
        tree.mount("90 26 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro");
        tree.disk("virtual", "zram0", "252:0");

        // Filesystems that only a directory root reaches, and some the drives must never see.
        tree.mount("100 26 0:40 / " + tree.directory("ram") + " rw - tmpfs tmpfs rw");
        tree.mount("101 26 0:41 / " + tree.directory("net") + " rw - nfs4 server:/export rw");
        tree.mount("102 26 0:5 / " + tree.directory("proc") + " rw - proc proc rw");
        tree.mount("103 26 0:42 / /media/auto rw - autofs systemd-1 rw");
        // Of mounts stacked on one folder the last is the one seen.
        tree.mount("104 26 0:43 / " + tree.directory("stack") + " rw - tmpfs tmpfs rw");
        tree.mount("105 26 0:44 / " + tree.path("stack") + " rw - cifs //server/share rw");
        tree.directory("bind/2024");
        tree.statsFor(tree.path("ram"), {4096, 7, 9});
    }

    FakeSystemTree tree;
};

TEST_F(LinuxMachine, OffersTheRemovableDrivesSortedByName) {
    std::vector<std::string> expected;
    for (const char* name : {"fd0", "mmcblk0", "sdb", "sdc", "sdd", "sde"}) {
        expected.push_back(tree.node(name));
    }
    EXPECT_EQ(tree.service().driveRoots(), expected);
}

TEST_F(LinuxMachine, TypesOfDevicesDirectoriesAndNothing) {
    const std::pair<std::string, int> cases[] = {
        {tree.node("sda"), DriveFixed},           {tree.node("sde"), DriveRemovable},
        {tree.node("sdb"), DriveRemovable},       {tree.node("sdb1"), DriveRemovable}, // removable 0, on usb
        {tree.node("mmcblk0"), DriveRemovable},   {tree.node("sdd"), DriveRemovable},  // port: "removable"
        {tree.node("mmcblk1"), DriveFixed},       {tree.node("fd0"), DriveRemovable},
        {tree.node("sr0"), DriveCdRom},           {tree.node("sdf"), DriveCdRom},
        {tree.node("loop0"), DriveFixed},         {tree.node("zram0"), DriveRamDisk},
        {tree.node("sdz"), DriveNoRoot},          {"", DriveNoRoot},
        {tree.path("ram"), DriveRamDisk},         {tree.path("net"), DriveRemote},
        {tree.path("stack"), DriveRemote},        {tree.path("proc"), DriveUndetermined},
        {tree.path("bind/2024"), DriveRemovable}, // a folder of the stick, through the bind mount
        {tree.path("dev"), DriveFixed},           // held by the system disk's "/"
    };
    const auto service = tree.service();
    for (const auto& [root, type] : cases) {
        EXPECT_EQ(service.driveType(root), type) << root;
    }
}

// What the service tells of a root, in one line: mount point | space | volume; a failure shows as "-" when
// it gives its reason.
std::string Describe(const LinuxDriveService& service, const std::string& root) {
    std::ostringstream out;
    const auto failed = [&](const std::string& reason) { out << (reason.empty() ? "(no reason)" : "-"); };
    const Result<std::string> mount = service.mountPoint(root);
    mount ? void(out << *mount) : failed(mount.reason());
    const Result<DiskSpace> space = service.diskSpace(root);
    out << " | ";
    space ? void(out << space->bytesPerSector << "x" << space->sectorsPerCluster << " " << space->freeClusters
                     << "/" << space->totalClusters)
          : failed(space.reason());
    const Result<VolumeInformation> volume = service.volumeInformation(root);
    out << " | ";
    volume ? void(out << volume->name << " " << std::hex << std::uppercase << volume->serial)
           : failed(volume.reason());
    return out.str();
}

// A drive is examined through the filesystem mounted from it now; one with nothing mounted answers as empty,
// and a failing statvfs leaves only the space unknown.
TEST_F(LinuxMachine, ExaminesTheFilesystemMountedNow) {
    const std::pair<std::string, std::string> cases[] = {
        // The bind mount has the lower id; the mount of the whole filesystem wins. \040 is a space.
        {tree.node("sdb"), "/media/anna/ZIP 100 | 4096x1 1000/15000000 | ZIP 100 12AB34"},
        {tree.node("sdb1"), "/media/anna/ZIP 100 | 4096x1 1000/15000000 | ZIP 100 12AB34"},
        {tree.node("sdd"), "/media/zip | 512x1 8080/196416 | ZIP-100 1A2B3C4D"},
        {tree.node("sde"), "/media/e2 | 4096x1 10/20 |  C5D6E7F8"},
        {tree.node("mmcblk0"), "/media/anna/CAMERA | - | CAMERA 6F3E0A12"},
        {tree.path("ram"), tree.path("ram") + " | 4096x1 7/9 |  0"},
        {tree.node("sdc"), "- | - | -"},
        {tree.node("sdd1"), "- | - | -"},
        {tree.node("sdz"), "- | - | -"},
    };
    for (const auto& [root, facts] : cases) {
        EXPECT_EQ(Describe(tree.service(), root), facts) << root;
    }
    tree.mount("120 26 8:32 / /media/anna/OTHER rw - vfat /dev/sdc rw");
    EXPECT_EQ(tree.service().mountPoint(tree.node("sdc")).value_or(""), "/media/anna/OTHER");
    // A filesystem whose device the kernel's lists lack (a container's view): its node's links name it.
    tree.mount("121 26 8:97 / " + tree.directory("old") + " rw - vfat " + tree.node("sdg1") + " rw");
    tree.link("dev/disk/by-label/OLDZIP", "../../sdg1");
    tree.link("dev/disk/by-uuid/1234-5678", "../../sdg1");
    EXPECT_EQ(Describe(tree.service(), tree.path("old")), tree.path("old") + " | - | OLDZIP 12345678");
}

// Where statvfs fails only the space is unknown: the label still shows the card's volume.
TEST_F(LinuxMachine, DiskInfoKeepsTheVolumeWhereOnlyTheSpaceIsUnknown) {
    Services services;
    services.drives = std::make_shared<LinuxDriveService>(tree.service());
    std::string type, name, serial;
    double freeMB = -1, capacityMB = -1;
    GetDiskInfo(services, tree.node("mmcblk0"), type, freeMB, capacityMB, name, serial);
    EXPECT_EQ(std::tie(type, freeMB, capacityMB, name, serial),
              std::make_tuple("REMOVABLE", 0.0, 0.0, "CAMERA\0"s, "6F3E-0A12"));
}

// The real statvfs, on this machine's own root.
TEST(RealMachine, ReadsTheSpaceOfTheRootFolder) {
    const Result<DiskSpace> space = LinuxDriveService().diskSpace("/");
    ASSERT_TRUE(space) << space.reason();
    EXPECT_GT(space->bytesPerSector, 0u);
    EXPECT_GT(space->totalClusters, 0u);
    EXPECT_LE(space->freeClusters, space->totalClusters);
}

TEST(MountInfo, ReadsTheWellFormedLinesAroundTheSeparator) {
    const auto mounts = ParseMountInfo(
        "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
        "41 26 8:17 / /media/anna/ZIP\\040100 rw shared:9 master:2 propagate_from:1 - vfat /dev/sdb1 rw\n"
        "garbage\n"
        "1 2 8:1 / /a rw ext4 /dev/sda1 rw\n"                               // no separator
        "x 2 8:1 / /b rw - ext4 /dev/sda1 rw\n"                             // id not a number
        "3 2 8-1 / /c rw - ext4 /dev/sda1 rw\n"                             // device not MAJ:MIN
        "4 2 8:1 / /d rw shared:1 - ext4\n"                                 // no source
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
    };
    for (const auto& [field, text] : cases) {
        EXPECT_EQ(UnescapeMountField(field), text) << field;
    }
}

TEST(VolumeIds, LabelsAndSerials) {
    const std::pair<const char*, const char*> labels[] = {
        {"a\\x2Fb", "a/b"},       {"\\x5cx41", "\\x41"},    {"end\\x2", "end\\x2"},
        {"bad\\xaZ", "bad\\xaZ"}, {"bad\\xZa", "bad\\xZa"}, {"caf\\xc3\\xa9", "caf\xc3\xa9"},
    };
    for (const auto& [in, out] : labels) {
        EXPECT_EQ(DecodeHexEscapes(in), out) << in;
    }
    // FAT, NTFS and lower-case serials are read off the machine's drives above.
    const std::pair<const char*, std::uint32_t> serials[] = {
        {"3e6be9de-8139-11d1-9106-a43f08d823a6", 0x3E6BE9DE}, // ext4 and the like
        {"2021-05-12-10-30-00-00", 0x20210512},               // ISO 9660 date
        {"abc", 0xABC},
        {"xyz", 0},
    };
    for (const auto& [uuid, serial] : serials) {
        EXPECT_EQ(SerialFromUuid(uuid), serial) << uuid;
    }
}

} // namespace
