#include "forms/PictureBox.h"

#include "forms/Screen.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    m_image = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_image.fill(palette().color(backgroundRole()));
}

double PictureBox::heightTwips() const {
    return height() * TwipsPerPixelY();
}
double PictureBox::widthTwips() const {
    return width() * TwipsPerPixelX();
}

void PictureBox::setHeightTwips(double twips) {
    resize(width(), TwipsToPixelsY(twips));
}
void PictureBox::setWidthTwips(double twips) {
    resize(TwipsToPixelsX(twips), height());
}

void PictureBox::Refresh() {
    repaint();
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // Scaled to the box so that a painter of higher resolution (a printer) gets the whole image.
    painter.drawImage(QRectF(rect()), m_image, QRectF(QPointF(0, 0), QSizeF(size())));
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    // Keep what was drawn; new area takes the background colour.
    const QSize wanted = event->size().expandedTo(QSize(1, 1));
    if (wanted.width() > m_image.width() || wanted.height() > m_image.height()) {
        QImage grown(wanted.expandedTo(m_image.size()), QImage::Format_RGB32);
        grown.fill(palette().color(backgroundRole()));
        QPainter painter(&grown);
        painter.drawImage(0, 0, m_image);
        painter.end();
        m_image = std::move(grown);
    }
    QWidget::resizeEvent(event);
}
