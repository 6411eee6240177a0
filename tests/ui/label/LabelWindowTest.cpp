#include "support/LabelFixture.h"
#include "support/PdfTools.h"

#include "core/settings/ProfileAccess.h"
#include "ui/forms/DriveListBox.h"
#include "ui/forms/FolderListBox.h"
#include "ui/forms/PictureBox.h"
#include "ui/forms/Screen.h"
#include "ui/forms/SystemColors.h"
#include "ui/label/ShowLabelWindow.h"
#include "ui/label/frmLabel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cerrno>
#include <cmath>

namespace {

const char* const DiskUnreadable = "Unable to get Zip disk information.  \r\nEither the Zip drive is not "
                                   "correctly Configured, or No Zip disk loaded in drive !! ";

std::string text(const QLabel* label) {
    return label->text().toStdString();
}

class LabelWindowTest : public LabelFixture {
protected:
    // Opens the window as Examine Disk does and hands it to `act` while it is shown.
    void examine(const std::function<void(frmLabel&)>& act) {
        onShown = [&](QDialog& dialog) { act(static_cast<frmLabel&>(dialog)); };
        ShowLabelWindow(services, nullptr);
    }
};

// The golden picture of the window pins how the label looks; this pins what it is made of.
TEST_F(LabelWindowTest, ExamineShowsTheLabelOfTheDiskInTheZipDrive) {
    // A name that looks like markup is shown as typed.
    std::string profile = ReadBytes(profileFile);
    WriteBytes(profileFile, profile.replace(profile.find("Anna Example"), 12, "<b>Anna</b>"));
    LoadSettings(services);
    bool shown = false;
    examine([&](frmLabel& w) {
        shown = true;
        EXPECT_EQ(text(w.lblNameTag),
                  "<b>Anna</b>\nExample Widgets\n12 Harbour Road\nDunmore 4410\n555 0199");
        for (const QLabel* label : w.findChildren<QLabel*>()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
        }
        EXPECT_EQ(w.txtID->text().toStdString(), "#42");
        EXPECT_EQ(text(w.lblVTag), "#\n4\n2\n");
        EXPECT_EQ(text(w.lblRJValues), "REMOVABLE\nZIPDISK\n1A2B-3C4D\n\n95.63 MB\n95.50 MB\n\n0.13 MB");
        EXPECT_EQ(text(w.lblDateTime), "01-Jan-70,  12:00 AM");
        EXPECT_EQ(w.drvList->drive(), ZipRoot);
        EXPECT_EQ(w.dirList->path(), diskFolder.string());
        EXPECT_EQ(w.dirList->listCount(), 3);
        // 99.869 % used rounds to a full bar.
        EXPECT_EQ(w.progBarWidthTwips(), 4900.0f);
        EXPECT_EQ(w.logo().Caption(), "Example Widgets");
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(modal->runs, 1);
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_EQ(storedIndex(), "41");
}

TEST_F(LabelWindowTest, ShowProgBarRoundsThePercentHalfToEvenAndScalesTheFullBar) {
    frmLabel w(services);
    const struct {
        double percent;
        float twips;
    } cases[] = {{0.0, 0.0f}, {37.5, 1862.0f}, {100.0, 4900.0f}, {99.869, 4900.0f}};
    for (const auto& c : cases) {
        w.picProgBar->setVisible(false);
        w.ShowProgBar(c.percent);
        EXPECT_EQ(w.progBarWidthTwips(), c.twips) << c.percent;
        EXPECT_EQ(w.picProgBar->width(), TwipsToPixelsX(c.twips)) << c.percent;
        EXPECT_TRUE(w.picProgBar->isVisibleTo(&w)) << c.percent;
    }
    // The bar shows the blue end of its picture.
    w.ShowProgBar(37.5);
    const QColor left = w.picProgBar->image().pixelColor(2, 8);
    EXPECT_GT(left.blue(), 2 * left.green());
}

TEST_F(LabelWindowTest, ADriveItCannotReadGivesTheMessageAndNoWindow) {
    for (const std::string zipDrive : {EmptyRoot, "/dev/sdq", ""}) {
        messages->shown.clear();
        modal->runs = 0;
        writeProfile("41", zipDrive);
        LoadSettings(services);
        Program().AutoPrint = false;
        ShowLabelWindow(services, nullptr);
        EXPECT_EQ(modal->runs, 0) << zipDrive;
        ASSERT_EQ(messages->shown.size(), 1u) << zipDrive;
        EXPECT_EQ(messages->shown[0].prompt, DiskUnreadable);
        EXPECT_EQ(messages->shown[0].style, 0);
        EXPECT_FALSE(messages->shown[0].title.has_value());
    }
    // Asked to print, it prints nothing and the number stays.
    Program().AutoPrint = true;
    ShowLabelWindow(services, nullptr);
    EXPECT_FALSE(Program().AutoPrint);
    EXPECT_EQ(printer->asked, 0);
    EXPECT_EQ(storedIndex(), "41");
}

TEST_F(LabelWindowTest, PrintLabelPrintsAtOnceAndLeavesNoWindow) {
    Program().AutoPrint = true;
    ShowLabelWindow(services, nullptr);
    EXPECT_EQ(modal->runs, 0);
    EXPECT_FALSE(Program().AutoPrint);
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_EQ(storedIndex(), "42");
    ASSERT_EQ(PdfInfo(printer->fileName).pages, 1);
    const std::string printed = PdfWords(printer->fileName);
    EXPECT_NE(printed.find("# 42"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("Print"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("Cancel"), std::string::npos) << printed;
}

TEST_F(LabelWindowTest, PrintReplacesWhateverWasTypedAsTheNumberAndKeepsTheStrip) {
    examine([&](frmLabel& w) {
        w.txtID->setText("seven");
        w.cmdPrint->click();
        EXPECT_FALSE(w.isLoaded());
        EXPECT_EQ(w.txtID->text().toStdString(), "# 42");
        EXPECT_EQ(text(w.lblVTag), "#\n4\n2\n");
    });
    EXPECT_EQ(storedIndex(), "42");
    const std::string printed = PdfWords(printer->fileName);
    EXPECT_NE(printed.find("# 42"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("seven"), std::string::npos) << printed;
}

TEST_F(LabelWindowTest, PrintAdvancesTheNumberStoredAtThatMoment) {
    const struct {
        const char* storedAtPrint;
        const char* storedAfter;
    } cases[] = {{"41.5", "42"}, {" -3 ", "-2"}, {"32766", "32767"}};
    for (const auto& c : cases) {
        examine([&](frmLabel& w) {
            writeProfile(c.storedAtPrint); // changed while the window was open
            w.cmdPrint_Click();
        });
        EXPECT_EQ(storedIndex(), c.storedAfter) << c.storedAtPrint;
        EXPECT_TRUE(messages->shown.empty()) << c.storedAtPrint;
        // The label bears the number it was opened with.
        const std::string printed = PdfWords(printer->fileName);
        EXPECT_NE(printed.find("# 42"), std::string::npos) << c.storedAtPrint;
        writeProfile("41");
    }
}

TEST_F(LabelWindowTest, RefusesANumberItCannotAdvanceWithoutWritingOrPrinting) {
    const struct {
        const char* stored;
        const char* says;
    } cases[] = {{"forty", "\"forty\", is not a number"},
                 {"", "\"\", is not a number"},
                 {"32767", "\"32767\", has no next number"},
                 {"-40000", "\"-40000\", has no next number"}};
    for (const auto& c : cases) {
        messages->shown.clear();
        writeProfile(c.stored);
        const std::string before = ReadBytes(profileFile);
        examine([&](frmLabel& w) {
            w.cmdPrint_Click();
            EXPECT_FALSE(w.isLoaded());
            EXPECT_EQ(w.txtID->text().toStdString(), "#42") << c.stored;
            EXPECT_TRUE(w.cmdPrint->isVisibleTo(&w)) << c.stored;
        });
        ASSERT_EQ(messages->shown.size(), 1u) << c.stored;
        EXPECT_NE(messages->shown[0].prompt.find(c.says), std::string::npos) << messages->shown[0].prompt;
        EXPECT_EQ(ReadBytes(profileFile), before) << c.stored;
        EXPECT_FALSE(std::filesystem::exists(printer->fileName)) << c.stored;
        EXPECT_FALSE(Program().AutoPrint);
    }
}

TEST_F(LabelWindowTest, NoPrinterOrAJobThatCannotStartLeavesTheNumber) {
    const struct {
        std::string printerFile;
        const char* says;
    } cases[] = {{"", "There is no default printer"},
                 {(dir / "no-such-folder" / "label.pdf").string(), "The label could not be printed"}};
    for (const auto& c : cases) {
        messages->shown.clear();
        printer->fileName = c.printerFile;
        Program().AutoPrint = true;
        ShowLabelWindow(services, nullptr);
        EXPECT_EQ(modal->runs, 0);
        ASSERT_EQ(messages->shown.size(), 1u) << c.says;
        EXPECT_EQ(messages->shown[0].prompt.rfind(c.says, 0), 0u) << messages->shown[0].prompt;
        EXPECT_NE(messages->shown[0].prompt.find("number was not changed"), std::string::npos);
        EXPECT_EQ(storedIndex(), "41");
        EXPECT_FALSE(Program().AutoPrint);
    }
}

TEST_F(LabelWindowTest, ANumberThatCannotBeSavedAfterPrintingIsReported) {
    // The profile on disk, on a disk that is full by the time the number is written.
    services.profile = std::make_shared<IniProfileStore>(
        profileFile, [](WriteStep step) { return step == WriteStep::TemporaryWritten ? ENOSPC : 0; });
    Program().AutoPrint = true;
    ShowLabelWindow(services, nullptr);
    EXPECT_EQ(PdfInfo(printer->fileName).pages, 1);
    ASSERT_EQ(messages->shown.size(), 1u);
    const std::string& said = messages->shown[0].prompt;
    EXPECT_EQ(said.rfind("The label was printed, but the new disk number 42 could not be saved", 0), 0u)
        << said;
    EXPECT_NE(said.find("No space left on device"), std::string::npos) << said;
    EXPECT_EQ(storedIndex(), "41");
}

TEST_F(LabelWindowTest, ADriveWithoutADiskLeavesBothListsWhereTheyWere) {
    examine([&](frmLabel& w) {
        w.drvList->setDrive(EmptyRoot);
        EXPECT_EQ(w.drvList->drive(), ZipRoot);
        EXPECT_EQ(w.dirList->path(), diskFolder.string());

        // Once a disk is in it, the same choice lists its folders.
        const TempDir other;
        std::filesystem::create_directory(other / "Scans");
        drives->addDrive(EmptyRoot, DriveRemovable, DiskSpace{512, 1, 10, 20});
        drives->setMountPoint(EmptyRoot, other.path().string());
        w.drvList->setDrive(EmptyRoot);
        EXPECT_EQ(w.drvList->drive(), EmptyRoot);
        EXPECT_EQ(w.dirList->path(), other.path().string());
        w.drvList->setDrive(ZipRoot);
    });
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(LabelWindowTest, LeavingTheFolderListOpensTheSelectedFolderIfItIsStillThere) {
    examine([&](frmLabel& w) {
        w.dirList->setListIndex(1); // "Photos 1999", selected but not opened
        w.DirList_LostFocus();
        EXPECT_EQ(w.dirList->path(), (diskFolder / "Photos 1999").string());

        w.dirList->setListIndex(-2); // back up to the disk's folder
        w.DirList_LostFocus();
        EXPECT_EQ(w.dirList->path(), diskFolder.string());

        w.dirList->setListIndex(2);
        std::filesystem::remove(diskFolder / "Taxes"); // gone before the focus left
        w.DirList_LostFocus();
        EXPECT_EQ(w.dirList->path(), diskFolder.string());
    });
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(LabelWindowTest, TheStripShowsTheCompanyStoredWhenTheWindowOpens) {
    writeProfile("41", ZipRoot, "Harbour Traders"); // after the settings were loaded
    examine([&](frmLabel& w) {
        EXPECT_EQ(w.logo().Caption(), "Harbour Traders");
        EXPECT_NE(text(w.lblNameTag).find("Example Widgets"), std::string::npos);
    });
}

TEST_F(LabelWindowTest, CancelClosesTheWindowAndClearsAutoPrint) {
    examine([&](frmLabel& w) {
        Program().AutoPrint = true;
        w.cmdRefresh->click();
        EXPECT_FALSE(w.isLoaded());
        EXPECT_FALSE(Program().AutoPrint);
    });
    EXPECT_EQ(printer->asked, 0);
    EXPECT_EQ(storedIndex(), "41");
}

TEST_F(LabelWindowTest, AWindowMadeAgainDrawsWithTheSamePalettesAndColours) {
    // The style keeps its drawn pictures under the palette's key: an Examine that made new keys for the
    // same colours would fill the cache with copies.
    const frmLabel first(services);
    const frmLabel again(services);
    EXPECT_EQ(again.palette().cacheKey(), first.palette().cacheKey());
    const QList<QWidget*> widgets = first.findChildren<QWidget*>();
    const QList<QWidget*> widgetsAgain = again.findChildren<QWidget*>();
    ASSERT_EQ(widgets.size(), widgetsAgain.size());
    for (qsizetype i = 0; i < widgets.size(); ++i) {
        EXPECT_EQ(widgetsAgain[i]->palette().cacheKey(), widgets[i]->palette().cacheKey())
            << widgets[i]->metaObject()->className() << " " << widgets[i]->objectName().toStdString();
    }
}

} // namespace
