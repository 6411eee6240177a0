#include "core/settings/CatalogueSetting.h"

#include "core/catalogue/PgCatalogueStore.h"
#include "core/settings/ProfileService.h"

#include <cmath>
#include <cstdlib>

std::string ConfiguredServer(const ProfileService& profile) {
    const Result<std::optional<std::string>> server = profile.read(CatalogueSection, ServerKey);
    return server && *server ? **server : std::string();
}

std::string ConfiguredCatalogue(const ProfileService& profile, const std::string& file) {
    const std::string server = ConfiguredServer(profile);
    return server.empty() ? file : server;
}

int LastDiskNumber(const ProfileService& profile) {
    const Result<std::optional<std::string>> stored = profile.read("GLOBAL", "ID_INDEX");
    if (!stored || !*stored) {
        return 0;
    }
    char* end = nullptr;
    const double value = std::strtod((*stored)->c_str(), &end);
    if (end == (*stored)->c_str() || !std::isfinite(value) || value < -32768 || value > 32767) {
        return 0;
    }
    return static_cast<int>(std::lround(value));
}

Result<Done> CheckServerSetting(std::string_view server) {
    if (server.empty()) {
        return Done{};
    }
    if (!IsServerCatalogue(server)) {
        return Failure{"\"" + std::string(server) +
                       "\" names no PostgreSQL server: write a URI such as postgresql://host/catalogue, or "
                       "a connection string such as host=server dbname=catalogue"};
    }
    if (ShownConnection(server) != server) {
        return Failure{"the connection holds a password, which is not kept in the settings: leave it out, "
                       "and keep it in ~/.pgpass (or a service file) instead"};
    }
    return Done{};
}
