#pragma once

#include "core/app/ToolbarTracker.h"

#include <QImage>
#include <QLabel>

#include <array>

// The picture toolbar `pTools`: one strip bitmap, a lit picture `imRaised` moved over the button under
// the pointer, and a click that runs the lit button's command.
class ToolStrip final : public QLabel {
    Q_OBJECT
public:
    explicit ToolStrip(QWidget* parent);

    // Pointer events in the strip's twips; the Qt mouse events land here too.
    void pTools_MouseMove(double x, double y);
    void pTools_MouseUp();
    void pTools_Click();

    QLabel* imRaised = nullptr;
    ToolbarTracker tracker;

signals:
    // Button 1..4 was clicked: Configure, Examine Disk, Print Label, Quit.
    void command(int button);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void applyMove(const ToolbarTracker::MoveResult& move);
    void takeMouse();
    void giveMouseBack();

    std::array<QPixmap, 5> m_lit; // ImTools(1..4), each drawn when it first lights; index 0 holds none
    bool m_pressed = false;
};
