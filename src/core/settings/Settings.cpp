#include "core/settings/Settings.h"

#include "core/runtime/Conversions.h"
#include "core/runtime/ProgramState.h"
#include "core/settings/ProfileAccess.h"

#include <string>

namespace {

std::string Global(const Services& services, const char* key) {
    return ProfileAccess(services, "GET", "GLOBAL", key);
}

} // namespace

void LoadSettings(const Services& services) {
    // One read per key, in this order; each setting is assigned once its reads are done.
    const std::string owner = Global(services, "OWNER");
    const std::string company = Global(services, "COMPANY");
    const std::string addr1 = Global(services, "ADDR1");
    const std::string addr2 = Global(services, "ADDR2");
    const std::string addr3 = Global(services, "ADDR3");
    Program().OwnerBlock = owner + "\r\n" + company + "\r\n" + addr1 + "\r\n" + addr2 + "\r\n" + addr3;

    Program().ZipDrive = Global(services, "ZIPDRIVE");

    const std::string index = Global(services, "ID_INDEX");
    Program().NextDiskNumber = CInt(TextToDouble(index) + 1);
}
