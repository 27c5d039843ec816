#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace widgets {

// The top-left corner that centres a window of size own over the rectangle outer: each
// coordinate is outer's edge + half of outer's extent - half of own extent, computed in
// floating point and truncated toward zero.
QPoint CentredOver(const QRect& outer, const QSize& own);

// Moves the window into the middle of its screen's available area.
void CentreOnScreen(QWidget& window);

}  // namespace widgets
