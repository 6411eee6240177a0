#pragma once

#include <cstdint>
#include <string>

struct DiskFactsRecord;
struct Services;

// A volume serial as the label shows it: "1A2B-3C4D".
std::string SerialText(std::uint32_t serial);

// Reads the facts of the disk in `drive` through the drive service into the five outputs, in
// order. Reports its own failure in a message box and never throws.
void GetDiskInfo(const Services& services, std::string drive, std::string& driveTypeName, double& freeMB,
                 double& capacityMB, std::string& volumeName, std::string& serialText);

// The same, into `facts`: the five texts and sizes above and their numbers (serial, bytes).
void GetDiskInfo(const Services& services, std::string drive, DiskFactsRecord& facts);

// The same facts into `facts`, quietly: false (with `facts` as far as it was filled) where GetDiskInfo
// would report a failure. For looking at the drive without being asked to.
bool ReadDiskFacts(const Services& services, const std::string& drive, DiskFactsRecord& facts);
