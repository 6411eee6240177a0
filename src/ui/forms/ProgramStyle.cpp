#include "ui/forms/ProgramStyle.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>
#include <QStyleOption>
#include <qdrawutil.h>

#include <array>

namespace {

const QString Pictures = QStringLiteral(":/qt-project.org/styles/commonstyle/images/");

// A PNG read by Qt's own reader, with no plugin asked.
QPixmap ReadPng(const QString& name) {
    QImageReader reader(Pictures + name, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace

ProgramStyle::ProgramStyle(QStyle* base)
    : QProxyStyle(base), m_fusion(baseStyle()->name().compare("fusion", Qt::CaseInsensitive) == 0) {}

QIcon ProgramStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    const bool horizontal = icon == SP_ToolBarHorizontalExtensionButton;
    if (!m_fusion || (!horizontal && icon != SP_ToolBarVerticalExtensionButton)) {
        return QProxyStyle::standardIcon(icon, option, widget);
    }
    const bool rightToLeft = option ? option->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
    const QString name = horizontal ? (rightToLeft ? "toolbar-ext-h-rtl-%1.png" : "toolbar-ext-h-%1.png")
                                    : QStringLiteral("toolbar-ext-v-%1.png");
    QIcon chevrons;
    const std::array<int, 3> sizes = horizontal ? std::array{8, 16, 32} : std::array{5, 10, 20};
    for (const int size : sizes) {
        chevrons.addPixmap(ReadPng(name.arg(size)));
    }
    return chevrons;
}

void ProgramStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    if (element != PE_FrameGroupBox || !m_fusion) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    if (m_groupBoxFrame.isNull()) {
        m_groupBoxFrame = ReadPng("fusion_groupbox.png");
    }
    // Fusion's own frame: below the title's line, or a small margin when there is no title.
    constexpr int TopMargin = 3;
    const auto* box = qobject_cast<const QGroupBox*>(widget);
    const int top =
        box && !box->isCheckable() && box->title().isEmpty()
            ? TopMargin
            : qMax(pixelMetric(PM_ExclusiveIndicatorHeight), option->fontMetrics.height()) + TopMargin;
    qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), QMargins(6, 6, 6, 6), m_groupBoxFrame);
}
