#pragma once

#include <filesystem>

// The profile's file name; no other code names the file.
inline constexpr const char* ProfileFileName = "Tesslin1.ini";

// Where the profile lives: $XDG_CONFIG_HOME/Tesslin1.ini, else ~/.config/Tesslin1.ini.
std::filesystem::path DefaultProfilePath();

// $HOME, else the home folder the password database gives; null when neither is known.
const char* UserHomeFolder();

// The same rule on given values (either may be null): a relative or empty XDG_CONFIG_HOME is ignored, as
// the base directory rules ask; without a home the current folder's .config is used.
std::filesystem::path ProfilePathFor(const char* xdgConfigHome, const char* home);
