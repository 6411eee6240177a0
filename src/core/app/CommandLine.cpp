#include "core/app/CommandLine.h"

#include "core/app/DescriptorOutput.h"
#include "core/app/TerminalText.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/CatalogueText.h"
#include "core/catalogue/PgCatalogueSchema.h"
#include "core/catalogue/PgCatalogueStore.h"
#include "core/catalogue/PgConnection.h"
#include "core/catalogue/SearchQuery.h"
#include "core/disks/DiskInfo.h"
#include "core/runtime/FileAccess.h"
#include "core/runtime/Runtime.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

const char* const Usage =
    "Usage: tessaline [-0] [OPTION]\n"
    "Makes labels for removable disks and remembers every disk it labels.\n"
    "Without an option the program's window opens.\n"
    "\n"
    "  --find TEXT   list the catalogued folders and files whose path on their disk (a folder\n"
    "                above them or their own name) or disk's volume name holds every word of\n"
    "                TEXT, any part, any letter case; \"a phrase\" in quotes stays together.\n"
    "                One per line: disk number, volume name and path, separated by tabs;\n"
    "                entries whose own name holds every word first, then by disk and path.\n"
    "                Filters narrow it: ext:pdf (or *.pdf), size:>100MB, size:<1KB (B, KB, MB,\n"
    "                GB, TB; 1 KB = 1024 bytes), modified:2019, modified:2019-03..2019-06,\n"
    "                type:folder, type:file, disk:42 (or #42), -word (leave out what holds\n"
    "                it) and dupes: (files of the same name and size on other disks too)\n"
    "  --disks       list the catalogued disks, one per line: number, volume name, serial,\n"
    "                capacity, used and free bytes, first and last label date, entries, then\n"
    "                \"incomplete\" where a disk's folders were not all recorded and\n"
    "                \"N folders unreadable\" where some could not be read\n"
    "  --backup FILE copy the disk catalogue to FILE, whole and consistent even while the program\n"
    "                records a disk; FILE is replaced only once the copy is complete\n"
    "  --catalogue URI\n"
    "                with --find, --disks or --backup: use the shared catalogue on the\n"
    "                PostgreSQL server that URI names (a libpq URI or connection string)\n"
    "                instead of the one set for this desk; keep passwords in ~/.pgpass\n"
    "  --catalogue URI --init\n"
    "                for an administrator: make the shared catalogue's tables on that server,\n"
    "                or bring them up to date, and the roles tessaline_search and\n"
    "                tessaline_label; a new catalogue's disk numbers go on after this desk's\n"
    "                last one\n"
    "  -0, --null    with --find or --disks, before or after it: every field ends with a NUL\n"
    "                byte instead of a tab or a newline, and names are written as they are;\n"
    "                a match is 3 fields, a disk 11: the 9 above, \"complete\" or \"incomplete\",\n"
    "                and the number of folders that could not be read\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "In lines, a name's backslash, tab, newline and carriage return are written \\\\, \\t, \\n and\n"
    "\\r, any other control character or byte that is not UTF-8 as \\xHH, so that each line is one\n"
    "match or disk. After --, every word is text to find as it is, even -0 or ext:pdf.\n"
    "\n"
    "Exit status: 0 when something was found, listed or backed up; 1 when --find found nothing;\n"
    "2 on an error, said on standard error.\n";

// What the arguments ask: a command, what follows it, and whether fields end with NUL bytes.
struct Request {
    std::string command;
    std::optional<std::string> catalogue; // --catalogue URI
    std::vector<std::string> operands;
    std::size_t textFrom = std::string::npos; // the first operand after --, which are text to find
    bool nul = false;
};

