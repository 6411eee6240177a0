#include "ui/forms/WideListComboBox.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyleOptionComboBox>

namespace {

// QLineEdit keeps this many pixels free on either side of its text.
constexpr int LineEditTextMargin = 2;

} // namespace

WideListComboBox::WideListComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentTextChanged, this, &WideListComboBox::updateToolTip);
}

void WideListComboBox::showPopup() {
    // The list's minimum width widens the popup; the box itself stays as it is.
    QAbstractItemView* list = view();
    int width = list->sizeHintForColumn(modelColumn()) + 2 * list->frameWidth();
    if (count() > maxVisibleItems()) {
        width += list->verticalScrollBar()->sizeHint().width();
    }
    list->setMinimumWidth(width);
    QComboBox::showPopup();
}

int WideListComboBox::textRoom() const {
    if (const QLineEdit* edit = lineEdit()) {
        return edit->contentsRect().marginsRemoved(edit->textMargins()).width() - 2 * LineEditTextMargin;
    }
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).width();
}

void WideListComboBox::updateToolTip() {
    const QString text = currentText();
    const QFontMetrics metrics = lineEdit() != nullptr ? lineEdit()->fontMetrics() : fontMetrics();
    setToolTip(metrics.horizontalAdvance(text) > textRoom() ? text : QString());
}

void WideListComboBox::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    updateToolTip();
}

void WideListComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        updateToolTip();
    }
}
