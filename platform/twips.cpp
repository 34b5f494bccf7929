#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace varno::platform {

namespace {

const QScreen* ScreenOf(const QWidget* widget)
{
    if (widget && widget->screen())
        return widget->screen();
    return QGuiApplication::primaryScreen();
}

}  // namespace

double LogicalDpiX(const QWidget* widget)
{
    const QScreen* screen = ScreenOf(widget);
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double LogicalDpiY(const QWidget* widget)
{
    const QScreen* screen = ScreenOf(widget);
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

}  // namespace varno::platform
