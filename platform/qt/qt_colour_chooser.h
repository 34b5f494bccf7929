#pragma once

#include "core/ports/colour_chooser.h"

namespace varno::platform {

// Qt's own colour dialog over the active window: a platform-native one
// would follow the system's language instead of the program's Japanese.
class QtColourChooser final : public ColourChooser {
public:
    std::optional<Colour> choose(Colour current) override;
};

}  // namespace varno::platform
