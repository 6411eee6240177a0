#include "core/app/CommandLine.h"
#include "core/app/DescriptorOutput.h"

#include "support/PostgresServer.h"
#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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
        {{"--find", "report", "-old", "-caf"}, 0, "#9\tMY\\tDISK\tnotes\\n2019/report\\tdraft\\\\1.txt\n"},
        {{"--find", "ext:txt", "disk:9", "2019"}, 0, "#9\tMY\\tDISK\tnotes\\n2019/report\\tdraft\\\\1.txt\n"},
        {{"--find", "--", "ext:txt"}, 1, ""},
        {{"--find", "size:>big"},
         2,
         "",
         "tessaline: \"size:>big\" is not a size filter: write > or < and a size, as in size:>100MB or "
         "size:<1KB "
         "(units B, KB, MB, GB or TB, 1 KB being 1024 bytes).\n"},
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

// The quick look that sends a start to the desktop sees exactly what the commands answer.
TEST(CommandLine, TellsTheCommandsItAnswersFromTheDesktopsArguments) {
    TempDir dir;
    const std::string file = (dir / "catalogue.sqlite").string();
    const std::vector<std::vector<std::string>> starts = {
        {},
        {"-platform", "xcb"},
        {"--style", "Fusion", "--find", "tax"},
        {"--frobnicate"},
        {"--"},
        {"--help"},
        {"-h"},
        {"--version"},
        {"--disks"},
        {"--disks", "extra"},
        {"--find"},
        {"--find", "tax"},
        {"--backup"},
        {"-0"},
        {"--null", "--version"},
        {"--", "--find"},
        {"--init"},
        {"--catalogue", "host=server"},
        {"--catalogue=host=server", "--disks"},
    };
    for (const auto& args : starts) {
        SCOPED_TRACE(testing::PrintToString(args));
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(IsTerminalCommand(args), RunCommandLine(args, file, out, err).has_value());
    }
}

// The files under a folder, each with a hash of its bytes. SQLite leaves an empty log and its index beside
// a catalogue it read (as the running program does); the catalogue itself is what must not change.
std::map<std::string, std::size_t> Files(const fs::path& folder) {
    std::map<std::string, std::size_t> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (!name.ends_with("-wal") && !name.ends_with("-shm")) {
            files[name] = entry.is_directory() ? 0 : std::hash<std::string>()(ReadBytes(entry.path()));
        }
    }
    return files;
}

// Reading never creates, changes or moves the catalogue (the program moves a damaged one aside when it next
// records a disk); a backup that cannot be made leaves an older one as it was.
TEST(CommandLine, LeavesTheCatalogueAndAnOlderBackupAsTheyWere) {
    const std::string damaged = "tessaline: cannot read the catalogue: ";
    const std::string cannot = "tessaline: cannot back up the catalogue: ";
    const struct {
        std::string catalogue; // "sample", "empty", "damaged", or none
        std::vector<std::string> args;
        const char* backupTo; // a backup to this name under the test's folder instead of `args`
        int code;
        std::string err; // how the error starts
    } rows[] = {
        {"", {"--find", "tax"}, nullptr, 1, ""},
        {"", {"--disks"}, nullptr, 0, ""},
        {"empty", {"--disks"}, nullptr, 0, ""},
        {"sample", {"--disks"}, nullptr, 0, ""},
        {"sample", {"--find", "tax"}, nullptr, 0, ""},
        {"damaged", {"--find", "tax"}, nullptr, 2, damaged},
        {"",
         {},
         "backups/catalogue.sqlite",
         2,
         "tessaline: nothing to back up: there is no disk catalogue at "},
        {"damaged", {}, "backups/catalogue.sqlite", 2, damaged},
        {"sample", {}, "missing/catalogue.sqlite", 2, cannot},
        {"sample", {}, "backups", 2, cannot},                 // a folder
        {"sample", {}, "catalogue.sqlite", 2, "tessaline: "}, // the live file
        {"sample", {}, "catalogue.sqlite-wal", 2, "tessaline: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.catalogue + " " + testing::PrintToString(row.args) +
                     (row.backupTo ? row.backupTo : ""));
        TempDir dir;
        const std::string file = (dir / "catalogue.sqlite").string();
        if (row.catalogue == "sample") {
            WriteSampleCatalogue(file);
        } else if (!row.catalogue.empty()) {
            WriteBytes(file, row.catalogue == "damaged" ? std::string(8192, 'x') : "");
        }
        fs::create_directory(dir / "backups");
        WriteBytes(dir / "backups" / "catalogue.sqlite", "an older backup");
        const std::map<std::string, std::size_t> before = Files(dir.path());

        const Answer answer = Answered(
            row.backupTo ? std::vector<std::string>{"--backup", (dir / row.backupTo).string()} : row.args,
            file);
        EXPECT_EQ(answer.code, row.code);
        EXPECT_EQ(answer.out.empty(), row.code != 0 || row.catalogue != "sample");
        EXPECT_TRUE(answer.err.starts_with(row.err)) << answer.err;
        EXPECT_EQ(answer.err.empty(), row.err.empty());
        if (row.err == damaged) {
            EXPECT_NE(answer.err.find(file + " is damaged. Put a backup in its place"), std::string::npos);
        }
        EXPECT_EQ(Files(dir.path()), before);
    }
}

