#include "ui/forms/QtMessageService.h"

#include "core/runtime/Runtime.h"

#include <QApplication>
#include <QMessageBox>

int QtMessageService::show(const std::string& prompt, int style, const std::optional<std::string>& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(title.value_or(ApplicationTitle)));
    box.setText(QString::fromStdString(prompt));
    box.setIcon((style & MessageQuestion) != 0 ? QMessageBox::Question : QMessageBox::NoIcon);
    // Only OK and Yes/No are asked by this program; other styles still get an OK button.
    if ((style & 0x0F) == MessageYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? AnswerYes : AnswerNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return AnswerOk;
}
