#include "ui/app/frmAbout.h"

#include "support/ScriptedModal.h"
#include "support/WindowFixture.h"

#include <QTest>

namespace {

// The golden picture pins what the box shows; Enter closes it.
TEST_F(WindowFixture, AboutBoxClosesOnEnter) {
    auto modal = std::make_shared<ScriptedModal>([&](QDialog& about) {
        QTest::keyClick(&about, Qt::Key_Return);
        EXPECT_EQ(about.result(), QDialog::Accepted);
        EXPECT_FALSE(about.isVisible());
    });
    services.modal = modal;
    ShowAboutBox(services, nullptr);
    EXPECT_EQ(modal->runs, 1);
}

} // namespace
