#include "support/GoldenImage.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>

#include <clocale>
#include <cstdlib>
#include <iostream>

int DifferingPixels(const QImage& expected, const QImage& actual, QImage* diff) {
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const auto near = [](int x, int y) { return std::abs(x - y) <= GoldenChannelTolerance; };
    QImage marked(e.size().expandedTo(a.size()), QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < marked.height(); ++y) {
        for (int x = 0; x < marked.width(); ++x) {
            const QRgb p = e.valid(x, y) ? e.pixel(x, y) : 0;
            const QRgb q = a.valid(x, y) ? a.pixel(x, y) : 0;
            const bool same = e.valid(x, y) && a.valid(x, y) && near(qRed(p), qRed(q)) &&
                              near(qGreen(p), qGreen(q)) && near(qBlue(p), qBlue(q)) &&
                              near(qAlpha(p), qAlpha(q));
            differing += same ? 0 : 1;
            const int grey = 192 + qGray(p) / 4;
            marked.setPixel(x, y, same ? qRgb(grey, grey, grey) : qRgb(255, 0, 0));
        }
    }
    if (diff != nullptr) {
        *diff = marked;
    }
    return differing;
}

::testing::AssertionResult MatchesGolden(const QImage& actual, const std::string& name) {
    if (actual.isNull()) {
        return ::testing::AssertionFailure() << name << ": nothing was drawn";
    }
    const char* source = std::getenv("TESSALINE_SOURCE_DIR");
    const QString file = QString::fromLocal8Bit(source != nullptr ? source : TESSALINE_SOURCE_FALLBACK) +
                         "/tests/golden/" + QString::fromStdString(name) + ".png";
    const QImage expected(file);
    if (qEnvironmentVariable("TESSALINE_GOLDEN_UPDATE") == "1") {
        // Only a changed picture is written, at the strongest compression, as the pictures are committed.
        if (expected.convertToFormat(QImage::Format_ARGB32) !=
            actual.convertToFormat(QImage::Format_ARGB32)) {
            if (!actual.save(file, "PNG", 0)) {
                return ::testing::AssertionFailure() << "cannot write " << file.toStdString();
            }
            std::cout << "golden: wrote " << file.toStdString() << "\n";
        }
        return ::testing::AssertionSuccess();
    }
    QImage diff;
    const int differing = DifferingPixels(expected, actual, &diff);
    const QString base = QStringLiteral(TESSALINE_GOLDEN_FAILURES "/") + QString::fromStdString(name);
    // A failure's pictures from an earlier run would only mislead.
    QFile::remove(base + ".actual.png");
    QFile::remove(base + ".diff.png");
    if (differing <= GoldenPixelsAllowed) {
        return ::testing::AssertionSuccess();
    }
    QDir().mkpath(TESSALINE_GOLDEN_FAILURES);
    actual.save(base + ".actual.png", "PNG");
    diff.save(base + ".diff.png", "PNG");
    return ::testing::AssertionFailure()
           << name << ": " << differing << " pixels differ (" << GoldenPixelsAllowed << " allowed); picture "
           << actual.width() << "x" << actual.height() << ", reference " << expected.width() << "x"
           << expected.height() << (expected.isNull() ? " (missing: " + file.toStdString() + ")" : "")
           << "\n  actual: " << base.toStdString() << ".actual.png\n  diff:   " << base.toStdString()
           << ".diff.png\n  an intended change: scripts/golden";
}

::testing::AssertionResult PinLook() {
    QStyle* fusion = QStyleFactory::create("Fusion");
    if (fusion == nullptr) {
        return ::testing::AssertionFailure() << "no Fusion style";
    }
    QApplication::setStyle(fusion);
    QApplication::setPalette(fusion->standardPalette());
    QApplication::setFont(QFont("DejaVu Sans", 9));
    // A blinking cursor would be on or off depending on when the picture is taken.
    QApplication::setCursorFlashTime(0);
    // The label's date line comes from strftime, which follows the process locale.
    std::setlocale(LC_TIME, "C");
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || screen->logicalDotsPerInchX() != 96 || screen->logicalDotsPerInchY() != 96 ||
        screen->devicePixelRatio() != 1) {
        return ::testing::AssertionFailure() << "pictures need a 96 dpi screen at one device pixel per pixel";
    }
    return ::testing::AssertionSuccess();
}
