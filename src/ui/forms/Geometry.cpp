#include "ui/forms/Geometry.h"

#include "ui/forms/Screen.h"

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

namespace {

// The windows were laid out with the classic Windows families; map them to the metric-compatible or
// closest free families so that texts fit their boxes as designed.
void substituteClassicFamilies() {
    QFont::insertSubstitutions("MS Sans Serif", {"Liberation Sans", "Arial", "Nimbus Sans", "DejaVu Sans"});
    QFont::insertSubstitutions("Arial", {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"});
    QFont::insertSubstitutions("Arial Black", {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"});
    QFont::insertSubstitutions("Arial Rounded MT Bold", {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"});
    QFont::insertSubstitutions("Comic Sans MS", {"Comic Neue", "Liberation Sans", "DejaVu Sans"});
}

} // namespace

QFont FormFont(const QString& family, double points, bool bold, bool italic) {
    static const bool substituted = (substituteClassicFamilies(), true);
    (void)substituted;
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    // Old Windows families (MS Sans Serif, Arial Black) map to the nearest installed one.
    font.setStyleHint(QFont::SansSerif, QFont::PreferMatch);
    return font;
}
