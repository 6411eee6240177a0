#pragma once

#include "core/graphics/LogoPlan.h"

#include <QPointer>

#include <cstdint>
#include <string>

class PictureBox;
class QFont;

// Paints a vertical color gradient onto a picture box, from StartColor at the bottom to EndColor at the
// top, and writes the caption upward along it in the box's own font and text color.
class CLogo {
public:
    // Starts black to button face, with no target.
    CLogo();

    void setCaption(const std::string& sCaption);
    std::string Caption() const;

    // Shares the box with its owner; drawing stops quietly once the box is gone.
    void setDrawingObject(PictureBox* picThis);

    // Color values as last set (plain RGB or system-color references), not their translation.
    std::uint32_t StartColor() const;
    void setStartColor(std::uint32_t oColor);
    std::uint32_t EndColor() const;
    void setEndColor(std::uint32_t oColor);

    // Repaints the whole strip and refreshes the box. Never fails: a failure leaves the bands already
    // painted and skips the caption and the refresh.
    void Draw();

private:
    void FillLogFont(const QFont& font, int dpi, LogoFontRecord& record) const;

    QPointer<PictureBox> m_DrawingObject;
    std::string m_Caption;
    LogoRgb m_StartRGB;
    std::uint32_t m_StartColor = 0;
    LogoRgb m_EndRGB;
    std::uint32_t m_EndColor = 0;
};
