// The real program under a private Xvfb display, driven with xdotool as a person would drive it: its drives
// come from a fake system tree, its printer is a private CUPS queue.
#include "support/CupsServer.h"
#include "support/FakeSystemTree.h"
#include "support/PdfTools.h"
#include "support/TempDir.h"

#include "core/settings/IniProfileStore.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// One print server for the whole program: the printing library reads its address once per thread.
CupsServer& printServer() {
    static CupsServer server;
    return server;
}

class WholeProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(app.isEmpty()) << "TESSALINE_E2E_APP names the program under test";
        printServer();
        // -displayfd makes the server pick a free display and print its number once it is ready.
        xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        QByteArray number;
        for (const QDeadlineTimer deadline(20000); !number.contains('\n') && !deadline.hasExpired();) {
            ASSERT_NE(xvfb.state(), QProcess::NotRunning)
                << "Xvfb stopped: " << xvfb.readAllStandardError().data();
            xvfb.waitForReadyRead(200);
            number += xvfb.readAllStandardOutput();
        }
        ASSERT_TRUE(number.contains('\n')) << "Xvfb did not say which display it uses";
        display = ":" + QString::fromLatin1(number).trimmed();

        // One USB Zip drive with a disk in it, mounted at a real folder that holds a few folders.
        tree.disk("pci0000:00/usb1/1-1/1-1:1.0/host6/target6:0:0/6:0:0:0", "sdb", "8:16", "0", "196608");
        tree.subsystem("pci0000:00/usb1/1-1", "usb");
        tree.partition("sdb", "sdb4", 4, "8:20");
        const std::string media = tree.directory("media/ZIP-100");
        for (const char* folder : {"Letters", "Photos", "Projects"}) {
            fs::create_directories(fs::path(media) / folder);
        }
        tree.mount("26 1 254:1 / / rw - ext4 /dev/vda1 rw");
        tree.mount("40 26 8:20 / " + media + " rw,nosuid - vfat /dev/sdb4 rw");
        tree.write("run/udev/data/b8:20", "E:ID_FS_LABEL_ENC=ZIP-100\nE:ID_FS_UUID_ENC=0012-AB34\n");
        fs::create_directories(home / "config");
        fs::create_directories(home / "runtime");
        ::chmod((home / "runtime").c_str(), 0700);
    }

    void TearDown() override {
        for (QProcess* process : {&first, &second, &xvfb}) {
            process->kill();
            process->waitForFinished(3000);
        }
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        return env;
    }
    void start(QProcess& process) {
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("HOME", QString::fromStdString(home.path().string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((home / "config").string()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString((home / "runtime").string()));
        env.insert("CUPS_SERVER", QString::fromStdString(printServer().socketPath()));
        env.insert("TESSALINE_FAKE_SYSROOT", QString::fromStdString(tree.root()));
        env.insert("LANG", "C.UTF-8");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(app, {});
        EXPECT_TRUE(process.waitForStarted(10000));
    }

    // Runs xdotool on the display: whether it succeeded, with its standard output in `out`. One that hangs
    // is killed when its QProcess goes.
    bool xdotool(const QStringList& arguments, QString* out = nullptr) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start("xdotool", arguments);
        const bool done = process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
                          process.exitCode() == 0;
        if (out != nullptr) {
            *out = QString::fromLocal8Bit(process.readAllStandardOutput());
        }
        return done;
    }
    // The visible windows whose title matches the regular expression, other than `besides`, waiting up to
    // timeoutMs for one.
    QStringList windows(const QString& title, int timeoutMs = 20000, const QString& besides = {}) const {
        for (const QDeadlineTimer deadline(timeoutMs);; QThread::msleep(100)) {
            QString found;
            xdotool({"search", "--onlyvisible", "--name", title}, &found);
            QStringList ids = found.split('\n', Qt::SkipEmptyParts);
            ids.removeAll(besides);
            if (!ids.isEmpty() || deadline.hasExpired()) {
                return ids;
            }
        }
    }
    // Gives a window the keyboard focus (there is no window manager to do it) and types a key chord at it.
    bool key(const QString& window, const QString& chord) const {
        xdotool({"windowfocus", "--sync", window});
        return xdotool({"key", "--clearmodifiers", chord});
    }
    std::string profile() const { return ReadBytes(home / "config" / "Tesslin1.ini"); }
    // Everything of the catalogue is in its main file: no log beside it holds anything, so that a copy of
    // the file alone is a backup.
    bool catalogueWhole() const {
        const fs::path file = home / ".local/share/tessaline/catalogue.sqlite";
        const fs::path log = file.string() + "-wal";
        return fs::exists(file) && (!fs::exists(log) || fs::file_size(log) == 0);
    }
    // Those of `libraries` (parts of file names) that the process has loaded, each followed by a space.
    static std::string loaded(const QProcess& process, std::initializer_list<std::string> libraries) {
        const std::string maps = ReadBytes("/proc/" + std::to_string(process.processId()) + "/maps");
        std::string found;
        for (const std::string& library : libraries) {
            if (maps.find(library) != std::string::npos) {
                found += library + " ";
            }
        }
        return found;
    }
    std::string stored(const char* key) const {
        const auto read = IniProfileStore(home / "config" / "Tesslin1.ini").read("GLOBAL", key);
        return read ? read->value_or("(missing)") : "(cannot read: " + read.reason() + ")";
    }
    // The stored value once it is `expected`, or as it is after ten seconds: the program stores the next
    // disk number after the printer took the label, so a moment after the job arrives.
    std::string storedAfterPrinting(const char* key, const std::string& expected) const {
        for (const QDeadlineTimer deadline(10000);; QThread::msleep(50)) {
            std::string now = stored(key);
            if (now == expected || deadline.hasExpired()) {
                return now;
            }
        }
    }

    const QString app = QString::fromLocal8Bit(std::getenv("TESSALINE_E2E_APP"));
    QProcess xvfb, first, second;
    QString display;
    FakeSystemTree tree;
    TempDir home;
};