Request Parse(const std::vector<std::string>& args) {
    Request request;
    bool options = true;
    bool location = false; // the next argument is the catalogue's
    for (const std::string& arg : args) {
        if (location) {
            request.catalogue = arg;
            location = false;
        } else if (options && arg == "--catalogue") {
            location = true;
            request.catalogue = "";
        } else if (options && arg.starts_with("--catalogue=")) {
            request.catalogue = arg.substr(arg.find('=') + 1);
        } else if (options && (arg == "-0" || arg == "--null")) {
            request.nul = true;
        } else if (request.command.empty()) {
            request.command = arg;
        } else if (options && arg == "--") {
            options = false;
            request.textFrom = request.operands.size();
        } else {
            request.operands.push_back(arg);
        }
    }
    return request;
}

// An answer's fields: in lines, tab-separated and escaped (a script reads one line as one entry); with
// -0, each ended by a NUL byte and written as it is, as find -print0 does.
class Fields {
public:
    Fields(std::ostream& out, bool nul) : m_out(out), m_nul(nul) {}

    // A name from a disk, whatever bytes it holds.
    void name(std::string_view bytes) {
        start();
        put(bytes);
        end();
    }
    // An entry's path on its disk, written in pieces rather than made first (a search may write millions).
    void path(const CatalogueEntry& entry) {
        start();
        if (!entry.folder.empty()) {
            put(entry.folder);
            m_line += '/';
        }
        put(entry.name);
        end();
    }
    // A text of the program's own, which needs no escaping.
    void text(std::string_view value) {
        start();
        m_line += value;
        end();
    }
    // The line goes out whole, in one write to the stream.
    void endLine() {
        if (!m_nul) {
            m_line += '\n';
        }
        m_out.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
        m_line.clear();
        m_started = false;
    }

private:
    void start() {
        if (m_started && !m_nul) {
            m_line += '\t';
        }
    }
    void end() {
        if (m_nul) {
            m_line += '\0';
        }
        m_started = true;
    }
    // Bytes from a disk: as they are with -0, else escaped.
    void put(std::string_view bytes) {
        if (m_nul) {
            m_line += bytes;
        } else {
            AppendTerminalText(m_line, bytes);
        }
    }

    std::ostream& m_out;
    bool m_nul;
    bool m_started = false;
    std::string m_line; // the fields of the line so far
};

// The catalogue as it is, read only: a missing file is an empty catalogue and is not created. Any other
// trouble (a folder that may not be entered) is the store's to tell.
Result<std::unique_ptr<CatalogueStore>> OpenExisting(const std::string& path) {
    if (!IsServerCatalogue(path) && NothingAt(path)) {
        return Failure{};
    }
    return CatalogueStore::open(path, {}, CatalogueAccess::Read);
}

// The store's reasons name the file and, for a damaged one, say what to do.
int Fail(std::ostream& err, const std::string& path, const std::string& reason) {
    err << "tessaline: " << reason;
    if (IsServerCatalogue(path)) {
        err << " (the shared catalogue " << ShownConnection(path) << ")";
    } else if (reason.find(path) == std::string::npos) {
        err << " (the disk catalogue " << path << ")";
    }
    err << "\n";
    return 2;
}

int Find(const std::string& text, const std::string& path, std::ostream& out, std::ostream& err, bool nul) {
    // A filter typed wrong is said before the catalogue is looked at.
    if (const Result<SearchQuery> query = ParseSearch(text); !query) {
        err << "tessaline: " << query.reason() << "\n";
        return 2;
    }
    Result<std::unique_ptr<CatalogueStore>> store = OpenExisting(path);
    if (!store) {
        return store.reason().empty() ? 1 : Fail(err, path, store.reason());
    }
    Fields fields(out, nul);
    bool found = false;
    // The matches are written as they are read; nobody here needs their count first.
    const Result<Done> searched = (*store)->forEachHit(
        text,
        [&](const SearchHit& hit, std::uint64_t) {
            fields.text(HitDiskText(hit));
            fields.name(hit.volumeName);
            fields.path(hit.entry);
            fields.endLine();
            found = true;
            return bool(out); // once the output fails the rest is not worth reading; the caller tells
        },
        false);
    if (!searched) {
        return Fail(err, path, searched.reason());
    }
    return found ? 0 : 1;
}

