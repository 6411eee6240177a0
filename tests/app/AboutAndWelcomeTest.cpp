#include "app/WelcomeText.h"
#include "app/frmAbout.h"
#include "forms/ModalRunner.h"
#include "settings/EmptySetting.h"

#include "support/ProgramFixture.h"
#include "support/ScriptedModal.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <chrono>

namespace {

using namespace std::chrono_literals;

TEST(SortsAtOrBelowSpace, DecidesWhatCountsAsNotSet) {
    for (const char* notSet : {"", " ", "\t",
                               "\x01"
                               "Acme",
                               " ", "\x1f"}) {
        EXPECT_TRUE(SortsAtOrBelowSpace(notSet)) << notSet;
    }
    for (const char* set : {"Acme", "  ", " Acme", "!", "\xc3\xa9" /* é */, "0"}) {
        EXPECT_FALSE(SortsAtOrBelowSpace(set)) << set;
    }
}

TEST(WelcomeText, HasItsParagraphsAndClosingName) {
    const std::string text = WelcomeText();
    EXPECT_EQ(text.rfind(
                  "Greetings ! \r\n\r\nThis Zip disk label printing program came as a response to a need", 0),
              0u);
    EXPECT_NE(text.find("the printed disk label.\r\n\r\nVantrell makes no warranty"), std::string::npos);
    EXPECT_NE(text.find("It is distributed as 'freeware'."), std::string::npos);
    const std::string ending = ". \r\n\r\nVantrell";
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
}

class AboutTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::system());
        ProgramFixture::TearDown();
    }
};

TEST_F(AboutTest, ShowsTheDateOfEachOpeningAndEnterCloses) {
    std::vector<QString> dates;
    auto modal = std::make_shared<ScriptedModal>([&](QDialog& dialog) {
        auto& about = static_cast<frmAbout&>(dialog);
        EXPECT_EQ(about.lblProductName->text(), "Tessaline 1.0");
        EXPECT_EQ(about.lblDesc->text(), "a simple program brought to you by...");
        EXPECT_EQ(about.lblCompany->text(), "Dorvanel\r\nVantrell");
        EXPECT_TRUE(about.Command1->isDefault());
        dates.push_back(about.lblNow->text());
        QTest::keyClick(&about, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
    });
    Program().services.modal = modal;

    clock->at = std::chrono::system_clock::from_time_t(1796472000); // 2026-12-05 12:00 UTC
    ShowAboutBox(nullptr);
    clock->at += 24h * 3;
    ShowAboutBox(nullptr);

    ASSERT_EQ(modal->runs, 2);
    ASSERT_EQ(dates.size(), 2u);
    EXPECT_NE(dates[0], dates[1]);
    EXPECT_TRUE(dates[0].contains("December")) << dates[0].toStdString();
}

} // namespace
