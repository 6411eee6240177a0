#include "core/catalogue/CatalogueStore.h"

#include "core/catalogue/SqliteCatalogueStore.h"

Result<std::unique_ptr<CatalogueStore>>
CatalogueStore::open(const std::string& path, const std::string& today, CatalogueAccess access) {
    return SqliteCatalogueStore::open(path, today, access);
}
