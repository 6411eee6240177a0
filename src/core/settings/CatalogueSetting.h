#pragma once

#include "core/runtime/Result.h"

#include <string>
#include <string_view>

class ProfileService;

// The profile's key that names a shared catalogue: a libpq URI or connection string, in [CATALOGUE].
inline constexpr const char* CatalogueSection = "CATALOGUE";
inline constexpr const char* ServerKey = "SERVER";

// The server of the shared catalogue that the profile names; empty when it names none (or cannot be read):
// the desk keeps its own file.
std::string ConfiguredServer(const ProfileService& profile);

// Where this desk keeps its catalogue: on the server that the profile names, else in `file`.
std::string ConfiguredCatalogue(const ProfileService& profile, const std::string& file);

// This desk's last disk number, from its profile; 0 when there is none or it is no number.
int LastDiskNumber(const ProfileService& profile);

// Whether `server` may be kept as the catalogue's location: empty (the file), or a URI or connection
// string without a password, which belongs in ~/.pgpass or a service file rather than in the profile.
// Says what is wrong otherwise.
Result<Done> CheckServerSetting(std::string_view server);
