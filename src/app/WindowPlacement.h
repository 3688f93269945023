#pragma once

#include <QRect>

namespace app {

// The window's rectangle made to fit the available screen area: no larger
// than it, and moved inside it when it reaches past an edge.
QRect FitInto(const QRect& window, const QRect& available);

}  // namespace app
