#include "qt_colours.h"

namespace varno::platform {

namespace {

// The closest palette role for each classic system colour index.
QPalette::ColorRole systemRole(int index)
{
    switch (index) {
    case 5: return QPalette::Base;                // window
    case 7: case 8: return QPalette::WindowText;  // menu text, window text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 16: return QPalette::Mid;                // button shadow
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;              // button highlight
    case 21: return QPalette::Shadow;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    case 15: return QPalette::Button;             // button face
    default: return QPalette::Window;             // borders, menus, workspace
    }
}

}  // namespace

QColor toQColor(Colour colour, const QPalette& palette)
{
    if (isSystemColour(colour))
        return palette.color(QPalette::Active, systemRole(systemColourIndex(colour)));
    return QColor(redOf(colour), greenOf(colour), blueOf(colour));
}

Colour fromQColor(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return rgbColour(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

}  // namespace varno::platform
