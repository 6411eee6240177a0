#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

#include "core/catalogue/SqliteDatabase.h"
#include "ui/app/InstanceGuard.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Ran {
    int code = -1;
    std::string out;
    std::string err;
};

// The program's terminal commands, run as a user would from a terminal with no display at all.
class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string file = (data / "tessaline" / "catalogue.sqlite").string();
        const Clock::TimePoint labelled = LocalTime(2026, 3, 14, 12, 0, 0);
        AddCatalogueDisk(file, ZipDisk(42, "TAXES", 0x0012AB34), labelled,
                         {FileEntry("2019", "scan-2019.pdf", 10, labelled), FolderEntry("", "2019")});
        AddCatalogueDisk(file, ZipDisk(7, "PHOTOS", 0x0012AB34), labelled,
                         {FileEntry("", "scan-2019.jpg", 10, labelled)}, false);
    }

    // `output` takes the standard output instead of the test when given; `dataHome` is where the program
    // looks for its catalogue (`data` unless given); `program` is the built tessaline unless given.
    Ran run(const QStringList& args, const QString& output = {}, const fs::path& dataHome = {},
            const fs::path& program = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("WAYLAND_DISPLAY");
        env.insert("DISPLAY", "");
        env.insert("XDG_DATA_HOME", QString::fromStdString((dataHome.empty() ? data : dataHome).string()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
        QProcess process;
        process.setProcessEnvironment(env);
        if (!output.isEmpty()) {
            process.setStandardOutputFile(output);
        }
        process.start(program.empty() ? QString::fromLocal8Bit(std::getenv("TESSALINE_APP"))
                                      : QString::fromStdString(program.string()),
                      args);
        if (!process.waitForFinished(30000)) {
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
    }

    TempDir dir;
    fs::path data = dir / "data";
    fs::path runtime = dir / "runtime";
};

TEST_F(CommandLineTest, AnswersFromTheCatalogueWhileTheProgramRunsAndTellsErrorsApart) {
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
    const InstanceGuard running; // as a copy of the program open on the desktop holds it
    ASSERT_FALSE(running.PrevInstance());

    const struct {
        QStringList args;
        int code;
        std::string out;
        std::string err = "";
    } rows[] = {
        {{"--find", "SCAN", "2019"}, 0, "#7\tPHOTOS\tscan-2019.jpg\n#42\tTAXES\t2019/scan-2019.pdf\n"},
        {{"--find"}, 2, "", "tessaline: --find needs the text to look for\nTry 'tessaline --help'.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const Ran ran = run(row.args);
        EXPECT_EQ(ran.code, row.code) << ran.err;
        EXPECT_EQ(ran.out, row.out);
        EXPECT_EQ(ran.err, row.err);
    }

    fs::remove_all(data / "tessaline");
    fs::create_directories(data / "tessaline" / "catalogue.sqlite"); // a folder where the file should be
    const Ran unreadable = run({"--find", "scan"});
    EXPECT_EQ(unreadable.code, 2);
    EXPECT_TRUE(unreadable.err.starts_with(
        "tessaline: cannot read the catalogue: " + (data / "tessaline" / "catalogue.sqlite").string() + " "))
        << unreadable.err;
}

// A backup made while the program writes to the catalogue holds what was written before, and lists as the
// catalogue does when the program is pointed at it.
TEST_F(CommandLineTest, BacksUpTheCatalogueWhileItIsWritten) {
    const Ran listed = run({"--disks"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    Result<std::unique_ptr<SqliteDatabase>> walk = SqliteDatabase::open(
        (data / "tessaline" / "catalogue.sqlite").string(), SqliteDatabase::Access::ReadWrite);
    ASSERT_TRUE(walk && walk.value()->execute("BEGIN IMMEDIATE; UPDATE disks SET volume = 'BEING WRITTEN'"));

    const fs::path copy = dir / "copy" / "tessaline" / "catalogue.sqlite";
    fs::create_directories(copy.parent_path());
    WriteBytes(copy, "an older backup");
    const Ran backedUp = run({"--backup", QString::fromStdString(copy.string())});
    EXPECT_EQ(backedUp.code, 0) << backedUp.err;
    EXPECT_EQ(backedUp.out, "Backed up the disk catalogue to " + copy.string() + "\n");

    EXPECT_TRUE(walk.value()->execute("ROLLBACK"));
    const Ran fromCopy = run({"--disks"}, {}, dir / "copy");
    EXPECT_EQ(fromCopy.code, 0) << fromCopy.err;
    EXPECT_EQ(fromCopy.out, listed.out);
}

// The answer goes out as the library's test checks it (a reader that went away ends it quietly, a full disk
// is an error): here, that the program answers through it.
TEST_F(CommandLineTest, OutputThatCannotBeWrittenIsAnError) {
    const Ran full = run({"--find", "scan"}, "/dev/full");
    EXPECT_EQ(full.code, 2);
    EXPECT_EQ(full.err, "tessaline: cannot write the output: No space left on device\n");
}

// Every other start is the desktop program's, with the arguments as they came: its toolkit is the one that
// answers here, about the display it was told to use.
TEST_F(CommandLineTest, AnyOtherStartIsTheDesktopProgramsWithItsArguments) {
    const Ran desktop = run({"-platform", "tessaline-no-such-display"});
    EXPECT_NE(desktop.code, 0);
    EXPECT_NE(desktop.err.find("\"tessaline-no-such-display\""), std::string::npos) << desktop.err;
}

// The terminal commands need nothing beside the program; a desktop start without the desktop library says
// where it was looked for.
TEST_F(CommandLineTest, WithoutTheDesktopProgramTheTerminalCommandsStillAnswer) {
    const fs::path alone = dir / "elsewhere" / "bin" / "tessaline";
    fs::create_directories(alone.parent_path());
    fs::copy_file(std::getenv("TESSALINE_APP"), alone);

    const Ran version = run({"--version"}, {}, {}, alone);
    EXPECT_EQ(version.code, 0) << version.err;
    EXPECT_EQ(version.out, "tessaline 1.0\n");

    const Ran desktop = run({}, {}, {}, alone);
    EXPECT_EQ(desktop.code, 127);
    EXPECT_TRUE(desktop.err.starts_with(
        "tessaline: cannot start the desktop program: " + (dir / "elsewhere").string() + "/"))
        << desktop.err;
    EXPECT_TRUE(
        desktop.err.ends_with("/libtessaline-desktop.so: cannot open shared object file: No such file "
                              "or directory\n"))
        << desktop.err;
}

} // namespace