int Disks(const std::string& path, std::ostream& out, std::ostream& err, bool nul) {
    Result<std::unique_ptr<CatalogueStore>> store = OpenExisting(path);
    if (!store) {
        return store.reason().empty() ? 0 : Fail(err, path, store.reason());
    }
    const Result<std::vector<DiskRecord>> disks = (*store)->disks();
    if (!disks) {
        return Fail(err, path, disks.reason());
    }
    Fields fields(out, nul);
    for (const DiskRecord& disk : *disks) {
        fields.text('#' + std::to_string(disk.number));
        fields.name(disk.volumeName);
        for (const std::string& value :
             {SerialText(disk.serial), std::to_string(disk.capacityBytes), std::to_string(disk.usedBytes),
              std::to_string(disk.freeBytes), IsoDate(disk.firstLabelled), IsoDate(disk.lastLabelled),
              std::to_string(disk.entries)}) {
            fields.text(value);
        }
        // In lines only what is worth a look is added; with -0 every disk has the same fields.
        if (nul || !disk.complete) {
            fields.text(disk.complete ? "complete" : "incomplete");
        }
        const std::string skipped = std::to_string(disk.skippedFolders);
        if (nul) {
            fields.text(skipped);
        } else if (disk.skippedFolders != 0) {
            fields.text(skipped + (disk.skippedFolders == 1 ? " folder" : " folders") + " unreadable");
        }
        fields.endLine();
    }
    // Numbers taken for labels never confirmed are told apart from the list, which keeps its form.
    if ((*store)->givesNumbers()) {
        const Result<std::vector<UnconfirmedNumber>> unconfirmed = (*store)->unconfirmedNumbers();
        if (!unconfirmed) {
            return Fail(err, path, unconfirmed.reason());
        }
        for (const UnconfirmedNumber& taken : *unconfirmed) {
            err << "tessaline: number #" << taken.number << " was taken for a label at "
                << TerminalText(taken.desk) << " on " << IsoDate(taken.takenAt)
                << " whose printing was never confirmed; no disk has it, and it is not given again\n";
        }
    }
    return 0;
}

int Init(const std::string& location, int lastNumber, std::ostream& out, std::ostream& err) {
    if (!IsServerCatalogue(location)) {
        err << "tessaline: --init makes a shared catalogue on a PostgreSQL server; \"" << location
            << "\" is no libpq URI or connection string\n";
        return 2;
    }
    Result<std::unique_ptr<PgConnection>> connection = PgConnection::open(location);
    Result<std::string> made =
        Then(connection, [&] { return InitPgCatalogue(*connection.value(), lastNumber); });
    if (!made) {
        return Fail(err, location, made.reason());
    }
    out << *made << "\n";
    return 0;
}

// One file by two names, whether it exists yet or not.
bool SameFile(const std::string& one, const std::string& other) {
    std::error_code ec;
    if (std::filesystem::equivalent(one, other, ec)) {
        return true;
    }
    std::error_code otherEc;
    const std::filesystem::path oneFound = std::filesystem::weakly_canonical(one, ec);
    const std::filesystem::path otherFound = std::filesystem::weakly_canonical(other, otherEc);
    return !ec && !otherEc && oneFound == otherFound;
}

int Backup(const std::string& to, const std::string& path, std::ostream& out, std::ostream& err) {
    Result<std::unique_ptr<CatalogueStore>> store = OpenExisting(path);
    if (!store) {
        if (store.reason().empty()) {
            err << "tessaline: nothing to back up: there is no disk catalogue at " << path << " yet\n";
            return 2;
        }
        return Fail(err, path, store.reason());
    }
    // The copy is renamed into place: over the catalogue or its log it would take the live file's place.
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        if (!IsServerCatalogue(path) && SameFile(to, path + suffix)) {
            err << "tessaline: " << to << " is the disk catalogue's own file; back it up to another one\n";
            return 2;
        }
    }
    if (const Result<Done> copied = (*store)->backup(to); !copied) {
        err << "tessaline: " << copied.reason() << "\n";
        return 2;
    }
    out << "Backed up the disk catalogue to " << TerminalText(to) << "\n";
    return 0;
}

