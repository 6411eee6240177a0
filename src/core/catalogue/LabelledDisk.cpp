#include "core/catalogue/LabelledDisk.h"

#include "core/runtime/ProgramState.h"

DiskIdentity IdentityOfFacts(const DiskFactsRecord& facts) {
    return {facts.Serial, facts.CapacityBytes};
}

DiskRecord RecordOfFacts(const DiskFactsRecord& facts, int number, const std::string& company) {
    DiskRecord disk;
    disk.number = number;
    // The label's volume text keeps the NUL that ended the name in its buffer; the name ends there.
    disk.volumeName = facts.VolumeName.substr(0, facts.VolumeName.find('\0'));
    disk.serial = facts.Serial;
    disk.driveType = facts.DriveTypeName;
    disk.capacityBytes = facts.CapacityBytes;
    disk.freeBytes = facts.FreeBytes;
    disk.usedBytes = disk.capacityBytes > disk.freeBytes ? disk.capacityBytes - disk.freeBytes : 0;
    disk.company = company;
    return disk;
}

std::string ReprintQuestion(const DiskRecord& disk, const std::string& labelled) {
    const std::string number = "#" + std::to_string(disk.number);
    return "This disk was labelled " + number + " on " + labelled + ". Print its label again as " + number +
           "?";
}
