#include "core/disks/DiskInfo.h"

#include "core/disks/DriveService.h"
#include "core/runtime/Conversions.h"
#include "core/runtime/ProgramState.h"
#include "core/runtime/Runtime.h"
#include "core/runtime/RuntimeError.h"
#include "core/runtime/Services.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <utility>

namespace {

constexpr std::size_t VolumeBufferSize = 32;

// Bytes of a count of clusters; 64 bits so that disks of 2 GiB and more give their true figures, and an
// overflow raised only where even that does not hold.
std::uint64_t CheckedProduct(std::uint64_t a, std::uint64_t b) {
    if (b != 0 && a > std::numeric_limits<std::uint64_t>::max() / b) {
        throw RuntimeError(RuntimeError::Overflow);
    }
    return a * b;
}

std::uint64_t ClusterBytes(const DiskSpace& space, std::uint64_t clusters) {
    return CheckedProduct(CheckedProduct(space.bytesPerSector, space.sectorsPerCluster), clusters);
}

double Megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / 1024 / 1024;
}

// The name as a fixed blank-filled buffer holds it after the read: name, its NUL, then blanks. Trimming
// keeps the NUL; a failed read leaves only blanks.
std::string VolumeNameFromBuffer(const Result<VolumeInformation>& volume) {
    std::string buffer(VolumeBufferSize, ' ');
    if (volume) {
        std::string written = volume->name + '\0';
        if (written.size() >= buffer.size()) {
            buffer = written;
        } else {
            buffer.replace(0, written.size(), written);
        }
    }
    return TrimBlanks(buffer);
}

const char* DriveTypeNameOf(int type) {
    switch (type) {
    case DriveUndetermined:
        return "UNDETERMINED";
    case DriveNoRoot:
        return "NO ROOT";
    case DriveRemovable:
        return "REMOVABLE";
    case DriveFixed:
        return "FIXED";
    case DriveRemote:
        return "REMOTE";
    case DriveCdRom:
        return "CD ROM";
    case DriveRamDisk:
        return "RAMDISK";
    default:
        return nullptr;
    }
}

// GetDiskInfo's reading, field by field in the order of the outputs; a service that cannot answer throws.
void ReadDiskInfo(const Services& services, const std::string& drive, DiskFactsRecord& facts) {
    const auto& drives = services.drives;
    if (!drives) {
        throw RuntimeError(RuntimeError::ObjectRequired);
    }

    if (const char* name = DriveTypeNameOf(drives->driveType(drive))) {
        facts.DriveTypeName = name;
    }

    const DiskSpace space = drives->diskSpace(drive).value_or(DiskSpace{});
    facts.FreeBytes = ClusterBytes(space, space.freeClusters);
    facts.FreeMB = Megabytes(facts.FreeBytes);
    facts.CapacityBytes = ClusterBytes(space, space.totalClusters);
    facts.CapacityMB = Megabytes(facts.CapacityBytes);

    // The read goes into a local buffer first: a failing service must not leave blanks in the output.
    const Result<VolumeInformation> volume = drives->volumeInformation(drive);
    const std::string name = VolumeNameFromBuffer(volume);
    facts.Serial = volume ? volume->serial : 0;
    facts.SerialText = SerialText(facts.Serial);
    facts.VolumeName = name;
}

} // namespace

std::string SerialText(std::uint32_t serial) {
    std::array<char, 10> text{};
    std::snprintf(text.data(), text.size(), "%04X-%04X", static_cast<unsigned>(serial >> 16),
                  static_cast<unsigned>(serial & 0xFFFFu));
    return text.data();
}

void GetDiskInfo(const Services& services, std::string drive, std::string& driveTypeName, double& freeMB,
                 double& capacityMB, std::string& volumeName, std::string& serialText) {
    // A field the read does not reach keeps its value, as an output does.
    DiskFactsRecord facts;
    facts.DriveTypeName = driveTypeName;
    facts.FreeMB = freeMB;
    facts.CapacityMB = capacityMB;
    facts.VolumeName = volumeName;
    facts.SerialText = serialText;
    GetDiskInfo(services, std::move(drive), facts);
    driveTypeName = std::move(facts.DriveTypeName);
    freeMB = facts.FreeMB;
    capacityMB = facts.CapacityMB;
    volumeName = std::move(facts.VolumeName);
    serialText = std::move(facts.SerialText);
}

void GetDiskInfo(const Services& services, std::string drive, DiskFactsRecord& facts) {
    try {
        ReadDiskInfo(services, drive, facts);
    } catch (const RuntimeError&) {
        MsgBox(services, "No Zip Disk found in specified drive!", 0, std::string("Insert a Zip Disk ..."));
    }
}

bool ReadDiskFacts(const Services& services, const std::string& drive, DiskFactsRecord& facts) {
    try {
        ReadDiskInfo(services, drive, facts);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}
