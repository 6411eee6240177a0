#include "support/LocalTime.h"
#include "support/ScopedLocale.h"
#include "ui/forms/QtLocaleFormats.h"
#include "ui/forms/SystemColors.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include <tuple>

namespace {

// The label's date line and number format in the program (the tests' pictures use C-locale formats).
TEST(QtLocaleFormats, LabelFormatsFollowTheLocale) {
    const QtLocaleFormats formats;
    const ScopedLocale english;
    const std::tuple<Clock::TimePoint, const char*, const char*> cases[] = {
        {LocalTime(2026, 12, 5, 21, 47, 3), "05-Dec-26", "09:47 PM"},
        {LocalTime(2026, 12, 5, 0, 5, 59), "05-Dec-26", "12:05 AM"},
        {LocalTime(2026, 12, 5, 12, 0, 0), "05-Dec-26", "12:00 PM"},
        {LocalTime(2001, 1, 31, 9, 9, 10), "31-Jan-01", "09:09 AM"},
    };
    for (const auto& [at, date, time] : cases) {
        EXPECT_EQ(formats.mediumDate(at), date);
        EXPECT_EQ(formats.mediumTime(at), time);
    }
    EXPECT_EQ(formats.decimalSeparator(), '.');
    const ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(formats.decimalSeparator(), ',');
}

// The golden pictures draw with one palette, in which several roles share a colour; here each differs.
TEST(SystemColors, PlainValuesPassAndReferencesUseThePalette) {
    const QPalette saved = QApplication::palette();
    QPalette pinned = saved;
    pinned.setColor(QPalette::Button, QColor(192, 192, 192));
    pinned.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    pinned.setColor(QPalette::Window, QColor(1, 2, 3));
    pinned.setColor(QPalette::Base, QColor(4, 5, 6));
    pinned.setColor(QPalette::Text, QColor(7, 8, 9));
    pinned.setColor(QPalette::Mid, QColor(10, 11, 12));
    QApplication::setPalette(pinned);
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {0x7F123456u, 0x00123456u},
        {SystemColor::ButtonFace, 0xC0C0C0u},
        {SystemColor::HighlightText, 0xFFFFFFu},
        {SystemColor::MenuBar, 0x030201u},
        {SystemColor::Window, 0x060504u},
        {SystemColor::WindowText, 0x090807u},
        {SystemColor::ActiveBorder, 0x0C0B0Au},
        {0x800000FFu, 0u},
    };
    for (const auto& [color, bgr] : cases) {
        EXPECT_EQ(TranslateColor(color), bgr) << std::hex << color;
    }
    QApplication::setPalette(saved);
}

} // namespace
