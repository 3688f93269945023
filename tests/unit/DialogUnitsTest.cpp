#include <gtest/gtest.h>

#include <QFont>

#include "res/DialogTemplate.h"
#include "res/DialogUnits.h"

using res::DialogBaseUnits;
using res::DialogToPixels;
using res::MulDiv;

TEST(DialogUnits, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(7, 6, 4), 11);    // 10.5
    EXPECT_EQ(MulDiv(5, 6, 4), 8);     // 7.5
    EXPECT_EQ(MulDiv(1, 1, 4), 0);     // 0.25
    EXPECT_EQ(MulDiv(-7, 6, 4), -11);  // -10.5
    EXPECT_EQ(MulDiv(-469, 6, 4), -704);
    EXPECT_EQ(MulDiv(7, -6, 4), -11);
    EXPECT_EQ(MulDiv(0, 6, 4), 0);
}

TEST(DialogUnits, RectangleConvertsEachEdgeWithItsOwnBase) {
    const DialogBaseUnits base{6, 13};
    // The RF page's "Connect" button, and the in-place editor placed off the page.
    EXPECT_EQ(DialogToPixels(QRect(499, 21, 50, 14), base), QRect(749, 34, 75, 23));
    EXPECT_EQ(DialogToPixels(QRect(-469, 214, 40, 14), base), QRect(-704, 348, 60, 23));
}

TEST(DialogUnits, BaseUnitsGrowWithTheFont) {
    const QFont small = res::DialogFont(res::Template(res::kTemplateRfConfig));
    const QFont large = res::DialogFont(res::Template(res::kTemplateMain));
    EXPECT_EQ(small.pixelSize(), 11);  // 8 points on a 96-dpi screen
    EXPECT_EQ(large.pixelSize(), 12);  // 9 points
    const DialogBaseUnits s = res::BaseUnitsOf(small);
    const DialogBaseUnits l = res::BaseUnitsOf(large);
    EXPECT_GT(s.x, 0);
    EXPECT_GT(s.y, s.x);
    EXPECT_GE(l.x, s.x);
    EXPECT_GT(l.y, s.y);
}
