#include "forms/Geometry.h"

#include "forms/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void PlaceTwips(QWidget& widget, int left, int top, int width, int height) {
    widget.setGeometry(TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width),
                       TwipsToPixelsY(height));
}

void FixClientSizeTwips(QWidget& window, int width, int height) {
    window.setFixedSize(TwipsToPixelsX(width), TwipsToPixelsY(height));
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

QFont FormFont(const QString& family, double points, bool bold, bool italic) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    // Old Windows families (MS Sans Serif, Arial Black) map to the nearest installed one.
    font.setStyleHint(QFont::SansSerif, QFont::PreferMatch);
    return font;
}
