#pragma once

#include <QLocale>

// Makes a locale the default for the life of the object (English, United States, unless told otherwise),
// so that date and number texts do not depend on the machine.
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates)) {
        QLocale::setDefault(locale);
    }
    ~ScopedLocale() { QLocale::setDefault(m_saved); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    QLocale m_saved;
};
