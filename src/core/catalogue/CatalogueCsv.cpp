#include "core/catalogue/CatalogueCsv.h"

#include "core/catalogue/CatalogueText.h"
#include "core/disks/DiskInfo.h"

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            row += ',';
        }
        row += CsvField(fields[i]);
    }
    return row + "\r\n";
}

std::string DisksCsvHeader() {
    return std::string(ByteOrderMark) +
           CsvRow({"Disk", "Volume", "Serial", "Drive type", "Capacity (bytes)", "Used (bytes)",
                   "Free (bytes)", "First labelled", "Last labelled", "Company", "Entries",
                   "Unreadable folders", "Complete"});
}

std::string DiskCsvRow(const DiskRecord& disk) {
    return CsvRow({std::to_string(disk.number), NameText(disk.volumeName), SerialText(disk.serial),
                   disk.driveType, std::to_string(disk.capacityBytes), std::to_string(disk.usedBytes),
                   std::to_string(disk.freeBytes), IsoDateTime(disk.firstLabelled),
                   IsoDateTime(disk.lastLabelled), NameText(disk.company), std::to_string(disk.entries),
                   std::to_string(disk.skippedFolders), disk.complete ? "yes" : "no"});
}

std::string DisksCsv(const std::vector<DiskRecord>& disks) {
    std::string csv = DisksCsvHeader();
    for (const DiskRecord& disk : disks) {
        csv += DiskCsvRow(disk);
    }
    return csv;
}

std::string SearchHitsCsvHeader() {
    return std::string(ByteOrderMark) + CsvRow({"Disk", "Volume", "Folder", "Name", "Type", "Size (bytes)",
                                                "Modified", "Labelled", "Same disk as"});
}

std::string SearchHitCsvRow(const SearchHit& hit) {
    const CatalogueEntry& entry = hit.entry;
    return CsvRow(
        {std::to_string(hit.diskNumber), NameText(hit.volumeName), NameText(entry.folder),
         NameText(entry.name), entry.isFolder ? "folder" : "file",
         entry.isFolder ? std::string() : std::to_string(entry.size), IsoDateTime(entry.modified),
         IsoDateTime(hit.lastLabelled),
         // A copy on a disk recorded twice is no second copy: the sheet says so, as the window does.
         hit.sameDiskAs == 0 ? std::string() : std::to_string(hit.sameDiskAs)});
}
