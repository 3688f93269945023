#include "res/DialogUnits.h"

#include <QFontMetrics>
#include <cstdlib>

#include "res/DialogTemplate.h"

namespace res {

int MulDiv(int a, int b, int c) {
    const long long n = static_cast<long long>(a) * b;
    const long long q = (std::llabs(n) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<int>(((n < 0) != (c < 0)) ? -q : q);
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, fm.height()};
}

QRect DialogToPixels(const QRect& dlu, DialogBaseUnits base) {
    return {MulDiv(dlu.x(), base.x, 4), MulDiv(dlu.y(), base.y, 8), MulDiv(dlu.width(), base.x, 4),
            MulDiv(dlu.height(), base.y, 8)};
}

QFont DialogFont(const DialogTemplate& dlg) {
    // The templates name a Windows shell font; NanumGothic is the installed
    // face closest to it that also carries the Korean captions.
    QFont font(QStringLiteral("NanumGothic"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(MulDiv(dlg.fontPoints, 96, 72));
    font.setWeight(dlg.fontWeight >= 700 ? QFont::Bold : QFont::Normal);
    return font;
}

}  // namespace res
