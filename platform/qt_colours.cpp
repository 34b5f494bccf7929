#include "qt_colours.h"

namespace varno::platform {

namespace {

// The closest palette role for each classic system colour index.
QPalette::ColorRole SystemRole(std::uint32_t index)
{
    switch (index) {
    case 5: return QPalette::Base;              // window
    case 7: case 8: return QPalette::WindowText;  // menu text, window text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 16: return QPalette::Mid;               // button shadow
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;             // button highlight
    case 21: return QPalette::Shadow;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    case 15: return QPalette::Button;            // button face
    default: return QPalette::Window;            // borders, menus, workspace
    }
}

}  // namespace

QColor ToQColor(std::uint32_t colour, const QPalette& palette)
{
    if (colour & 0x80000000u)
        return palette.color(QPalette::Active, SystemRole(colour & 0xFFu));
    return QColor(colour & 0xFFu, (colour >> 8) & 0xFFu, (colour >> 16) & 0xFFu);
}

std::uint32_t FromQColor(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return static_cast<std::uint32_t>(qRed(rgb)) | static_cast<std::uint32_t>(qGreen(rgb)) << 8 |
           static_cast<std::uint32_t>(qBlue(rgb)) << 16;
}

}  // namespace varno::platform
