#pragma once

#include <cstdint>
#include <string>

// The facts of the examined disk, overwritten field by field by each examination.
struct DiskFactsRecord {
    std::string DriveTypeName;
    double FreeMB = 0.0;
    double CapacityMB = 0.0;
    std::string VolumeName;
    std::string SerialText;
    // The same facts as numbers, read together with the texts: what the catalogue records and compares.
    std::uint32_t Serial = 0;
    std::uint64_t CapacityBytes = 0;
    std::uint64_t FreeBytes = 0;
};

// The one program-wide state: the settings, the examined disk and the two flags.
struct ProgramState {
    std::string OwnerBlock;
    std::string ZipDrive;
    std::int16_t NextDiskNumber = 0;
    DiskFactsRecord DiskFacts;
    bool FirstRun = false;
};

ProgramState& Program();

// Back to the initial values; tests call it between cases.
void ResetProgram();
