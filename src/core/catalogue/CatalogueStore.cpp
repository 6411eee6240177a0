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
