#include "forms/PrintWindow.h"

#include "forms/Screen.h"

#include <QPainter>
#include <QPrinter>
#include <QWidget>

bool PrintWindow(QWidget& window, QPrinter& printer) {
    printer.setFullPage(false); // the painter's origin is the top left of the printable area
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    // One screen pixel is TwipsPerPixel twips; one inch is 1440 twips and printer.resolution() dots.
    const double dotsPerTwip = printer.resolution() / 1440.0;
    painter.scale(TwipsPerPixelX() * dotsPerTwip, TwipsPerPixelY() * dotsPerTwip);
    window.render(&painter, QPoint(), QRegion(window.rect()),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return painter.end();
}
