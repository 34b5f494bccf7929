#pragma once

#include "platform/colour_chooser.h"

#include <QPointer>
#include <QWidget>

namespace varno::platform {

// Qt's own colour dialog: a platform-native one would follow the system's
// language instead of the program's Japanese.
class QtColourChooser final : public ColourChooser {
public:
    // Without a parent the dialog belongs to the active window.
    explicit QtColourChooser(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<std::uint32_t> ShowColor(std::uint32_t current) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace varno::platform
