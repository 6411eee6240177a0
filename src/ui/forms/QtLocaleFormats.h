#pragma once

#include "core/runtime/LocaleFormats.h"

// The label's formats in the user's locale and local time zone, as Qt knows them.
class QtLocaleFormats final : public LocaleFormats {
public:
    std::string mediumDate(Clock::TimePoint when) const override;
    std::string mediumTime(Clock::TimePoint when) const override;
    char decimalSeparator() const override;
};
