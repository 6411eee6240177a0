#pragma once

#include <string>
#include <vector>

// Reading folders for the folder list, in plain C++.

// An absolute, lexically normal folder path without a trailing slash ("/" stays "/"). A relative path is
// taken from the current directory.
std::string NormalFolderPath(const std::string& path);

// The folders above a normal path, outermost first: "/a/b" gives "/", "/a".
std::vector<std::string> FolderAncestors(const std::string& normalPath);

// The last part of a normal path ("/" for the root).
std::string FolderName(const std::string& normalPath);

// The names of the subfolders of a folder (hidden dot-folders left out; links to folders count), sorted
// case-insensitively with byte order between names that differ only in case. A folder that cannot be
// opened fails with "Path not found".
std::vector<std::string> ListSubfolders(const std::string& folder);
