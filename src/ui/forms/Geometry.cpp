#include "ui/forms/Geometry.h"

#include "ui/forms/Screen.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <QWidget>

#include <vector>

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

struct ClassicFamily {
    const char* family;
    QStringList substitutes;
};

// The windows were laid out with the classic Windows families; they map to the metric-compatible or
// closest free families so that texts fit their boxes as designed.
const std::vector<ClassicFamily>& ClassicFamilies() {
    static const std::vector<ClassicFamily> families = {
        {"MS Sans Serif", {"Liberation Sans", "Arial", "Nimbus Sans", "DejaVu Sans"}},
        {"Arial", {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"}},
        {"Arial Black", {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"}},
        {"Arial Rounded MT Bold", {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"}},
        {"Comic Sans MS", {"Comic Neue", "Liberation Sans", "DejaVu Sans"}},
    };
    return families;
}

// Qt applies the substitutions only after the requested family fails to match, and first asks the
// system for its own fallbacks of that family (a fontconfig sort, a millisecond or so per font at
// start-up), so a form font names the installed family itself. The substitutions stay for fonts made
// from a face name elsewhere.
QString InstalledFamily(const QString& family) {
    static const bool substituted = [] {
        for (const ClassicFamily& classic : ClassicFamilies()) {
            QFont::insertSubstitutions(classic.family, classic.substitutes);
        }
        return true;
    }();
    (void)substituted;
    static const QStringList installed = QFontDatabase::families();
    static QHash<QString, QString> chosen;
    if (const auto known = chosen.constFind(family); known != chosen.constEnd()) {
        return *known;
    }
    QStringList candidates{family};
    for (const ClassicFamily& classic : ClassicFamilies()) {
        if (family.compare(QLatin1String(classic.family), Qt::CaseInsensitive) == 0) {
            candidates += classic.substitutes;
        }
    }
    QString result = family;
    for (const QString& candidate : candidates) {
        if (installed.contains(candidate, Qt::CaseInsensitive)) {
            result = candidate;
            break;
        }
    }
    chosen.insert(family, result);
    return result;
}

} // namespace

QFont FormFont(const QString& family, double points, bool bold, bool italic) {
    QFont font(InstalledFamily(family));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    // Old Windows families (MS Sans Serif, Arial Black) map to the nearest installed one.
    font.setStyleHint(QFont::SansSerif, QFont::PreferMatch);
    return font;
}
