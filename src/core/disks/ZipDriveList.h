#pragma once

#include <string>

struct Services;

// What FillZipDriveList needs of a combo box.
class DriveListTarget {
public:
    virtual ~DriveListTarget() = default;
    virtual void addItem(const std::string& text) = 0;
    virtual void setText(const std::string& text) = 0;
};

// Adds every removable drive root to `box` and leaves its text at the last one; with none, tells the user
// and ends the program.
void FillZipDriveList(const Services& services, DriveListTarget& box);
