#include "ui/forms/QtLocaleFormats.h"

#include "ui/forms/DateFormats.h"

std::string QtLocaleFormats::mediumDate(Clock::TimePoint when) const {
    return FormatMediumDate(when);
}

std::string QtLocaleFormats::mediumTime(Clock::TimePoint when) const {
    return FormatMediumTime(when);
}

char QtLocaleFormats::decimalSeparator() const {
    return LocaleDecimalSeparator();
}
