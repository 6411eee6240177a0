#include "core/app/CommandLine.h"

#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <sstream>
#include <string_view>

namespace {

namespace fs = std::filesystem;

// An answer with NUL bytes, written with '|' for them.
std::string Nul(std::string text) {
    std::replace(text.begin(), text.end(), '|', '\0');
    return text;
}

struct Answer {
    int code = -1;
    std::string out;
    std::string err;
};

Answer Answered(const std::vector<std::string>& args, const std::string& catalogue) {
    std::ostringstream out;
    std::ostringstream err;
    const std::optional<int> code = RunCommandLine(args, catalogue, out, err);
    return {code.value_or(-1), out.str(), err.str()};
}

// Names a disk may bring: a line per entry in the terminal however they are spelt, and the bytes themselves
// with -0 wherever it is given.
TEST(CommandLine, AnswersOneLinePerEntryOrRawNulEndedFields) {
    TempDir dir;
    const std::string file = (dir / "catalogue.sqlite").string();
    const Clock::TimePoint labelled = LocalTime(2026, 3, 14, 12, 0, 0);
    AddCatalogueDisk(file, ZipDisk(12, "ARCHIVE", 0x0C1D2E3F), labelled,
                     {FileEntry("", "old report", 1, labelled)}, true, 1);
    AddCatalogueDisk(file, ZipDisk(9, "MY\tDISK", 0x1A2B3C4D), labelled,
                     {FolderEntry("", "notes\n2019"),
                      FileEntry("notes\n2019", "report\tdraft\\1.txt", 1, labelled),
                      FileEntry("", "caf\xe9 report.txt", 1, labelled)},
                     false, 3);
    AddCatalogueDisk(file, ZipDisk(7, "PHOTOS", 0x5CA45CA4), labelled,
                     {FileEntry("", "-0 notes", 1, labelled)});

    const std::string found = "#9\tMY\\tDISK\tcaf\\xe9 report.txt\n"
                              "#9\tMY\\tDISK\tnotes\\n2019/report\\tdraft\\\\1.txt\n"
                              "#12\tARCHIVE\told report\n";
    const std::string foundRaw = Nul("#9|MY\tDISK|caf\xe9 report.txt|"
                                     "#9|MY\tDISK|notes\n2019/report\tdraft\\1.txt|"
                                     "#12|ARCHIVE|old report|");
    const std::string space = "100270080\t100139008\t131072\t2026-03-14\t2026-03-14\t";
    const std::string spaceRaw = "100270080|100139008|131072|2026-03-14|2026-03-14|";
    const struct {
        std::vector<std::string> args;
        int code;
        std::string out;
        std::string err = "";
    } rows[] = {
        {{"--find", "report"}, 0, found},
        {{"--find", "-0", "report"}, 0, foundRaw},
        {{"--null", "--find", "report"}, 0, foundRaw},
        {{"--find", "report", "-0"}, 0, foundRaw},
        {{"--disks"},
         0,
         "#7\tPHOTOS\t5CA4-5CA4\t" + space + "1\n" +                                          //
             "#9\tMY\\tDISK\t1A2B-3C4D\t" + space + "3\tincomplete\t3 folders unreadable\n" + //
             "#12\tARCHIVE\t0C1D-2E3F\t" + space + "1\t1 folder unreadable\n"},
        {{"-0", "--disks"},
         0,
         Nul("#7|PHOTOS|5CA4-5CA4|" + spaceRaw + "1|complete|0|" +     //
             "#9|MY\tDISK|1A2B-3C4D|" + spaceRaw + "3|incomplete|3|" + //
             "#12|ARCHIVE|0C1D-2E3F|" + spaceRaw + "1|complete|1|")},
        {{"--find", "--", "-0"}, 0, "#7\tPHOTOS\t-0 notes\n"}, // after --, -0 is text
        {{"-0"}, 2, "", "tessaline: -0 goes with --find or --disks\nTry 'tessaline --help'.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args));
        const Answer answer = Answered(row.args, file);
        EXPECT_EQ(answer.code, row.code) << answer.err;
        EXPECT_EQ(answer.out, row.out);
        EXPECT_EQ(answer.err, row.err);
    }
}

// The files under a folder, with their bytes; a folder by its name alone. SQLite leaves an empty log and
// its index beside a catalogue it read (as the running program does); the catalogue is what must not change.
std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (name != "catalogue.sqlite-wal" && name != "catalogue.sqlite-shm") {
            files[name] = entry.is_directory() ? "" : ReadBytes(entry.path());
        }
    }
    return files;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : Files(folder)) {
        names.push_back(name + " (" + std::to_string(bytes.size()) + " bytes)");
    }
    return names;
}

// A catalogue file of the given kind: "sample" (four disks), "empty" (no bytes), "damaged"; none for "".
void MakeCatalogue(std::string_view kind, const std::string& file) {
    if (kind == "sample") {
        WriteSampleCatalogue(file);
    } else if (kind == "empty") {
        WriteBytes(file, "");
    } else if (kind == "damaged") {
        WriteBytes(file, std::string(8192, 'x'));
    }
}

