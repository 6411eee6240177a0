#include "ui/resources/Artwork.h"

#include "ui/forms/Geometry.h"

#include <QPainter>

namespace {

// One 3.5-inch style disk: a rounded square with a shutter and a label patch.
void PaintDisk(QPainter& p, const QRectF& r, const QColor& body) {
    p.setPen(QPen(body.darker(160), r.width() / 24.0));
    p.setBrush(body);
    p.drawRoundedRect(r, r.width() / 10.0, r.width() / 10.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(r.left() + r.width() * 0.3, r.top(), r.width() * 0.4, r.height() * 0.32));
    p.setBrush(QColor(250, 250, 240));
    p.drawRect(
        QRectF(r.left() + r.width() * 0.18, r.top() + r.height() * 0.5, r.width() * 0.64, r.height() * 0.42));
}

QImage PaintLogo(int size, const QColor& card) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    // The window card behind: a title bar and a pale body.
    const QRectF cardRect(s * 0.04, s * 0.04, s * 0.80, s * 0.66);
    p.setPen(QPen(QColor(40, 40, 60), s / 32.0));
    p.setBrush(QColor(245, 245, 250));
    p.drawRect(cardRect);
    p.setPen(Qt::NoPen);
    p.setBrush(card);
    p.drawRect(QRectF(cardRect.left(), cardRect.top(), cardRect.width(), s * 0.14));
    // Three disks fanned in front of it.
    const double d = s * 0.46;
    PaintDisk(p, QRectF(s * 0.02, s * 0.50, d, d), QColor(200, 30, 40));
    PaintDisk(p, QRectF(s * 0.27, s * 0.42, d, d), QColor(30, 140, 50));
    PaintDisk(p, QRectF(s * 0.52, s * 0.50, d, d), QColor(30, 60, 190));
    return image;
}

QIcon IconWith(const QColor& card) {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        icon.addPixmap(QPixmap::fromImage(PaintLogo(size, card)));
    }
    return icon;
}

// Toolbar bitmaps are drawn at 15 twips per pixel: buttons start every 1680 twips from 500.
constexpr int StripWidth = 580;
constexpr int StripHeight = 45;
constexpr int LitWidth = 110;
const QColor CaptionYellow(255, 230, 0);

// The windows' own bold face, which the forms have loaded already: one font file fewer in memory.
QFont CaptionFont() {
    QFont font = FormFont("Arial", 8.25, true);
    font.setPixelSize(13);
    return font;
}

int ButtonLeftPixels(int button) {
    return (500 + (button - 1) * 1680) / 15;
}

} // namespace

namespace Artwork {

const char* ToolbarCaption(int button) {
    static const char* const captions[] = {"", "Configure", "Examine Disk", "Print Label", "Quit"};
    return button >= 1 && button <= 4 ? captions[button] : "";
}

QImage ToolbarStrip() {
    QImage image(StripWidth, StripHeight, QImage::Format_RGB32);
    // A fixed pseudo-random speckle keeps the texture the same on every run.
    quint32 seed = 0x2545F491u;
    for (int y = 0; y < StripHeight; ++y) {
        for (int x = 0; x < StripWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int shade = 176 + static_cast<int>((seed >> 24) % 24);
            image.setPixel(x, y, qRgb(shade, shade, shade + 4));
        }
    }
    QPainter p(&image);
    // Grip: two raised bars at the left edge.
    for (int bar = 0; bar < 2; ++bar) {
        const int x = 6 + bar * 5;
        p.setPen(QColor(255, 255, 255));
        p.drawLine(x, 5, x, StripHeight - 6);
        p.setPen(QColor(96, 96, 96));
        p.drawLine(x + 1, 5, x + 1, StripHeight - 6);
    }
    p.setFont(CaptionFont());
    p.setPen(CaptionYellow);
    for (int b = 1; b <= 4; ++b) {
        p.drawText(QRect(ButtonLeftPixels(b), 0, LitWidth, StripHeight), Qt::AlignCenter, ToolbarCaption(b));
    }
    return image;
}

QImage ToolbarLit(int button) {
    QImage image(LitWidth, StripHeight, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 128));
    QPainter p(&image);
    p.setPen(QColor(64, 64, 192));
    p.drawRect(0, 0, LitWidth - 1, StripHeight - 1);
    p.setFont(CaptionFont());
    p.setPen(CaptionYellow);
    p.drawText(QRect(0, 0, LitWidth, StripHeight), Qt::AlignCenter, ToolbarCaption(button));
    return image;
}

QImage Logo(int size) {
    return PaintLogo(size, QColor(0, 0, 128));
}
QIcon MainIcon() {
    return IconWith(QColor(0, 0, 128));
}
QIcon AboutIcon() {
    return IconWith(QColor(0, 128, 128));
}
QIcon SplashIcon() {
    // Never seen (the splash has no title bar): one size gives it an icon.
    return QIcon(QPixmap::fromImage(PaintLogo(32, QColor(128, 0, 128))));
}

} // namespace Artwork
