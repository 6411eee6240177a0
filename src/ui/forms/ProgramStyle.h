#pragma once

#include <QPixmap>
#include <QProxyStyle>

// The program's style: the user's style, except that the few pictures the main window needs from it
// (the group box's frame, the chevron of the menu bar's extension button) are read as the PNGs they are.
// The style reads them through QImageReader with no format fixed, which first loads every image-format
// plugin (and libjpeg with them) to ask each whether it reads PNG: 0.2 MB before the main window shows.
// The pictures and where they go are Qt's own, so that nothing looks different.
class ProgramStyle final : public QProxyStyle {
public:
    // Takes `base` over, as QProxyStyle does.
    explicit ProgramStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    bool m_fusion;
    mutable QPixmap m_groupBoxFrame;
};
