#include "support/ActingAsNobody.h"
#include "support/LabelFixture.h"
#include "support/PdfTools.h"
#include "support/TabWalk.h"

#include "ui/forms/DriveListBox.h"
#include "ui/forms/FolderListBox.h"
#include "ui/label/ShowLabelWindow.h"
#include "ui/label/frmLabel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>
#include <tuple>
#include <vector>

namespace {

class LabelWindowTest : public LabelFixture {
protected:
    // Opens the window as Examine Disk does and hands it to `act` while it is shown.
    void examine(const std::function<void(frmLabel&)>& act) {
        onShown = [&](QDialog& dialog) { act(static_cast<frmLabel&>(dialog)); };
        ShowLabelWindow(services, nullptr);
    }
    std::string printed() const { return PdfWords(printer->fileName); }
};

// The golden picture of the window pins its texts and their look; what it cannot show is checked here.
TEST_F(LabelWindowTest, TabOrderAndTextsThatLookLikeMarkup) {
    std::string profile = ReadBytes(profileFile);
    WriteBytes(profileFile, profile.replace(profile.find("Anna Example"), 12, "<b>Anna</b>"));
    LoadSettings(services);
    examine([&](frmLabel& w) {
        const std::vector<QWidget*> order = {w.drvList,    w.txtID,   w.cmdPrint,
                                             w.cmdRefresh, w.dirList, w.drvList};
        EXPECT_EQ(TabWalk(w, w.drvList, 6), order);
        EXPECT_EQ(w.lblNameTag->text().toStdString().substr(0, 12), "<b>Anna</b>\n");
        for (const QLabel* label : w.findChildren<QLabel*>()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
        }
    });
    EXPECT_EQ(modal->runs, 1);
}

// A value with a blank inside keeps it on the label: a CD drive, a disk named with two words.
TEST_F(LabelWindowTest, ValuesKeepTheBlanksInsideThem) {
    drives->addDrive(ZipRoot, DriveCdRom, DiskSpace{512, 4, 64, 48960},
                     VolumeInformation{"MY DISK", 0x1A2B3C4D});
    drives->setMountPoint(ZipRoot, diskFolder.string());
    examine([](frmLabel& w) {
        const std::string values = w.lblRJValues->text().toStdString();
        EXPECT_EQ(values.substr(0, values.find("\n1A2B")), "CD ROM\nMY DISK") << values;
    });
}

TEST_F(LabelWindowTest, ADriveItCannotReadGivesTheMessageAndNoWindow) {
    // Even a label that would print at once: the disk is read before anything prints.
    for (const std::string zipDrive : {EmptyRoot, "/dev/sdq", ""}) {
        messages->shown.clear();
        writeProfile("41", zipDrive);
        LoadSettings(services);
        ShowLabelWindow(services, nullptr, LabelAction::Print);
        ASSERT_EQ(messages->shown.size(), 1u) << zipDrive;
        EXPECT_EQ(messages->shown[0].prompt, "Unable to get Zip disk information.  \r\nEither the Zip "
                                             "drive is not correctly Configured, or No Zip disk loaded "
                                             "in drive !! ");
        EXPECT_EQ(messages->shown[0].style, 0);
        EXPECT_FALSE(messages->shown[0].title.has_value());
    }
    EXPECT_EQ(modal->runs, 0);
    EXPECT_EQ(printer->asked, 0);
    EXPECT_EQ(storedIndex(), "41");
}

// Print replaces whatever was typed as the number with the one the window opened with, and advances the
// number stored at that moment; one it cannot advance, or a profile it cannot read, stops it before anything
// is written or printed.
TEST_F(LabelWindowTest, PrintAdvancesTheNumberStoredAtThatMomentOrRefusesIt) {
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {
        {"41.5", "42", nullptr, false}, // 42.5 rounds to even
        {"forty", "forty", "\"forty\", is not a number", false},
        {"32767", "32767", "\"32767\", has no next number", false},
        {"41", "41", std::strerror(EACCES), true},
    };
    std::filesystem::permissions(dir.path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    for (const auto& [stored, after, says, unreadable] : cases) {
        SCOPED_TRACE(stored);
        messages->shown.clear();
        std::filesystem::remove(printer->fileName);
        std::string before;
        examine([&](frmLabel& w) {
            writeProfile(stored); // changed while the window was open
            before = ReadBytes(profileFile);
            w.txtID->setText("seven");
            if (unreadable) {
                std::filesystem::permissions(profileFile, std::filesystem::perms::none);
                const ActingAsNobody nobody;
                w.cmdPrint->click();
            } else {
                w.cmdPrint->click();
            }
            EXPECT_FALSE(w.isLoaded());
            EXPECT_EQ(w.txtID->text().toStdString(), says ? "seven" : "# 42");
            EXPECT_EQ(w.cmdPrint->isVisibleTo(&w), says != nullptr);
            EXPECT_EQ(w.lblVTag->text().toStdString(), "#\n4\n2\n");
        });
        EXPECT_EQ(storedIndex(), after);
        if (says) {
            ASSERT_EQ(messages->shown.size(), 1u);
            EXPECT_NE(messages->shown[0].prompt.find(says), std::string::npos) << messages->shown[0].prompt;
            EXPECT_EQ(messages->shown[0].style, 0);
            EXPECT_EQ(ReadBytes(profileFile), before);
            EXPECT_FALSE(std::filesystem::exists(printer->fileName));
        } else {
            EXPECT_TRUE(messages->shown.empty());
            EXPECT_NE(printed().find("# 42"), std::string::npos) << printed();
            EXPECT_EQ(printed().find("seven"), std::string::npos) << printed();
        }
    }
}

TEST_F(LabelWindowTest, ANumberThatCannotBeSavedAfterPrintingIsReported) {
    // The profile on disk, on a disk that is full by the time the number is written.
    services.profile = std::make_shared<IniProfileStore>(
        profileFile, [](WriteStep step) { return step == WriteStep::TemporaryWritten ? ENOSPC : 0; });
    ShowLabelWindow(services, nullptr, LabelAction::Print);
    EXPECT_EQ(PdfPages(printer->fileName), 1);
    ASSERT_EQ(messages->shown.size(), 1u);
    const std::string& said = messages->shown[0].prompt;
    EXPECT_EQ(said.rfind("The label was printed, but the new disk number 42 could not be saved", 0), 0u)
        << said;
    EXPECT_NE(said.find("No space left on device"), std::string::npos) << said;
    EXPECT_EQ(storedIndex(), "41");
}

TEST_F(LabelWindowTest, ADriveWithoutADiskLeavesBothListsWhereTheyWere) {
    const TempDir other;
    examine([&](frmLabel& w) {
        w.drvList->setDrive(EmptyRoot);
        EXPECT_EQ(w.drvList->drive(), ZipRoot);
        EXPECT_EQ(w.dirList->path(), diskFolder.string());

        // Once a disk is in it, the same choice lists its folders.
        drives->addDrive(EmptyRoot, DriveRemovable, DiskSpace{512, 1, 10, 20});
        drives->setMountPoint(EmptyRoot, other.path().string());
        w.drvList->setDrive(EmptyRoot);
        EXPECT_EQ(w.drvList->drive(), EmptyRoot);
        EXPECT_EQ(w.dirList->path(), other.path().string());
        w.drvList->setDrive(ZipRoot);
    });
    EXPECT_TRUE(messages->shown.empty());

    // Set up as the Zip drive, the second drive of the list is the one both lists open on.
    writeProfile("41", EmptyRoot);
    LoadSettings(services);
    examine([&](frmLabel& w) {
        EXPECT_EQ(w.drvList->drive(), EmptyRoot);
        EXPECT_EQ(w.dirList->path(), other.path().string());
    });
}

// A window made again takes the palettes of the first, so the style finds the pictures it drew for it
// instead of caching them anew each time.
TEST_F(LabelWindowTest, AWindowMadeAgainSharesThePalettesOfTheFirst) {
    std::vector<qint64> keys[2];
    for (std::vector<qint64>& each : keys) {
        examine([&](frmLabel& w) {
            for (const QWidget* widget : w.findChildren<QWidget*>()) {
                each.push_back(widget->palette().cacheKey());
            }
        });
    }
    EXPECT_EQ(keys[0], keys[1]);
}

TEST_F(LabelWindowTest, LeavingTheFolderListOpensTheSelectedFolderIfItIsStillThere) {
    examine([&](frmLabel& w) {
        const std::tuple<int, bool, std::filesystem::path> steps[] = {
            {1, false, diskFolder / "Photos 1999"}, // selected but not opened
            {-2, false, diskFolder},                // back up to the disk's folder
            {2, true, diskFolder},                  // gone before the focus left
        };
        for (const auto& [index, removed, opened] : steps) {
            w.dirList->setListIndex(index);
            if (removed) {
                std::filesystem::remove(diskFolder / "Taxes");
            }
            w.DirList_LostFocus();
            EXPECT_EQ(w.dirList->path(), opened.string()) << index;
        }
        // Destroyed while shown with the focus in its list, the window must not hear the list lose it.
        QApplication::setActiveWindow(&w);
        w.dirList->setFocus();
    });
    EXPECT_TRUE(messages->shown.empty());
}

// A bundle without a clock or locale formats still makes the label: the system's time in the C locale.
TEST_F(LabelWindowTest, WithoutClockOrFormatsTheLabelIsDatedInTheCLocale) {
    services.clock = nullptr;
    services.formats = nullptr;
    examine([&](frmLabel& w) {
        const std::regex dateTime(R"(\d\d-[A-Z][a-z]{2}-\d\d,  \d\d:\d\d [AP]M)");
        EXPECT_TRUE(std::regex_match(w.lblDateTime->text().toStdString(), dateTime))
            << w.lblDateTime->text().toStdString();
        EXPECT_NE(w.lblRJValues->text().indexOf("95.63 MB"), -1) << w.lblRJValues->text().toStdString();
        w.cmdRefresh->click();
    });
    EXPECT_EQ(modal->runs, 1);
}

// The strip shows the company stored when the window opens, not the one of the settings loaded before.
TEST_F(LabelWindowTest, TheStripShowsTheCompanyStoredNowAndCancelClosesWithoutPrinting) {
    writeProfile("41", ZipRoot, "Harbour Traders");
    examine([&](frmLabel& w) {
        EXPECT_EQ(w.logo().Caption(), "Harbour Traders");
        EXPECT_NE(w.lblNameTag->text().indexOf("Example Widgets"), -1);
        w.cmdRefresh->click();
        EXPECT_FALSE(w.isLoaded());
    });
    EXPECT_EQ(printer->asked, 0);
}

} // namespace
