#include "ui/forms/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

std::uint32_t ToBgr(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

} // namespace

std::uint32_t TranslateColor(std::uint32_t color) {
    if ((color & 0x80000000u) == 0) {
        return color & 0x00FFFFFFu;
    }
    const QPalette palette = QGuiApplication::palette();
    switch (color & 0xFFu) {
    case 0x04: // menu
        return ToBgr(palette.color(QPalette::Active, QPalette::Window));
    case 0x05: // window
        return ToBgr(palette.color(QPalette::Active, QPalette::Base));
    case 0x08: // window text
        return ToBgr(palette.color(QPalette::Active, QPalette::Text));
    case 0x0A: // active border
        return ToBgr(palette.color(QPalette::Active, QPalette::Mid));
    case 0x0E: // highlight text
        return ToBgr(palette.color(QPalette::Active, QPalette::HighlightedText));
    case 0x0F: // button face
        return ToBgr(palette.color(QPalette::Active, QPalette::Button));
    default:
        return 0;
    }
}
