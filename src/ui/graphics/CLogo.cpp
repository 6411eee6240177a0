#include "ui/graphics/CLogo.h"

#include "core/runtime/RuntimeError.h"
#include "ui/forms/PictureBox.h"
#include "ui/forms/Screen.h"
#include "ui/forms/SystemColors.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

// Beyond this the rasteriser is asked for glyphs larger than any surface we draw on; treated like a font
// the platform refuses to make.
constexpr int LargestFontPixels = 16384;

std::optional<QFont> CreateLogoFont(const LogoFontRecord& record) {
    if (std::abs(static_cast<long long>(record.height)) > LargestFontPixels) {
        return std::nullopt;
    }
    QFont font(QString::fromLatin1(record.faceName.data()));
    // A negative height is the character height, a positive one the cell height; 0 keeps the default.
    if (record.height != 0) {
        font.setPixelSize(std::abs(record.height));
    }
    if (record.weight > 0) {
        font.setWeight(static_cast<QFont::Weight>(std::min(record.weight, 1000)));
    }
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    font.setStyleStrategy(record.quality == AntialiasedQuality ? QFont::PreferAntialias
                                                               : QFont::PreferDefault);
    return font;
}

QColor ColorOf(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                  static_cast<int>((bgr >> 16) & 0xFFu));
}

} // namespace

CLogo::CLogo() {
    setStartColor(0);
    setEndColor(SystemColor::ButtonFace);
}

void CLogo::setCaption(const std::string& sCaption) {
    m_Caption = sCaption;
}

std::string CLogo::Caption() const {
    return m_Caption;
}

void CLogo::setDrawingObject(PictureBox* picThis) {
    m_DrawingObject = picThis;
}

std::uint32_t CLogo::StartColor() const {
    return m_StartColor;
}

void CLogo::setStartColor(std::uint32_t oColor) {
    if (oColor == m_StartColor) {
        return;
    }
    m_StartColor = oColor;
    m_StartRGB = RgbFromColorValue(TranslateColor(oColor));
    if (m_DrawingObject) {
        Draw();
    }
}

std::uint32_t CLogo::EndColor() const {
    return m_EndColor;
}

void CLogo::setEndColor(std::uint32_t oColor) {
    if (oColor == m_EndColor) {
        return;
    }
    m_EndColor = oColor;
    m_EndRGB = RgbFromColorValue(TranslateColor(oColor));
    if (m_DrawingObject) {
        Draw();
    }
}

void CLogo::Draw() {
    try {
        PictureBox* target = m_DrawingObject.data();
        if (target == nullptr) {
            throw RuntimeError(RuntimeError::ObjectRequired);
        }
        const LogoGeometry geometry =
            PlanLogoGeometry(target->heightTwips(), target->widthTwips(), TwipsPerPixelX(), TwipsPerPixelY());

        // Bands go straight onto the persistent image, so those painted before a failure stay.
        QPainter painter(&target->image());
        ForEachLogoBand(geometry, m_StartRGB, m_EndRGB, [&painter](const LogoBand& band) {
            painter.fillRect(QRect(band.left, band.top, band.right - band.left, band.bottom - band.top),
                             ColorOf(band.color));
        });

        LogoFontRecord record{};
        FillLogFont(target->font(), target->logicalDpiY(), record);
        record.escapement = UpwardEscapement;

        if (const std::optional<QFont> font = CreateLogoFont(record)) {
            // The text stops at a NUL, as a C string would.
            const std::string caption = m_Caption.substr(0, m_Caption.find('\0'));
            const LogoPoint origin = LogoCaptionOrigin(geometry);
            painter.save();
            painter.setFont(*font);
            painter.setPen(ColorOf(TranslateColor(target->foreColor())));
            painter.setBackgroundMode(Qt::TransparentMode);
            painter.translate(origin.x, origin.y);
            // Escapement is counter-clockwise in tenths of a degree; the caption reads bottom to top.
            painter.rotate(-record.escapement / 10.0);
            // The origin is the top-left of the text cell, not the baseline.
            const QFontMetricsF metrics(*font, &target->image());
            painter.drawText(QPointF(0, metrics.ascent()), QString::fromStdString(caption));
            painter.restore();
        }
        painter.end();
        target->Refresh();
    } catch (const RuntimeError&) {
        // Drawing never reports a failure; what was painted so far stays.
    }
}

void CLogo::FillLogFont(const QFont& font, int dpi, LogoFontRecord& record) const {
    LogoFontSource source;
    source.name = font.family().toLatin1().toStdString();
    source.points =
        font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / (dpi > 0 ? dpi : 96);
    source.bold = font.bold();
    source.italic = font.italic();
    source.underline = font.underline();
    source.strikethrough = font.strikeOut();
    // Qt fonts carry no character set; the Western one stands for them.
    source.charset = 0;
    const LogoFontRecord filled = MakeLogoFontRecord(source, dpi);
    // The caller hands in a zero-filled record; only what the font says is written.
    record.faceName = filled.faceName;
    record.height = filled.height;
    record.italic = filled.italic;
    record.weight = filled.weight;
    record.underline = filled.underline;
    record.strikeOut = filled.strikeOut;
    record.charSet = filled.charSet;
    record.quality = filled.quality;
}
