#include "app/WindowPlacement.h"

#include <algorithm>

namespace app {

QRect FitInto(const QRect& window, const QRect& available) {
    if (!available.isValid()) return window;
    QRect fitted(window.topLeft(), window.size().boundedTo(available.size()));
    fitted.moveLeft(std::clamp(fitted.left(), available.left(), available.right() - fitted.width() + 1));
    fitted.moveTop(std::clamp(fitted.top(), available.top(), available.bottom() - fitted.height() + 1));
    return fitted;
}

}  // namespace app
