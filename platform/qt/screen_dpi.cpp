#include "screen_dpi.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace varno::platform {

Dpi logicalDpi(const QWidget* widget)
{
    const QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return {screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()};
}

bool windowPositionKnown()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace varno::platform
