#include "settings/Settings.h"

#include "forms/Conversions.h"
#include "forms/ProgramState.h"
#include "settings/ProfileAccess.h"

#include <string>

namespace {

std::string global(const char* key) {
    return ProfileAccess("GET", "GLOBAL", key);
}

} // namespace

void LoadSettings() {
    // One read per key, in this order; each setting is assigned once its reads are done.
    const std::string owner = global("OWNER");
    const std::string company = global("COMPANY");
    const std::string addr1 = global("ADDR1");
    const std::string addr2 = global("ADDR2");
    const std::string addr3 = global("ADDR3");
    Program().OwnerBlock = owner + "\r\n" + company + "\r\n" + addr1 + "\r\n" + addr2 + "\r\n" + addr3;

    Program().ZipDrive = global("ZIPDRIVE");

    const std::string index = global("ID_INDEX");
    Program().NextDiskNumber = CInt(TextToDouble(index) + 1);
}