// The answer on a file descriptor: a full disk is an error said once, and a reader that went away ends it
// quietly (where SIGPIPE, as a shell may leave it, does not end the program first).
TEST(CommandLine, OutputThatCannotBeWrittenIsAnErrorUnlessTheReaderLeft) {
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    std::array<int, 2> pipe{-1, -1};
    ASSERT_TRUE(full >= 0 && ::pipe2(pipe.data(), O_CLOEXEC) == 0);
    ::close(pipe[0]);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    ::sigaction(SIGPIPE, &ignore, &before);

    const std::pair<int, std::string> rows[] = {
        {full, "tessaline: cannot write the output: No space left on device\n"},
        {pipe[1], ""},
    };
    for (const auto& [fd, said] : rows) {
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine({"--help"}, "/nowhere/catalogue.sqlite", fd, err), said.empty() ? 0 : 2);
        EXPECT_EQ(err.str(), said);
        ::close(fd);
    }
    ::sigaction(SIGPIPE, &before, nullptr);
}

// Output several times the buffer's size, by whole lines and by single letters, arrives byte for byte.
TEST(CommandLine, OutputLongerThanItsBufferArrivesWhole) {
    const TempDir dir;
    const std::string path = (dir / "out.txt").string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    std::string expected;
    {
        DescriptorOutput buffer(fd);
        std::ostream out(&buffer);
        for (int n = 0; expected.size() < 300000; ++n) {
            const std::string line = "disk " + std::to_string(n) + ": " + std::string(n % 97, 'x') + "\n";
            if (n % 2 == 0) {
                out << line;
            } else {
                for (const char c : line) {
                    out.put(c);
                }
            }
            expected += line;
        }
    }
    ::close(fd);
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == expected);
}

// A shared catalogue is made by --init, found, listed and explained for a backup through --catalogue or the
// desk's setting; what is wrong is said in words, with the server named without a password.
TEST(CommandLine, AnswersFromASharedCatalogue) {
    PostgresServer::shared().createDatabase("commands");
    const std::string server = PostgresServer::shared().connection("commands");
    TempDir dir;
    const std::string file = (dir / "catalogue.sqlite").string();
    const auto run = [&](const std::vector<std::string>& args, const std::string& configured) {
        std::ostringstream out;
        std::ostringstream err;
        const std::optional<int> code = RunCommandLine(args, configured, out, err, 41);
        return Answer{code.value_or(-1), out.str(), err.str()};
    };
    const struct {
        std::vector<std::string> args;
        std::string configured;
        int code;
        std::string said; // in the output, or else in the errors
    } steps[] = {
        {{"--catalogue", server, "--disks"}, file, 2, "no Tessaline catalogue yet"},
        {{"--catalogue", server, "--init"}, file, 0, "disk numbers go on after 41"},
        {{"--init", "--catalogue", server}, file, 0, "up to date"},
        {{"--catalogue=" + server, "--find", "plan"}, file, 1, ""},
        {{"--init"}, server, 2, "--init needs --catalogue"},
        {{"--catalogue", file, "--init"}, file, 2, "is no libpq URI"},
        {{"--catalogue"}, file, 2, "needs the server's URI"},
        {{"--catalogue", server}, file, 2, "goes with --find, --disks, --backup or --init"},
        {{"--catalogue", "host=/nowhere password=secret dbname=x", "--find", "a"},
         file,
         2,
         "cannot be reached"},
    };
    for (const auto& step : steps) {
        const Answer answer = run(step.args, step.configured);
        EXPECT_EQ(answer.code, step.code) << testing::PrintToString(step.args) << answer.err;
        EXPECT_NE((answer.out + answer.err).find(step.said), std::string::npos)
            << testing::PrintToString(step.args) << ": " << answer.out << answer.err;
        EXPECT_EQ(answer.err.find("secret"), std::string::npos) << answer.err;
    }

    AddCatalogueDisk(server, ZipDisk(42, "TEAM", 0x42), LocalTime(2026, 3, 14, 12, 0, 0),
                     {FileEntry("", "team plan.odt", 1, LocalTime(2026, 3, 14, 12, 0, 0))});
    const auto store = CatalogueStore::open(server, {}).value();
    ASSERT_TRUE(store->reserveNumber(ZipDisk(0, "NEXT", 0x43), 1773489600, "desk-b"));
    EXPECT_EQ(run({"--find", "plan"}, server).out, "#42\tTEAM\tteam plan.odt\n");
    const Answer disks = run({"--disks"}, server);
    EXPECT_EQ(disks.code, 0);
    EXPECT_EQ(disks.out.substr(0, 9), "#42\tTEAM\t");
    EXPECT_EQ(disks.err, "tessaline: number #43 was taken for a label at desk-b on 2026-03-14 whose printing "
                         "was never confirmed; no disk has it, and it is not given again\n");
    const Answer backup = run({"--backup", (dir / "copy").string()}, server);
    EXPECT_EQ(backup.code, 2);
    EXPECT_NE(backup.err.find("pg_dump"), std::string::npos) << backup.err;
    EXPECT_FALSE(fs::exists(dir / "copy"));
}

} // namespace
