#pragma once

#include <QFont>
#include <QString>

class QWidget;

// Places a widget at a position and size given in twips, relative to its parent.
void PlaceTwips(QWidget& widget, int left, int top, int width, int height);
// Fixes a window's client area to a size given in twips.
void FixClientSizeTwips(QWidget& window, int width, int height);
// Centres a top-level window on the screen that holds it.
void CentreOnScreen(QWidget& window);
// A font by family and points: the family itself when installed, else its nearest installed substitute.
QFont FormFont(const QString& family, double points, bool bold = false, bool italic = false);
