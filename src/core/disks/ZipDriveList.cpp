#include "core/disks/ZipDriveList.h"

#include "core/disks/DriveService.h"
#include "core/runtime/Runtime.h"
#include "core/runtime/RuntimeError.h"
#include "core/runtime/Services.h"

#include <cctype>
#include <vector>

namespace {

// Windows drive letters are shown in upper case; a Linux device path keeps its case.
std::string ItemText(const std::string& root) {
    const bool driveLetter =
        root.size() >= 2 && root[1] == ':' && std::isalpha(static_cast<unsigned char>(root[0]));
    if (!driveLetter) {
        return root;
    }
    std::string upper = root;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

std::vector<std::string> AllRoots(const DriveService* drives) {
    if (!drives) {
        return {};
    }
    try {
        return drives->driveRoots();
    } catch (const RuntimeError&) {
        // A platform that cannot list its drives has none to offer.
        return {};
    }
}

bool IsRemovable(const DriveService& drives, const std::string& root) {
    try {
        return drives.driveType(root) == DriveRemovable;
    } catch (const RuntimeError&) {
        // A drive whose type cannot be determined is passed over.
        return false;
    }
}

} // namespace

void FillZipDriveList(const Services& services, DriveListTarget& box) {
    const auto& drives = services.drives;
    bool found = false;
    for (const auto& root : AllRoots(drives.get())) {
        if (IsRemovable(*drives, root)) {
            const std::string text = ItemText(root);
            box.addItem(text);
            box.setText(text);
            found = true;
        }
    }
    if (!found) {
        MsgBox(services, "No Zip Drive detected on this machine !", 0);
        EndProgram(services);
    }
}
