#include "ui/forms/DateFormats.h"

#include <QDateTime>
#include <QLocale>

namespace {

QDateTime ToLocal(Clock::TimePoint when) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime();
}

} // namespace

std::string FormatLongDate(Clock::TimePoint when) {
    return QLocale().toString(ToLocal(when).date(), QLocale::LongFormat).toStdString();
}

std::string FormatMediumDate(Clock::TimePoint when) {
    const QLocale locale;
    const QDate date = ToLocal(when).date();
    // dd-MMM-yy with the locale's own abbreviated month name.
    return QString("%1-%2-%3")
        .arg(date.day(), 2, 10, QChar('0'))
        .arg(locale.monthName(date.month(), QLocale::ShortFormat))
        .arg(date.year() % 100, 2, 10, QChar('0'))
        .toStdString();
}

std::string FormatMediumTime(Clock::TimePoint when) {
    const QLocale locale;
    const QTime time = ToLocal(when).time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QString designator = time.hour() < 12 ? locale.amText() : locale.pmText();
    return QString("%1:%2 %3")
        .arg(hour12, 2, 10, QChar('0'))
        .arg(time.minute(), 2, 10, QChar('0'))
        .arg(designator.isEmpty() ? QString(time.hour() < 12 ? "AM" : "PM") : designator)
        .toStdString();
}

int LocalSecond(Clock::TimePoint when) {
    return ToLocal(when).time().second();
}

std::string FormatSeconds(Clock::TimePoint when) {
    return std::to_string(LocalSecond(when));
}

char LocaleDecimalSeparator() {
    const QString separator = QLocale().decimalPoint();
    return separator.size() == 1 && separator.at(0).unicode() < 128 ? separator.at(0).toLatin1() : '.';
}
