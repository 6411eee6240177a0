#pragma once

#include <optional>
#include <string>

#include <sys/stat.h>

// Why the existing file `path` (whose status is `info`) may not be written, or nothing when it may. The
// mode bits are the user's intent: root, whom the system lets write anything, is held to the bits of its
// class like anybody else, and a file without any write bit is read-only for everybody.
std::optional<std::string> ReadOnlyReason(const struct stat& info, const std::string& path);

// True only when nothing is at `path` (no file yet). Any other trouble is for opening the file to tell.
bool NothingAt(const std::string& path);
