#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace varno::platform {

// 0x00BBGGRR, or a system colour index when the top bit is set; system
// colours are taken from `palette`.
QColor ToQColor(std::uint32_t colour, const QPalette& palette);
std::uint32_t FromQColor(const QColor& colour);

}  // namespace varno::platform
