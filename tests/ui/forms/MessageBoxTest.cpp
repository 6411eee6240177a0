#include "ui/forms/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

namespace {

// The real box, looked at and closed from the event loop that its own exec runs. The whole-program test
// finds the untitled boxes by the program's name.
TEST(QtMessageService, ShowsAnOkOnlyBoxWithoutIconTitledAsAsked) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen = true;
            EXPECT_EQ(box->windowTitle().toStdString(), "Insert a Zip Disk ...");
            EXPECT_EQ(box->text().toStdString(), "No Zip Disk found in specified drive!");
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->buttons().size(), 1);
            box->button(QMessageBox::Ok)->click();
        }
    });
    EXPECT_EQ(QtMessageService().show("No Zip Disk found in specified drive!", 0, "Insert a Zip Disk ..."),
              1);
    EXPECT_TRUE(seen);
}

} // namespace
