#pragma once

#include <string>

// Reads the facts of the disk in `drive` through Program().services.drives into the five outputs, in
// order. Reports its own failure in a message box and never throws.
void GetDiskInfo(std::string drive, std::string& driveTypeName, double& freeMB, double& capacityMB,
                 std::string& volumeName, std::string& serialText);
