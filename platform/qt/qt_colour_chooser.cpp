#include "qt_colour_chooser.h"

#include "platform/qt/qt_colours.h"

#include <QApplication>
#include <QColorDialog>

namespace varno::platform {

std::optional<Colour> QtColourChooser::choose(Colour current)
{
    QWidget* parent = QApplication::activeWindow();
    const QColor initial = toQColor(current, parent ? parent->palette() : QPalette());
    const QColor chosen = QColorDialog::getColor(initial, parent, QString(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return std::nullopt;
    return fromQColor(chosen);
}

}  // namespace varno::platform
