#pragma once

#include <cstdint>
#include <string>

// One folder or file on a catalogued disk.
struct CatalogueEntry {
    std::string folder; // the folder holding it, relative to the disk's root, '/'-separated; "" for the root
    std::string name;
    bool isFolder = false;
    std::uint64_t size = 0;    // bytes; 0 for folders
    std::int64_t modified = 0; // seconds since the epoch
    bool unreadable = false;   // a folder whose own entries could not be read

    // Its path relative to the disk's root.
    std::string path() const { return folder.empty() ? name : folder + "/" + name; }
};
