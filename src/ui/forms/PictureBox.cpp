#include "ui/forms/PictureBox.h"

#include "ui/forms/Screen.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    fitImage();
}

QImage& PictureBox::image() {
    fitImage();
    return m_image;
}

const QImage& PictureBox::image() const {
    fitImage();
    return m_image;
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
    fitImage();
    QPainter painter(this);
    // Scaled to the box so that a painter of higher resolution (a printer) gets the whole image.
    painter.drawImage(QRectF(rect()), m_image);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    fitImage();
    QWidget::resizeEvent(event);
}

void PictureBox::fitImage() const {
    // A hidden widget gets its resize event only when shown, so the image follows size() on every use.
    // What was drawn stays where old and new size overlap; new area takes the background color.
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (wanted == m_image.size()) {
        return;
    }
    QImage resized(wanted, QImage::Format_RGB32);
    resized.fill(palette().color(backgroundRole()));
    if (!m_image.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, m_image);
    }
    m_image = std::move(resized);
}
