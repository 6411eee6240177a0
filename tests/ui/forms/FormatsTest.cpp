#include "ui/forms/DateFormats.h"
#include "ui/forms/Geometry.h"
#include "ui/forms/QtLocaleFormats.h"
#include "ui/forms/SystemColors.h"
#include "support/LocalTime.h"
#include "support/ScopedLocale.h"

#include <QApplication>
#include <QFontInfo>
#include <QLocale>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

TEST(DateFormats, NamedFormatsInEnglish) {
    const ScopedLocale english;
    const struct {
        Clock::TimePoint at;
        const char* mediumDate;
        const char* mediumTime;
        const char* seconds;
    } cases[] = {
        {LocalTime(2026, 12, 5, 21, 47, 3), "05-Dec-26", "09:47 PM", "3"},
        {LocalTime(2026, 12, 5, 0, 5, 59), "05-Dec-26", "12:05 AM", "59"},
        {LocalTime(2026, 12, 5, 12, 0, 0), "05-Dec-26", "12:00 PM", "0"},
        {LocalTime(2001, 1, 31, 9, 9, 10), "31-Jan-01", "09:09 AM", "10"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatMediumDate(c.at), c.mediumDate);
        EXPECT_EQ(FormatMediumTime(c.at), c.mediumTime);
        EXPECT_EQ(FormatSeconds(c.at), c.seconds);
    }
    EXPECT_EQ(FormatLongDate(LocalTime(2026, 12, 5, 10, 0, 0)), "Saturday, December 5, 2026");
}

TEST(QtLocaleFormats, LabelFormatsFollowTheLocale) {
    const QtLocaleFormats formats;
    const ScopedLocale english;
    EXPECT_EQ(formats.mediumDate(LocalTime(2026, 12, 5, 21, 47, 3)), "05-Dec-26");
    EXPECT_EQ(formats.mediumTime(LocalTime(2026, 12, 5, 21, 47, 3)), "09:47 PM");
    EXPECT_EQ(formats.decimalSeparator(), '.');
    const ScopedLocale german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(formats.decimalSeparator(), ',');
}

TEST(SystemColors, PlainValuesPassAndReferencesUseThePalette) {
    const QPalette saved = QApplication::palette();
    QPalette pinned = saved;
    pinned.setColor(QPalette::Button, QColor(192, 192, 192));
    pinned.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    pinned.setColor(QPalette::Window, QColor(1, 2, 3));
    QApplication::setPalette(pinned);

    EXPECT_EQ(TranslateColor(0x00123456u), 0x00123456u);
    EXPECT_EQ(TranslateColor(0x7F123456u), 0x00123456u);
    EXPECT_EQ(TranslateColor(SystemColor::ButtonFace), 0x00C0C0C0u);
    EXPECT_EQ(TranslateColor(SystemColor::HighlightText), 0x00FFFFFFu);
    EXPECT_EQ(TranslateColor(SystemColor::MenuBar), 0x00030201u);
    EXPECT_EQ(TranslateColor(0x800000FFu), 0u);

    QApplication::setPalette(saved);
}

TEST(FormFont, ClassicFamiliesAreAskedForByTheirInstalledSubstitute) {
    // The fonts that scripts/bootstrap installs.
    const struct {
        const char* family;
        bool bold;
        bool italic;
        const char* used;
    } cases[] = {
        {"MS Sans Serif", false, false, "Liberation Sans"}, {"MS Sans Serif", false, true, "Liberation Sans"},
        {"Arial", true, false, "Liberation Sans"},          {"Arial Black", false, false, "Liberation Sans"},
        {"Comic Sans MS", true, false, "Comic Neue"},       {"DejaVu Sans", false, false, "DejaVu Sans"},
    };
    for (const auto& c : cases) {
        const QFont font = FormFont(c.family, 12, c.bold, c.italic);
        // Asked for by the installed name, the font matches at once, without the system's fallbacks.
        EXPECT_EQ(font.family(), c.used) << c.family;
        EXPECT_EQ(QFontInfo(font).family(), c.used) << c.family;
        EXPECT_EQ(font.pointSizeF(), 12);
        EXPECT_EQ(font.bold(), c.bold);
        EXPECT_EQ(font.italic(), c.italic);
    }
    // A font made from a classic face name elsewhere finds the same substitute.
    EXPECT_EQ(QFontInfo(QFont("Comic Sans MS")).family(), "Comic Neue");
}

} // namespace
