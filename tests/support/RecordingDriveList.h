#pragma once

#include "core/disks/ZipDriveList.h"

#include <string>
#include <vector>

// Stands in for the combo box the drive list is filled into.
class RecordingDriveList final : public DriveListTarget {
public:
    void addItem(const std::string& item) override { items.push_back(item); }
    void setText(const std::string& value) override { text = value; }
    std::vector<std::string> items;
    std::string text;
};
