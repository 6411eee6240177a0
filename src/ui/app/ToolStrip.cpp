#include "ui/app/ToolStrip.h"

#include "ui/forms/Geometry.h"
#include "ui/forms/Screen.h"
#include "ui/resources/Artwork.h"

#include <QMouseEvent>

namespace {

// The bitmaps are drawn for 15 twips per pixel; scale them so positions stay right at other densities.
QPixmap ScaledForScreen(const QImage& image) {
    const double factor = 15.0 / TwipsPerPixelX();
    if (factor > 0.99 && factor < 1.01) {
        return QPixmap::fromImage(image);
    }
    return QPixmap::fromImage(image.scaled(qRound(image.width() * factor), qRound(image.height() * factor),
                                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace

ToolStrip::ToolStrip(QWidget* parent) : QLabel(parent) {
    setObjectName("pTools");
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setPixmap(ScaledForScreen(Artwork::ToolbarStrip()));
    setMouseTracking(true);
    PlaceTwips(*this, 0, 0, 8655, 675);

    imRaised = new QLabel(this);
    imRaised->setObjectName("imRaised");
    imRaised->setAttribute(Qt::WA_TransparentForMouseEvents);
    PlaceTwips(*imRaised, 225, 30, 1650, 675);
}

void ToolStrip::pTools_MouseMove(double x, double y) {
    applyMove(tracker.MouseMove(x, y, width() * TwipsPerPixelX(), height() * TwipsPerPixelY()));
}

void ToolStrip::pTools_MouseUp() {
    takeMouse();
}

void ToolStrip::pTools_Click() {
    const int button = tracker.ClickCommand();
    if (button != 0) {
        // The command's window needs the mouse; the strip takes it again at the next move.
        giveMouseBack();
        tracker.MouseCaptured = false;
        emit command(button);
    }
    tracker.ClickDone();
    imRaised->clear();
}

void ToolStrip::applyMove(const ToolbarTracker::MoveResult& move) {
    if (move.takeCapture) {
        takeMouse();
    }
    if (move.clearLit) {
        imRaised->clear();
    }
    if (move.releaseCapture) {
        giveMouseBack();
    }
    if (move.light != 0) {
        imRaised->move(TwipsToPixelsX(ToolbarTracker::ButtonLeft(move.light)), imRaised->y());
        // Drawn when the button first lights, not with the window: most runs light few of them.
        QPixmap& lit = m_lit[static_cast<std::size_t>(move.light)];
        if (lit.isNull()) {
            lit = ScaledForScreen(Artwork::ToolbarLit(move.light));
        }
        imRaised->setPixmap(lit);
    }
}

void ToolStrip::takeMouse() {
    if (isVisible() && QWidget::mouseGrabber() != this) {
        grabMouse();
    }
}

void ToolStrip::giveMouseBack() {
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
}

void ToolStrip::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    pTools_MouseMove(p.x() * TwipsPerPixelX(), p.y() * TwipsPerPixelY());
}

void ToolStrip::mousePressEvent(QMouseEvent* event) {
    m_pressed = rect().contains(event->position().toPoint());
}

void ToolStrip::mouseReleaseEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    pTools_MouseUp();
    if (m_pressed && inside) {
        m_pressed = false;
        pTools_Click();
    }
    m_pressed = false;
}

void ToolStrip::leaveEvent(QEvent* event) {
    // Where the grab is not honoured, leaving the strip still turns the lit picture off.
    if (tracker.HotButton != 0 || tracker.MouseCaptured) {
        pTools_MouseMove(-1, -1);
    }
    QLabel::leaveEvent(event);
}
