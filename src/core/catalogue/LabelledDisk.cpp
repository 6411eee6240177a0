#include "core/catalogue/LabelledDisk.h"

#include "core/runtime/ProgramState.h"

#include <cmath>

namespace {

// The facts keep sizes in megabytes as doubles made from whole bytes, so the bytes come back exactly.
std::uint64_t Bytes(double megabytes) {
    return megabytes > 0 ? static_cast<std::uint64_t>(std::llround(megabytes * 1024 * 1024)) : 0;
}

std::uint32_t SerialOfText(const std::string& text) {
    std::uint32_t serial = 0;
    int digits = 0;
    for (const char c : text) {
        int value = -1;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            value = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        } else if (c != '-') {
            return 0;
        }
        if (value >= 0) {
            if (++digits > 8) {
                return 0;
            }
            serial = serial << 4 | static_cast<std::uint32_t>(value);
        }
    }
    return serial;
}

} // namespace

DiskIdentity IdentityOfFacts(const DiskFactsRecord& facts) {
    return {SerialOfText(facts.SerialText), Bytes(facts.CapacityMB)};
}

DiskRecord RecordOfFacts(const DiskFactsRecord& facts, int number, const std::string& company) {
    DiskRecord disk;
    disk.number = number;
    // The label's volume text keeps the NUL that ended the name in its buffer; the name ends there.
    disk.volumeName = facts.VolumeName.substr(0, facts.VolumeName.find('\0'));
    disk.serial = SerialOfText(facts.SerialText);
    disk.driveType = facts.DriveTypeName;
    disk.capacityBytes = Bytes(facts.CapacityMB);
    disk.freeBytes = Bytes(facts.FreeMB);
    disk.usedBytes = disk.capacityBytes > disk.freeBytes ? disk.capacityBytes - disk.freeBytes : 0;
    disk.company = company;
    return disk;
}

std::string ReprintQuestion(const DiskRecord& disk, const std::string& labelled) {
    const std::string number = "#" + std::to_string(disk.number);
    return "This disk was labelled " + number + " on " + labelled + ". Print its label again as " + number +
           "?";
}
