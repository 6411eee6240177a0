#pragma once

#include "core/catalogue/DiskRecord.h"
#include "core/catalogue/SearchResult.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The texts of the catalogue's lists, the same in its window and in its CSV files.

// A size as a person reads it, in the label's binary units (1 KB = 1024 bytes): "512 bytes", "1.4 KB",
// "95.8 MB", "239 MB", "1.9 GB". One decimal below 100 of a unit, where it tells sizes apart; whole
// numbers from 100 on; the next unit from 1,000 on ("1.0 MB" for 1,000 KB).
std::string SizeText(std::uint64_t bytes, char decimalSeparator = '.');

// What the user is told when a damaged catalogue was moved aside and a new one started.
std::string MovedAsideMessage(const std::string& path, const std::string& movedTo);

// A count with its thousands marked: "12,345".
std::string GroupedCount(std::uint64_t count);

// The line under a search: "No matches", "1 match", "12 matches", or "1,000 of 12,345" when only the
// first matches are shown; "1,000 of about 720,000" (two figures) when the total is `estimated`.
std::string MatchCountText(std::size_t shown, std::uint64_t total, bool estimated = false);

// The disk of a search's hit: "#40", or "#40 (same disk as #12)" for a copy on a disk recorded twice
// (labelled again as new), which is no second copy.
std::string HitDiskText(const SearchHit& hit);

// What a disk's list lacks, in the words of --disks: "Incomplete" where its walk did not finish,
// "3 folders unreadable" where it could not read some, both joined by "; "; empty for a whole list.
std::string DiskStatusText(const DiskRecord& disk);

// Seconds since the epoch as local date and time, the form spreadsheets read: "2026-03-14 09:47:00";
// empty for 0 (not known).
std::string IsoDateTime(std::int64_t seconds);

// Seconds since the epoch as the local date: "2026-03-14".
std::string IsoDate(std::int64_t seconds);

// A name read from a disk as UTF-8, each piece that is not UTF-8 shown as a replacement mark (U+FFFD):
// guessing a code page would show another name than the one on the disk, as if it were right.
std::string NameText(const std::string& bytes);