int Misused(std::ostream& err, const std::string& what) {
    err << "tessaline: " << what << "\nTry 'tessaline --help'.\n";
    return 2;
}

} // namespace

bool IsTerminalCommand(const std::vector<std::string>& args) {
    const Request request = Parse(args);
    for (const char* command : {"--help", "-h", "--version", "--disks", "--find", "--backup", "--init"}) {
        if (request.command == command) {
            return true;
        }
    }
    return request.nul || request.catalogue.has_value();
}

std::optional<int> RunCommandLine(const std::vector<std::string>& args, const std::string& configured,
                                  std::ostream& out, std::ostream& err, int lastNumber) {
    const Request request = Parse(args);
    if (request.catalogue && request.catalogue->empty()) {
        return Misused(err, "--catalogue needs the server's URI or connection string");
    }
    const std::string& cataloguePath = request.catalogue ? *request.catalogue : configured;
    const std::string& command = request.command;
    if (command == "--help" || command == "-h") {
        out << Usage;
        return 0;
    }
    if (command == "--version") {
        out << "tessaline " << ProductVersion << "\n";
        return 0;
    }
    if (command == "--disks") {
        if (!request.operands.empty()) {
            return Misused(err, "--disks takes nothing more");
        }
        return Disks(cataloguePath, out, err, request.nul);
    }
    if (command == "--find") {
        std::string text;
        for (std::size_t i = 0; i < request.operands.size(); ++i) {
            const std::string& word = request.operands[i];
            // After --, a word is text to find as it is: quoted, -0 or ext:pdf is neither left out nor a
            // filter.
            const bool asIs = i >= request.textFrom && word.find_first_of("\" \t") == std::string::npos;
            text += (text.empty() ? "" : " ") + (asIs ? '"' + word + '"' : word);
        }
        if (text.find_first_not_of(" \t") == std::string::npos) {
            return Misused(err, "--find needs the text to look for");
        }
        return Find(text, cataloguePath, out, err, request.nul);
    }
    if (request.nul) {
        return Misused(err, "-0 goes with --find or --disks");
    }
    if (command == "--init") {
        if (!request.catalogue) {
            return Misused(err, "--init needs --catalogue and the server's URI before it");
        }
        if (!request.operands.empty()) {
            return Misused(err, "--init takes nothing more");
        }
        return Init(cataloguePath, lastNumber, out, err);
    }
    if (command == "--backup") {
        if (request.operands.size() != 1 || request.operands.front().empty()) {
            return Misused(err, request.operands.size() > 1
                                    ? "--backup takes one file"
                                    : "--backup needs the file to copy the catalogue to");
        }
        return Backup(request.operands.front(), cataloguePath, out, err);
    }
    if (request.catalogue) {
        return Misused(err, "--catalogue goes with --find, --disks, --backup or --init");
    }
    // Anything else is the toolkit's (-platform, --style, ...) or the desktop program's.
    return std::nullopt;
}

std::optional<int> RunCommandLine(const std::vector<std::string>& args, const std::string& cataloguePath,
                                  int output, std::ostream& err, int lastNumber) {
    DescriptorOutput buffer(output);
    std::ostream out(&buffer);
    const std::optional<int> code = RunCommandLine(args, cataloguePath, out, err, lastNumber);
    out.flush();
    if (buffer.error() == 0 || buffer.error() == EPIPE) {
        return code;
    }
    err << "tessaline: cannot write the output: " << std::strerror(buffer.error()) << "\n";
    return 2;
}
