#pragma once

#include <QIcon>

namespace res {

// The application icon: a gateway mast sending radio waves, drawn at the
// sizes a desktop asks for.
QIcon AppIcon();

}  // namespace res
