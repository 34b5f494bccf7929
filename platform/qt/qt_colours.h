#pragma once

#include <QColor>
#include <QPalette>
#include "core/colour.h"

namespace varno::platform {

// 0x00BBGGRR, or a system colour index when the top bit is set; system
// colours are taken from `palette`.
QColor toQColor(Colour colour, const QPalette& palette);
Colour fromQColor(const QColor& colour);

}  // namespace varno::platform
