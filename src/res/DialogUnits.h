#pragma once

#include <QFont>
#include <QRect>

namespace res {

struct DialogTemplate;

// The horizontal and vertical base units of a dialog font: the average width
// of its letters and its height, in pixels.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};

// a * b / c rounded half away from zero, as dialog-unit arithmetic needs.
int MulDiv(int a, int b, int c);

// The base units of a font: average width of the 52 Latin letters, line height.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// A rectangle in dialog units converted to pixels (x·baseX/4, y·baseY/8).
QRect DialogToPixels(const QRect& dlu, DialogBaseUnits base);

// The font a template is laid out with: a sans-serif face that holds Hangul,
// at the template's point size for a 96-dpi screen.
QFont DialogFont(const DialogTemplate& dlg);

}  // namespace res
