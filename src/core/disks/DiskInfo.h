#pragma once

#include <string>

struct Services;

// Reads the facts of the disk in `drive` through the drive service into the five outputs, in
// order. Reports its own failure in a message box and never throws.
void GetDiskInfo(const Services& services, std::string drive, std::string& driveTypeName, double& freeMB,
                 double& capacityMB, std::string& volumeName, std::string& serialText);
