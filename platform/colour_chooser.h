#pragma once

#include <cstdint>
#include <optional>

namespace varno::platform {

class ColourChooser {
public:
    virtual ~ColourChooser() = default;

    // Opens the modal colour dialog with `current` selected. Returns the
    // confirmed colour (0x00BBGGRR), or nothing when the user cancelled.
    virtual std::optional<std::uint32_t> ShowColor(std::uint32_t current) = 0;
};

}  // namespace varno::platform
