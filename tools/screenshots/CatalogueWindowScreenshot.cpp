// Saves a picture of the Catalogue window with the results of a search for the documentation;
// scripts/screenshots runs it under a virtual X display. Skipped in the ordinary test run.
#include "support/SampleCatalogue.h"
#include "support/WindowFixture.h"

#include "core/catalogue/Catalogue.h"
#include "core/settings/IniProfileStore.h"
#include "ui/catalogue/frmCatalogue.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTableView>
#include <QTest>

#include <chrono>
#include <cstdlib>

namespace {

class CatalogueWindowScreenshot : public WindowFixture {};

TEST_F(CatalogueWindowScreenshot, SavesTheResultsOfASearch) {
    const char* dir = std::getenv("TESSALINE_SCREENSHOT_DIR");
    if (dir == nullptr) {
        GTEST_SKIP() << "run by scripts/screenshots";
    }
    const TempDir home;
    const std::string file = (home / "catalogue.sqlite").string();
    WriteSampleCatalogue(file);
    services.profile = std::make_shared<IniProfileStore>(home / "Tesslin1.ini");
    services.catalogue = std::make_shared<Catalogue>(file, clock);

    frmCatalogue window(services);
    window.Form_Load();
    window.show();
    QTest::keyClicks(window.txtSearch, "tax");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.searching(); }, 5000));
    window.grdResults->selectRow(3);
    QApplication::processEvents();
    EXPECT_TRUE(window.grab().save(QString::fromLocal8Bit(dir) + "/catalogue-window.png", "PNG"));
    EXPECT_TRUE(messages->shown.empty());
}

} // namespace
