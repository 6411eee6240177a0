#include "core/app/CommandLine.h"

#include "core/app/DescriptorOutput.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/CatalogueText.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>

namespace {

const char* const Usage =
    "Usage: tessaline [OPTION]\n"
    "Makes labels for removable disks and remembers every disk it labels.\n"
    "Without an option the program's window opens.\n"
    "\n"
    "  --find TEXT   list the catalogued folders and files whose names hold every word of TEXT\n"
    "                (any letter case; \"a phrase\" in quotes stays together), one per line:\n"
    "                disk number, volume name and path, separated by tabs\n"
    "  --disks       list the catalogued disks, one per line: number, volume name, serial,\n"
    "                capacity, used and free bytes, first and last label date, entries, and\n"
    "                \"incomplete\" where a disk's folders were not all recorded\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Exit status: 0 when something was found or listed, 1 when --find found nothing, 2 on an error.\n";

std::string Date(std::int64_t seconds) {
    const std::time_t when = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&when, &local);
    std::array<char, 16> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%d", &local);
    return text.data();
}

// The catalogue as it is; a missing file is an empty catalogue and is not created.
Result<std::unique_ptr<CatalogueStore>> OpenExisting(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return Failure{};
    }
    return CatalogueStore::open(path, Date(std::time(nullptr)));
}

int Fail(std::ostream& err, const std::string& path, const std::string& reason) {
    err << "tessaline: the disk catalogue " << path << " cannot be read: " << reason << "\n";
    return 2;
}

int Find(const std::string& text, const std::string& path, std::ostream& out, std::ostream& err) {
    Result<std::unique_ptr<CatalogueStore>> store = OpenExisting(path);
    if (!store) {
        return store.reason().empty() ? 1 : Fail(err, path, store.reason());
    }
    const Result<SearchResult> found = (*store)->search(text, std::numeric_limits<std::size_t>::max());
    if (!found) {
        return Fail(err, path, found.reason());
    }
    for (const SearchHit& hit : found->hits) {
        if (!out) {
            break; // the output failed: the caller tells
        }
        out << '#' << hit.diskNumber << '\t' << hit.volumeName << '\t' << hit.entry.path() << '\n';
    }
    return found->hits.empty() ? 1 : 0;
}

int Disks(const std::string& path, std::ostream& out, std::ostream& err) {
    Result<std::unique_ptr<CatalogueStore>> store = OpenExisting(path);
    if (!store) {
        return store.reason().empty() ? 0 : Fail(err, path, store.reason());
    }
    const Result<std::vector<DiskRecord>> disks = (*store)->disks();
    if (!disks) {
        return Fail(err, path, disks.reason());
    }
    for (const DiskRecord& disk : *disks) {
        out << '#' << disk.number << '\t' << disk.volumeName << '\t' << SerialText(disk.serial) << '\t'
            << disk.capacityBytes << '\t' << disk.usedBytes << '\t' << disk.freeBytes << '\t'
            << Date(disk.firstLabelled) << '\t' << Date(disk.lastLabelled) << '\t' << disk.entries
            << (disk.complete ? "" : "\tincomplete") << '\n';
    }
    return 0;
}

} // namespace

std::optional<int> RunCommandLine(const std::vector<std::string>& args, const std::string& cataloguePath,
                                  std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return std::nullopt;
    }
    const std::string& command = args.front();
    if (command == "--help" || command == "-h") {
        out << Usage;
        return 0;
    }
    if (command == "--version") {
        out << "tessaline 1.0\n";
        return 0;
    }
    if (command == "--disks") {
        if (args.size() > 1) {
            err << "tessaline: --disks takes nothing more\nTry 'tessaline --help'.\n";
            return 2;
        }
        return Disks(cataloguePath, out, err);
    }
    if (command == "--find") {
        std::string text;
        for (std::size_t i = 1; i < args.size(); ++i) {
            text += (i > 1 ? " " : "") + args[i];
        }
        if (text.find_first_not_of(" \t") == std::string::npos) {
            err << "tessaline: --find needs the text to look for\nTry 'tessaline --help'.\n";
            return 2;
        }
        return Find(text, cataloguePath, out, err);
    }
    // Anything else is the toolkit's (-platform, --style, ...) or the desktop program's.
    return std::nullopt;
}

std::optional<int> RunCommandLine(const std::vector<std::string>& args, const std::string& cataloguePath,
                                  int output, std::ostream& err) {
    DescriptorOutput buffer(output);
    std::ostream out(&buffer);
    const std::optional<int> code = RunCommandLine(args, cataloguePath, out, err);
    out.flush();
    if (buffer.error() == 0 || buffer.error() == EPIPE) {
        return code;
    }
    err << "tessaline: cannot write the output: " << std::strerror(buffer.error()) << "\n";
    return 2;
}
