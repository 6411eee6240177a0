#include "ui/app/frmAbout.h"
#include "ui/forms/ModalRunner.h"
#include "core/settings/EmptySetting.h"

#include "support/WindowFixture.h"
#include "support/ScopedLocale.h"
#include "support/ScriptedModal.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <chrono>

namespace {

using namespace std::chrono_literals;

TEST(SortsAtOrBelowSpace, DecidesWhatCountsAsNotSet) {
    for (const char* notSet : {"", " ", "\t", "\x1f", "\001Acme"}) {
        EXPECT_TRUE(SortsAtOrBelowSpace(notSet)) << notSet;
    }
    for (const char* set : {"Acme", "  ", " Acme", "!", "\xc3\xa9" /* é */, "0"}) {
        EXPECT_FALSE(SortsAtOrBelowSpace(set)) << set;
    }
}

class AboutTest : public WindowFixture {
protected:
    const ScopedLocale english;
};

TEST_F(AboutTest, ShowsTheDateOfEachOpeningAndEnterCloses) {
    std::vector<QString> dates;
    auto modal = std::make_shared<ScriptedModal>([&](QDialog& dialog) {
        auto& about = static_cast<frmAbout&>(dialog);
        dates.push_back(about.lblNow->text());
        QTest::keyClick(&about, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
    });
    services.modal = modal;

    clock->at = std::chrono::system_clock::from_time_t(1796472000); // 2026-12-05 12:00 UTC
    ShowAboutBox(services, nullptr);
    clock->at += 24h * 3;
    ShowAboutBox(services, nullptr);

    ASSERT_EQ(modal->runs, 2);
    ASSERT_EQ(dates.size(), 2u);
    EXPECT_NE(dates[0], dates[1]);
    EXPECT_TRUE(dates[0].contains("December")) << dates[0].toStdString();
}

} // namespace
