#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <vector>

// The widgets that hold the focus in turn as Tab is pressed `steps` times in a shown window, from `first` on.
inline std::vector<QWidget*> TabWalk(QWidget& window, QWidget* first, int steps) {
    QApplication::setActiveWindow(&window);
    first->setFocus();
    std::vector<QWidget*> walked;
    for (int step = 0; step < steps; ++step) {
        walked.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return walked;
}
