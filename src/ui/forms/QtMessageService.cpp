#include "ui/forms/QtMessageService.h"

#include "core/runtime/Runtime.h"

#include <QApplication>
#include <QMessageBox>


int QtMessageService::show(const std::string& prompt, int style, const std::optional<std::string>& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(title.value_or(ApplicationTitle)));
    box.setText(QString::fromStdString(prompt));
    box.setIcon(QMessageBox::NoIcon);
    // Only the OK-only style is used by this program; other styles still get an OK button.
    (void)style;
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return 1;
}
