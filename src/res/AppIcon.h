#pragma once

#include <QIcon>
#include <QImage>

namespace res {

// The application icon: a gateway mast sending radio waves, drawn at the
// sizes a desktop asks for.
QIcon AppIcon();

// The icon drawn at one size, without a window system: the build writes the
// installed PNG icons from it.
QImage AppIconImage(int size);

}  // namespace res
