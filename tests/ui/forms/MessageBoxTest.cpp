#include "ui/forms/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// The real box, looked at and closed from the event loop that its own exec runs.
TEST(QtMessageService, ShowsAnOkOnlyBoxWithoutIconTitledAsAsked) {
    const struct {
        std::optional<std::string> title;
        const char* shownTitle;
    } cases[] = {{std::nullopt, "Tesslin1"}, {std::string("Insert a Zip Disk ..."), "Insert a Zip Disk ..."}};
    for (const auto& c : cases) {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::Critical;
        int buttons = 0;
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                    title = box->windowTitle();
                    text = box->text();
                    icon = box->icon();
                    buttons = static_cast<int>(box->buttons().size());
                    box->button(QMessageBox::Ok)->click();
                }
            }
        });
        EXPECT_EQ(QtMessageService().show("No Zip Disk found in specified drive!", 0, c.title), 1);
        EXPECT_EQ(title.toStdString(), c.shownTitle);
        EXPECT_EQ(text.toStdString(), "No Zip Disk found in specified drive!");
        EXPECT_EQ(icon, QMessageBox::NoIcon);
        EXPECT_EQ(buttons, 1);
    }
}

} // namespace
