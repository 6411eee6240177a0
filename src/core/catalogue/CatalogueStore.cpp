#include "core/catalogue/CatalogueStore.h"

#include "core/catalogue/PgCatalogueStore.h"
#include "core/catalogue/SqliteCatalogueStore.h"

Result<std::unique_ptr<CatalogueStore>>
CatalogueStore::open(const std::string& path, const std::string& today, CatalogueAccess access) {
    if (IsServerCatalogue(path)) {
        return PgCatalogueStore::open(path);
    }
    return SqliteCatalogueStore::open(path, today, access);
}

namespace {

Failure NoNumbers() {
    return Failure{"the catalogue file gives out no disk numbers: each desk numbers its labels itself"};
}

} // namespace

Result<NumberedDisk> CatalogueStore::reserveNumber(const DiskRecord&, std::int64_t, const std::string&) {
    return NoNumbers();
}

Result<Done> CatalogueStore::confirmNumber(std::int64_t) {
    return NoNumbers();
}

Result<Done> CatalogueStore::releaseNumber(std::int64_t) {
    return NoNumbers();
}

Result<int> CatalogueStore::lastNumber() const {
    return NoNumbers();
}

Result<std::vector<UnconfirmedNumber>> CatalogueStore::unconfirmedNumbers() const {
    return NoNumbers();
}
