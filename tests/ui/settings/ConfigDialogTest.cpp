#include "core/runtime/ProgramState.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/ProfileAccess.h"
#include "ui/settings/frmConfig.h"

#include "support/FakeDriveService.h"
#include "support/ScriptedModal.h"
#include "support/TabWalk.h"
#include "support/WindowFixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// The golden pictures of the dialog pin what it shows when it opens, first run or set up.
class ConfigDialogTest : public WindowProfileFixture {
protected:
    void SetUp() override {
        WindowProfileFixture::SetUp();
        drives = std::make_shared<FakeDriveService>();
        drives->addDrive("/dev/fd0", DriveRemovable).addDrive("/dev/sda", DriveFixed);
        drives->addDrive("/dev/sr0", DriveCdRom).addDrive("/dev/sdb", DriveRemovable);
        services.drives = drives;
    }

    // Opens the dialog the way the main window does and lets `act` work on it.
    void open(const std::function<void(frmConfig&)>& act) {
        auto modal = std::make_shared<ScriptedModal>([&](QDialog& d) { act(static_cast<frmConfig&>(d)); });
        services.modal = modal;
        ShowConfigDialog(services, nullptr);
        ASSERT_EQ(modal->runs, 1);
    }

    std::string stored(const char* key) { return ProfileAccess(services, "GET", "GLOBAL", key); }
    void expectStored(const std::map<std::string, std::string>& expected) {
        for (const auto& [key, value] : expected) {
            EXPECT_EQ(stored(key.c_str()), value) << key;
        }
    }
    std::string fileText() { return ReadBytes(profileFile); }

    std::shared_ptr<FakeDriveService> drives;
};

TEST_F(ConfigDialogTest, FirstRunCancelSavesWhatSaveWould) {
    Program().FirstRun = true;
    open([](frmConfig& d) {
        EXPECT_EQ(d.cboDrive->count(), 2); // the removable drives
        d.cmdCancel->click();
    });
    expectStored({{"OWNER", "Your NAME Goes Here !!!"},
                  {"COMPANY", "Your COMPANY NAME Goes Here !!!"},
                  {"ZIPDRIVE", "/dev/sdb"},
                  {"ID_INDEX", "1"}});
    // Empty address lines are refused by the store and stay missing.
    EXPECT_EQ(fileText().find("ADDR"), std::string::npos);
    EXPECT_EQ(Program().NextDiskNumber, 2);
}

