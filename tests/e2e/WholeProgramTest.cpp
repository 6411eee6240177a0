#include "VirtualDisplay.h"

#include "support/CupsServer.h"
#include "support/FakeSystemTree.h"
#include "support/PdfTools.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

// One print server for the whole program: the printing library reads its address once per thread.
CupsServer& printServer() {
    static CupsServer server;
    return server;
}

std::string profileValue(const std::string& text, const std::string& key) {
    const std::string marker = "\n" + key + "=";
    const auto at = text.find(marker);
    if (at == std::string::npos) {
        return "(missing)";
    }
    const auto begin = at + marker.size();
    return text.substr(begin, text.find_first_of("\r\n", begin) - begin);
}

class WholeProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = QString::fromLocal8Bit(std::getenv("TESSALINE_E2E_APP"));
        ASSERT_FALSE(app.isEmpty()) << "TESSALINE_E2E_APP names the program under test";
        printServer();
        display = std::make_unique<VirtualDisplay>();

        // One USB Zip drive with a disk in it, mounted at a real folder that holds a few folders.
        tree.disk("pci0000:00/usb1/1-1/1-1:1.0/host6/target6:0:0/6:0:0:0", "sdb", "8:16", "0", "196608");
        tree.subsystem("pci0000:00/usb1/1-1", "usb");
        tree.partition("sdb", "sdb4", 4, "8:20");
        media = tree.directory("media/ZIP-100");
        for (const char* folder : {"Letters", "Photos", "Projects"}) {
            fs::create_directories(fs::path(media) / folder);
        }
        tree.mount("26 1 254:1 / / rw - ext4 /dev/vda1 rw");
        tree.mount("40 26 8:20 / " + media + " rw,nosuid - vfat /dev/sdb4 rw");
        tree.write("run/udev/data/b8:20", "E:ID_FS_LABEL_ENC=ZIP-100\nE:ID_FS_UUID_ENC=0012-AB34\n");
        drive = tree.node("sdb");

        fs::create_directories(home / "config");
        fs::create_directories(home / "runtime");
        ::chmod((home / "runtime").c_str(), 0700);
        profile = home / "config" / "Tesslin1.ini";
    }

    void TearDown() override {
        for (auto& process : running) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
    }

    QProcess& start() {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", display->name());
        env.insert("HOME", QString::fromStdString(home.path().string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((home / "config").string()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString((home / "runtime").string()));
        env.insert("CUPS_SERVER", QString::fromStdString(printServer().socketPath()));
        env.insert("TESSALINE_FAKE_SYSROOT", QString::fromStdString(tree.root()));
        env.insert("LANG", "C.UTF-8");
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(app, {});
        EXPECT_TRUE(process->waitForStarted(10000));
        running.push_back(std::move(process));
        return *running.back();
    }

    std::string profileText() const { return fs::exists(profile) ? ReadBytes(profile) : std::string(); }

    QString app;
    std::unique_ptr<VirtualDisplay> display;
    FakeSystemTree tree;
    std::string media;
    std::string drive;
    TempDir home;
    fs::path profile;
    std::vector<std::unique_ptr<QProcess>> running;
};

TEST_F(WholeProgramTest, FirstStartToPrintedLabelAndQuit) {
    QProcess& first = start();

    // A first run: the configuration dialog comes up by itself; Enter saves it.
    const QStringList config = display->waitForWindows("^Configuration $", 30000);
    ASSERT_FALSE(config.isEmpty()) << "no configuration dialog";
    EXPECT_FALSE(display->hasWindow("^Tessaline 1.0$")) << "the main window showed before the dialog closed";
    ASSERT_TRUE(display->key(config.first(), "Return"));

    const QStringList main = display->waitForWindows("^Tessaline 1.0$");
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    std::string text = profileText();
    EXPECT_EQ(profileValue(text, "OWNER"), "Your NAME Goes Here !!!");
    EXPECT_EQ(profileValue(text, "COMPANY"), "Your COMPANY NAME Goes Here !!!");
    EXPECT_EQ(profileValue(text, "ZIPDRIVE"), drive);
    EXPECT_EQ(profileValue(text, "ID_INDEX"), "1");

    // A second copy is refused while the first runs, and writes nothing.
    QProcess& second = start();
    const QStringList refusal = display->waitForWindows("^Tesslin1$", 20000);
    ASSERT_FALSE(refusal.isEmpty()) << "the second copy showed no refusal";
    ASSERT_TRUE(display->key(refusal.first(), "Return"));
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(profileText(), text);

    // Print Label from the menu: the label prints without a question and the number advances.
    const std::size_t jobsBefore = printServer().spooledDocuments().size();
    ASSERT_TRUE(display->key(main.first(), "alt+p"));
    const auto document = printServer().waitForDocument(jobsBefore, 30000);
    ASSERT_TRUE(document.has_value()) << "nothing was printed";
    EXPECT_EQ(PdfInfo(*document).pages, 1);
    // Word by word: the layout text may close the narrow gap of "# 2".
    const std::string printed = PdfWords(*document);
    EXPECT_NE(printed.find("# 2"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Your NAME Goes Here !!!"), std::string::npos) << printed;
    EXPECT_NE(printed.find("ZIP-100"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("Cancel"), std::string::npos) << printed;
    text = profileText();
    EXPECT_EQ(profileValue(text, "ID_INDEX"), "2");

    // Examine Disk: the label window opens and waits; the disk is known by the number it was printed with, and
    // its Print button asks whether to print it again under that number: No prints the next number.
    ASSERT_FALSE(display->waitForWindows("^Tessaline 1.0$").isEmpty());
    ASSERT_TRUE(display->key(main.first(), "alt+e"));
    QStringList label;
    for (int tries = 0; tries < 150 && label.isEmpty(); ++tries) {
        QThread::msleep(100);
        for (const QString& id : display->waitForWindows("^Tessaline 1.0$")) {
            if (id != main.first()) {
                label << id;
            }
        }
    }
    ASSERT_FALSE(label.isEmpty()) << "no label window";
    const std::size_t jobsBeforeExamine = printServer().spooledDocuments().size();
    // The Print button's middle, 4507 x 4507 twips from the window's corner at 15 twips a pixel.
    ASSERT_TRUE(display->xdotool({"mousemove", "--window", label.first(), "300", "300", "click", "1"}));
    const QStringList question = display->waitForWindows("^Tesslin1$", 20000);
    ASSERT_FALSE(question.isEmpty()) << "no question whether to print the known disk again";
    ASSERT_TRUE(display->key(question.first(), "alt+n"));
    const auto examined = printServer().waitForDocument(jobsBeforeExamine, 30000);
    ASSERT_TRUE(examined.has_value()) << "Print on the label window printed nothing";
    EXPECT_NE(PdfWords(*examined).find("# 3"), std::string::npos) << PdfWords(*examined);
    text = profileText();
    EXPECT_EQ(profileValue(text, "ID_INDEX"), "3");
    EXPECT_TRUE(fs::exists(home / ".local/share/tessaline/catalogue.sqlite"));

    // Quit ends the program at once and writes nothing.
    ASSERT_FALSE(display->waitForWindows("^Tessaline 1.0$").isEmpty());
    ASSERT_TRUE(display->key(main.first(), "alt+q"));
    EXPECT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(profileText(), text);
}

} // namespace
