#pragma once

#include "core/colour.h"

#include <optional>

namespace varno {

class ColourChooser {
public:
    virtual ~ColourChooser() = default;

    // Opens the modal colour dialog with `current` selected. The confirmed
    // colour, or nothing when the user cancelled.
    virtual std::optional<Colour> choose(Colour current) = 0;
};

}  // namespace varno