TEST_F(ConfigDialogTest, SaveWritesTheSevenKeysInOneReplaceAndReloadsTheSettings) {
    WriteBytes(profileFile, "[GLOBAL]\r\nOWNER=Anna Berg\r\nZIPDRIVE=/dev/fd0\r\n");
    int replaces = 0;
    services.profile = std::make_shared<IniProfileStore>(profileFile, [&](WriteStep step) {
        replaces += step == WriteStep::Renaming ? 1 : 0;
        return 0;
    });
    open([](frmConfig& d) {
        // Whatever was stored, the list leaves the last removable drive showing.
        EXPECT_EQ(d.cboDrive->currentText(), "/dev/sdb");
        d.txtName->clear(); // a cleared field keeps the stored owner
        d.txtCompany->setText("Berg Archives");
        d.txtAddress->setText("1 Quay Street");
        d.txtCity->setText("Harbourtown");
        d.txtPhone->setText("(555) 123-4567");
        d.txtDiskID->setText("41");
        d.cboDrive->setCurrentText("/dev/fd0");
        d.cmdSave->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    expectStored({{"OWNER", "Anna Berg"},
                  {"COMPANY", "Berg Archives"},
                  {"ADDR1", "1 Quay Street"},
                  {"ADDR2", "Harbourtown"},
                  {"ADDR3", "(555) 123-4567"},
                  {"ZIPDRIVE", "/dev/fd0"},
                  {"ID_INDEX", "41"}});
    EXPECT_EQ(Program().OwnerBlock,
              "Anna Berg\r\nBerg Archives\r\n1 Quay Street\r\nHarbourtown\r\n(555) 123-4567");
    EXPECT_EQ(Program().NextDiskNumber, 42);
    EXPECT_EQ(replaces, 1);

    // Letters as the number are saved as typed, and the number in use is kept.
    open([](frmConfig& d) {
        d.txtDiskID->setText("abc");
        d.cmdSave->click();
    });
    EXPECT_EQ(stored("ID_INDEX"), "abc");
    EXPECT_EQ(Program().NextDiskNumber, 42);
    EXPECT_TRUE(messages->shown.empty());
}

// Enter saves, wherever the focus is; Escape and, outside a first run, Cancel close without writing a byte.
TEST_F(ConfigDialogTest, EnterSavesEscapeAndCancelWriteNothing) {
    WriteBytes(profileFile, "[GLOBAL]\r\nCOMPANY=Acme\r\n");
    const std::pair<std::function<void(frmConfig&)>, bool> ways[] = {
        {[](frmConfig& d) { QTest::keyClick(&d, Qt::Key_Escape); }, false},
        {[](frmConfig& d) { d.cmdCancel->click(); }, false},
        {[](frmConfig& d) { QTest::keyClick(d.txtCompany, Qt::Key_Return); }, true},
        {[](frmConfig& d) { QTest::keyClick(d.cmdCancel, Qt::Key_Return); }, true}, // Save stays the default
    };
    for (const auto& [act, saves] : ways) {
        const std::string before = fileText();
        open([&](frmConfig& d) {
            d.txtCompany->setText("Typed Co");
            d.txtCompany->setFocus();
            act(d);
            EXPECT_EQ(d.result(), saves ? QDialog::Accepted : QDialog::Rejected);
        });
        if (saves) {
            EXPECT_EQ(stored("COMPANY"), "Typed Co");
        } else {
            EXPECT_EQ(fileText(), before);
        }
    }
}

TEST_F(ConfigDialogTest, TabWalksTheFieldsInTheOrderOfTheForm) {
    open([](frmConfig& d) {
        const std::vector<QWidget*> order = {d.txtCompany, d.txtDiskID, d.txtName,  d.txtAddress,
                                             d.txtCity,    d.txtPhone,  d.cboDrive, d.cmdCancel,
                                             d.cmdSave,    d.txtCompany};
        EXPECT_EQ(TabWalk(d, d.txtCompany, 10), order);
        d.cmdCancel->click();
    });
}

// Long texts: a stored name is cut to 49 on reading and no box takes more; a long drive can be read in the
// list and the tooltip.
TEST_F(ConfigDialogTest, LongNamesAreCutAndLongDriveTextsCanBeRead) {
    WriteBytes(profileFile, "[GLOBAL]\r\nOWNER=" + std::string(60, 'N') + "\r\n");
    drives->addDrive("/dev/mmcblk0", DriveRemovable);
    drives->addDrive("/dev/disk/by-id/usb-Generic_SD_Reader-0:0", DriveRemovable);
    open([](frmConfig& d) {
        EXPECT_EQ(d.txtName->text().size(), 49);
        const QRect placed = d.cboDrive->geometry();
        // The list is as wide as its longest item, here wider than the box, which keeps its size and place.
        d.cboDrive->showPopup();
        QAbstractItemView* list = d.cboDrive->view();
        ASSERT_TRUE(list->isVisible());
        ASSERT_GT(list->sizeHintForColumn(0), placed.width());
        EXPECT_GE(list->viewport()->width(), list->sizeHintForColumn(0));
        d.cboDrive->hidePopup();
        EXPECT_EQ(d.cboDrive->geometry(), placed);

        // The tooltip holds the whole text exactly when the box cuts it.
        const std::pair<const char*, bool> cases[] = {{"/dev/mmcblk0", true}, {"/dev/fd0", false}};
        for (const auto& [text, cut] : cases) {
            d.cboDrive->setCurrentText(text);
            EXPECT_EQ(d.cboDrive->toolTip(), cut ? QString(text) : QString()) << text;
        }
        for (QLineEdit* box : {d.txtCompany, d.txtDiskID, d.cboDrive->lineEdit()}) {
            box->clear();
            box->setFocus();
            QTest::keyClicks(box, QString(55, 'c'));
            EXPECT_EQ(box->text().size(), 49) << box->objectName().toStdString();
        }
        d.cmdCancel->click();
    });
}

// The store's tests pin each kind of failure; here the dialog tells the first one's reason, keeps what was
// typed, stays open, and the profile keeps its old settings although the fault came between two keys.
TEST_F(ConfigDialogTest, AFailedSaveTellsWhyLeavesTheOldProfileAndStaysOpen) {
    givenProfile("[GLOBAL]\r\nOWNER=Anna Berg\r\nCOMPANY=Old Co\r\n");
    const std::string before = fileText();
    int edited = 0;
    services.profile = std::make_shared<IniProfileStore>(
        profileFile, [&](WriteStep step) { return step == WriteStep::KeyEdited && ++edited == 3 ? EIO : 0; });
    open([&](frmConfig& d) {
        d.txtName->setText("New Name");
        d.txtCompany->setText("Unsaved Co");
        d.cmdSave->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.txtCompany->text(), "Unsaved Co");
        ASSERT_EQ(messages->shown.size(), 1u);
        const std::string& said = messages->shown[0].prompt;
        EXPECT_NE(said.find(profileFile.string()), std::string::npos) << said;
        EXPECT_NE(said.find(std::strerror(EIO)), std::string::npos) << said;
        d.cmdCancel->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(fileText(), before);
}

} // namespace