TEST_F(WholeProgramTest, FirstStartToPrintedLabelAndQuit) {
    start(first);

    // A first run: the configuration dialog comes up by itself; Enter saves it.
    const QStringList config = windows("^Configuration $", 30000);
    ASSERT_FALSE(config.isEmpty()) << "no configuration dialog";
    EXPECT_TRUE(windows("^Tessaline 1.0$", 0).isEmpty()) << "the main window showed before the dialog closed";
    ASSERT_TRUE(key(config.first(), "Return"));
    const QStringList main = windows("^Tessaline 1.0$");
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    EXPECT_EQ(stored("OWNER"), "Your NAME Goes Here !!!");
    EXPECT_EQ(stored("ZIPDRIVE"), tree.node("sdb"));
    EXPECT_EQ(stored("ID_INDEX"), "1");
    // Nothing so far needed printing or the catalogue: neither's libraries are loaded.
    EXPECT_EQ(loaded(first, {"libQt6PrintSupport", "libtessaline-print", "libsqlite3"}), "");

    // A second copy is refused while the first runs, and writes nothing.
    std::string text = profile();
    start(second);
    const QStringList refusal = windows("^Tesslin1$");
    ASSERT_FALSE(refusal.isEmpty()) << "the second copy showed no refusal";
    ASSERT_TRUE(key(refusal.first(), "Return"));
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(profile(), text);

    // Print Label from the menu: the label prints without a question and the number advances.
    const std::size_t jobs = printServer().spooledDocuments().size();
    ASSERT_TRUE(key(main.first(), "alt+p"));
    const auto document = printServer().waitForDocument(jobs, 30000);
    ASSERT_TRUE(document.has_value()) << "nothing was printed";
    const std::string printed = PdfWords(*document);
    for (const char* expected : {"# 2", "Your NAME Goes Here !!!", "ZIP-100"}) {
        EXPECT_NE(printed.find(expected), std::string::npos) << expected << "\n" << printed;
    }
    EXPECT_EQ(storedAfterPrinting("ID_INDEX", "2"), "2");

    // Examine Disk: the label window opens and waits; the disk is known by the number it was printed with,
    // and its Print button asks whether to print it again under that number: No prints the next number.
    ASSERT_FALSE(windows("^Tessaline 1.0$").isEmpty());
    ASSERT_TRUE(key(main.first(), "alt+e"));
    const QStringList label = windows("^Tessaline 1.0$", 15000, main.first());
    ASSERT_FALSE(label.isEmpty()) << "no label window";
    // The Print button's middle, 4507 x 4507 twips from the window's corner at 15 twips a pixel.
    // A click that comes before the window takes input is lost; one after the question is up is refused
    // by it (the question is modal), so clicking again until it comes prints nothing twice.
    QStringList question;
    for (int click = 0; click < 5 && question.isEmpty(); ++click) {
        ASSERT_TRUE(xdotool({"mousemove", "--window", label.first(), "300", "300", "click", "1"}));
        question = windows("^Tesslin1$", 4000);
    }
    ASSERT_FALSE(question.isEmpty()) << "no question whether to print the known disk again";
    ASSERT_TRUE(key(question.first(), "alt+n"));
    const auto examined = printServer().waitForDocument(jobs + 1, 30000);
    ASSERT_TRUE(examined.has_value()) << "Print on the label window printed nothing";
    EXPECT_NE(PdfWords(*examined).find("# 3"), std::string::npos) << PdfWords(*examined);
    EXPECT_EQ(storedAfterPrinting("ID_INDEX", "3"), "3");
    EXPECT_TRUE(fs::exists(home / ".local/share/tessaline/catalogue.sqlite"));

    // Quit ends the program at once and writes nothing.
    text = profile();
    ASSERT_FALSE(windows("^Tessaline 1.0$").isEmpty());
    ASSERT_TRUE(key(main.first(), "alt+q"));
    EXPECT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(profile(), text);
    EXPECT_TRUE(catalogueWhole());
}

TEST_F(WholeProgramTest, TheEndOfTheSessionClosesTheCatalogueAsQuitDoes) {
    start(first);
    const QStringList config = windows("^Configuration $", 30000);
    ASSERT_FALSE(config.isEmpty()) << "no configuration dialog";
    ASSERT_TRUE(key(config.first(), "Return"));
    const QStringList main = windows("^Tessaline 1.0$");
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    const std::size_t jobs = printServer().spooledDocuments().size();
    ASSERT_TRUE(key(main.first(), "alt+p"));
    ASSERT_TRUE(printServer().waitForDocument(jobs, 30000).has_value()) << "nothing was printed";
    ASSERT_FALSE(windows("^Tessaline 1.0$").isEmpty());

    first.terminate(); // SIGTERM, as at logout
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(catalogueWhole());
}

} // namespace
