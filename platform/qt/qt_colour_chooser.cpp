#include "qt_colour_chooser.h"

#include "platform/qt/dialog_frame.h"
#include "platform/qt/qt_colours.h"

#include <QApplication>
#include <QColorDialog>
#include <QLayout>

namespace varno::platform {

std::optional<Colour> QtColourChooser::choose(Colour current)
{
    QWidget* parent = QApplication::activeWindow();
    const QColor initial = toQColor(current, parent ? parent->palette() : QPalette());
    QColorDialog dialog(initial, parent);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (QWidget* titleBar = keepDialogInReach(&dialog); titleBar && dialog.layout())
        dialog.layout()->setMenuBar(titleBar);
    dialog.exec();
    const QColor chosen = dialog.selectedColor();  // invalid unless accepted
    if (!chosen.isValid())
        return std::nullopt;
    return fromQColor(chosen);
}

}  // namespace varno::platform
