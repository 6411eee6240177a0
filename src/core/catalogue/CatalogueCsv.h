#pragma once

#include "core/catalogue/DiskRecord.h"
#include "core/catalogue/SearchResult.h"

#include <string>
#include <string_view>
#include <vector>

// The catalogue's lists as CSV files for a spreadsheet, as RFC 4180 writes them: a header row, fields
// separated by commas, a field holding a comma, a quote, CR or LF put in quotes with its quotes doubled,
// CR LF after every row. The text is UTF-8 and starts with a byte-order mark: without one, Excel reads the
// file in the ANSI code page. Sizes are whole bytes and dates "YYYY-MM-DD hh:mm:ss" in local time, so
// that a spreadsheet can add and sort them.

// One field, quoted where it has to be.
std::string CsvField(std::string_view text);
// One row: the fields, separated by commas, then CR LF.
std::string CsvRow(const std::vector<std::string>& fields);

// The disks: the byte-order mark and the titles first, then one row a disk: number, volume, serial, drive
// type, capacity, used, free, first and last labelled, company, entries, unreadable folders, and whether
// the walk of its tree finished.
std::string DisksCsvHeader();
std::string DiskCsvRow(const DiskRecord& disk);
// Every disk, in the order given.
std::string DisksCsv(const std::vector<DiskRecord>& disks);

// Search hits: the byte-order mark and the titles first, then one row a hit, written as it is read: disk
// number, volume, folder, name, folder or file, size (empty for a folder), modified, when the disk was last
// labelled.
std::string SearchHitsCsvHeader();
std::string SearchHitCsvRow(const SearchHit& hit);
