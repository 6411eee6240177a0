#include "support/GoldenImage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

QString ReferenceFolder() {
    const char* source = std::getenv("TESSALINE_SOURCE_DIR");
    return QString::fromLocal8Bit(source != nullptr ? source : TESSALINE_SOURCE_FALLBACK) + "/tests/golden";
}

bool Updating() {
    const char* update = std::getenv("TESSALINE_GOLDEN_UPDATE");
    return update != nullptr && std::strcmp(update, "1") == 0;
}

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= GoldenChannelTolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= GoldenChannelTolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= GoldenChannelTolerance &&
           std::abs(qAlpha(a) - qAlpha(b)) <= GoldenChannelTolerance;
}

} // namespace

ImageComparison CompareImages(const QImage& expected, const QImage& actual) {
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    ImageComparison result;
    result.diff = QImage(e.size().expandedTo(a.size()), QImage::Format_RGB32);
    for (int y = 0; y < result.diff.height(); ++y) {
        for (int x = 0; x < result.diff.width(); ++x) {
            const bool inE = e.valid(x, y);
            const bool inA = a.valid(x, y);
            if (inE && inA && Near(e.pixel(x, y), a.pixel(x, y))) {
                const int grey = 192 + qGray(e.pixel(x, y)) / 4;
                result.diff.setPixel(x, y, qRgb(grey, grey, grey));
            } else {
                ++result.differing;
                result.diff.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
    }
    return result;
}

::testing::AssertionResult MatchesGolden(const QImage& actual, const std::string& name) {
    if (actual.isNull()) {
        return ::testing::AssertionFailure() << name << ": nothing was drawn";
    }
    const QString file = ReferenceFolder() + "/" + QString::fromStdString(name) + ".png";
    const QImage expected(file);
    if (Updating()) {
        // Only a changed picture is written, so that an unchanged window leaves its file alone; at the
        // strongest compression, as the pictures are committed.
        if (expected.convertToFormat(QImage::Format_ARGB32) != actual.convertToFormat(QImage::Format_ARGB32)) {
            if (!actual.save(file, "PNG", 0)) {
                return ::testing::AssertionFailure() << "cannot write " << file.toStdString();
            }
            std::cout << "golden: wrote " << file.toStdString() << "\n";
        }
        return ::testing::AssertionSuccess();
    }
    const ImageComparison comparison = CompareImages(expected, actual);
    const QString failures = QStringLiteral(TESSALINE_GOLDEN_FAILURES);
    const QString base = failures + "/" + QString::fromStdString(name);
    if (comparison.matches()) {
        // A failure's pictures from an earlier run would only mislead.
        QFile::remove(base + ".actual.png");
        QFile::remove(base + ".diff.png");
        return ::testing::AssertionSuccess();
    }
    QDir().mkpath(failures);
    actual.save(base + ".actual.png", "PNG");
    comparison.diff.save(base + ".diff.png", "PNG");
    auto failure = ::testing::AssertionFailure();
    failure << name << ": " << comparison.differing << " pixels differ (" << GoldenPixelsAllowed << " allowed)";
    if (expected.isNull()) {
        failure << "; no reference " << file.toStdString();
    } else if (expected.size() != actual.size()) {
        failure << "; size " << actual.width() << "x" << actual.height() << ", reference " << expected.width()
                << "x" << expected.height();
    }
    return failure << "\n  actual: " << base.toStdString() << ".actual.png\n  diff:   " << base.toStdString()
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
