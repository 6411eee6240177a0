#include "support/TempDir.h"
#include "support/WindowFixture.h"

#include "core/catalogue/Catalogue.h"
#include "ui/app/frmMain.h"

#include <QTest>

namespace {

using CatalogueTitleTest = WindowFixture;

TEST_F(CatalogueTitleTest, TheMainWindowTitleTellsOfAWalkUntilItEnds) {
    const TempDir dir;
    for (int folder = 0; folder < 100; ++folder) {
        std::filesystem::create_directories(dir / "disk" / std::to_string(folder) / "inner");
    }
    auto catalogue = std::make_shared<Catalogue>((dir / "catalogue.sqlite").string(), clock);
    services.catalogue = catalogue;
    frmMain window(services);
    QStringList titles;
    QObject::connect(&window, &QWidget::windowTitleChanged, [&](const QString& title) { titles << title; });

    DiskRecord disk;
    disk.number = 42;
    catalogue->recordLabel(disk, {(dir / "disk").string(), {}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !catalogue->progress().walking && titles.size() >= 2; }, 20000));
    EXPECT_EQ(titles.back().toStdString(), "Tessaline 1.0");

    EXPECT_EQ(titles.front().toStdString(), "Tessaline 1.0 \u2014 cataloguing #42, 0 %");
    EXPECT_FALSE(catalogue->takeMessage());
}

} // namespace
