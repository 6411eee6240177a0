#pragma once

#include <filesystem>

// Where the catalogue lives: $XDG_DATA_HOME/tessaline/catalogue.sqlite, else
// ~/.local/share/tessaline/catalogue.sqlite (a relative XDG_DATA_HOME is ignored).
std::filesystem::path DefaultCataloguePath();
std::filesystem::path CataloguePathFor(const char* xdgDataHome, const char* home);
