#include "qt_colour_chooser.h"

#include "platform/qt_colours.h"

#include <QApplication>
#include <QColorDialog>

namespace varno::platform {

std::optional<std::uint32_t> QtColourChooser::ShowColor(std::uint32_t current)
{
    QWidget* parent = parent_ ? parent_.data() : QApplication::activeWindow();
    const QColor initial = ToQColor(current, parent ? parent->palette() : QPalette());
    const QColor chosen =
        QColorDialog::getColor(initial, parent, QString(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return std::nullopt;
    return FromQColor(chosen);
}

}  // namespace varno::platform
