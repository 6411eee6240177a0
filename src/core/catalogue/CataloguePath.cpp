#include "core/catalogue/CataloguePath.h"

#include "core/settings/ProfilePath.h"

#include <cstdlib>

std::filesystem::path CataloguePathFor(const char* xdgDataHome, const char* home) {
    std::filesystem::path base;
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        base = xdgDataHome;
    } else {
        base = std::filesystem::path((home != nullptr && home[0] != '\0') ? home : ".") / ".local" / "share";
    }
    return base / "tessaline" / "catalogue.sqlite";
}

std::filesystem::path DefaultCataloguePath() {
    return CataloguePathFor(std::getenv("XDG_DATA_HOME"), UserHomeFolder());
}