// The terminal only reads: a missing catalogue is not created, a catalogue is not changed, and a damaged one
// is neither moved aside nor replaced (the program does that when it next records a disk, and says so).
TEST(CommandLine, ReadsTheCatalogueWithoutChangingIt) {
    const struct {
        const char* catalogue;
        std::vector<std::string> args;
        int code;
        std::string err;
    } rows[] = {
        {"", {"--find", "tax"}, 1, ""},
        {"", {"--disks"}, 0, ""},
        {"empty", {"--disks"}, 0, ""},
        {"sample", {"--disks"}, 0, ""},
        {"damaged", {"--disks"}, 2, "is damaged. Put a backup in its place"},
        {"damaged", {"--find", "tax"}, 2, "is damaged. Put a backup in its place"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args) + " on " + row.catalogue);
        TempDir dir;
        const std::string file = (dir / "catalogue.sqlite").string();
        MakeCatalogue(row.catalogue, file);
        const std::map<std::string, std::string> before = Files(dir.path());

        const Answer answer = Answered(row.args, file);
        EXPECT_EQ(answer.code, row.code);
        EXPECT_EQ(answer.out.empty(), row.catalogue != std::string_view("sample"));
        if (row.err.empty()) {
            EXPECT_EQ(answer.err, "");
        } else {
            // The reason names the file, and a damaged one's says what to do.
            EXPECT_TRUE(answer.err.starts_with("tessaline: cannot read the catalogue: " + file + " "))
                << answer.err;
            EXPECT_NE(answer.err.find(row.err), std::string::npos) << answer.err;
        }
        EXPECT_TRUE(Files(dir.path()) == before) << "now: " << testing::PrintToString(Names(dir.path()));
    }
}

// A backup is a copy that lists the same, or nothing: a file already there is left as it was.
TEST(CommandLine, BacksUpTheCatalogueWholeOrNotAtAll) {
    const struct {
        const char* catalogue;
        const char* to; // under the test's folder
        int code;
        std::string said; // the start of the answer, or of the error
    } rows[] = {
        {"sample", "backups/catalogue.sqlite", 0, "Backed up the disk catalogue to "},
        {"sample", "missing/catalogue.sqlite", 2, "tessaline: cannot back up the catalogue: "},
        {"sample", "backups", 2, "tessaline: cannot back up the catalogue: "}, // a folder
        {"sample", "catalogue.sqlite", 2, "tessaline: "},                      // over itself
        {"sample", "catalogue.sqlite-wal", 2, "tessaline: "},
        {"", "backups/catalogue.sqlite", 2, "tessaline: nothing to back up: there is no disk catalogue at "},
        {"damaged", "backups/catalogue.sqlite", 2, "tessaline: cannot read the catalogue: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.catalogue) + " to " + row.to);
        TempDir dir;
        const std::string file = (dir / "catalogue.sqlite").string();
        MakeCatalogue(row.catalogue, file);
        fs::create_directory(dir / "backups");
        WriteBytes(dir / "backups" / "catalogue.sqlite", "an older backup");
        const std::map<std::string, std::string> before = Files(dir.path());
        const std::string to = (dir / row.to).string();

        const Answer answer = Answered({"--backup", to}, file);
        EXPECT_EQ(answer.code, row.code) << answer.err;
        EXPECT_TRUE((row.code == 0 ? answer.out : answer.err).starts_with(row.said))
            << answer.out << answer.err;
        if (row.code != 0) {
            EXPECT_TRUE(Files(dir.path()) == before) << testing::PrintToString(Names(dir.path()));
            continue;
        }
        EXPECT_EQ(answer.out, "Backed up the disk catalogue to " + to + "\n");
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"--disks"}, {"--find", "tax"}}) {
            const Answer original = Answered(args, file);
            EXPECT_EQ(Answered(args, to).out, original.out);
            EXPECT_NE(original.out, "");
        }
    }
}

// The answer on a file descriptor: a file gets all of it, a full disk is an error said once, and a reader
// that went away ends it quietly (when SIGPIPE, as a shell may leave it, does not end the program first).
TEST(CommandLine, OutputThatCannotBeWrittenIsAnErrorUnlessTheReaderLeft) {
    TempDir dir;
    std::ostringstream help;
    std::ostringstream none;
    ASSERT_EQ(RunCommandLine({"--help"}, (dir / "catalogue.sqlite").string(), help, none), 0);

    const int file = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    std::array<int, 2> pipe{-1, -1};
    ASSERT_TRUE(file >= 0 && full >= 0 && ::pipe2(pipe.data(), O_CLOEXEC) == 0);
    ::close(pipe[0]);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    ::sigaction(SIGPIPE, &ignore, &before);

    const struct {
        int fd;
        int code;
        std::string err;
    } rows[] = {
        {file, 0, ""},
        {full, 2, "tessaline: cannot write the output: No space left on device\n"},
        {pipe[1], 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fd);
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine({"--help"}, (dir / "catalogue.sqlite").string(), row.fd, err), row.code);
        EXPECT_EQ(err.str(), row.err);
        ::close(row.fd);
    }
    ::sigaction(SIGPIPE, &before, nullptr);
    EXPECT_EQ(ReadBytes(dir / "out"), help.str());
}

} // namespace
