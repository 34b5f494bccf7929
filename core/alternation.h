#pragma once

#include "core/colour.h"

#include <optional>
#include <string>

namespace varno {

// The scroll bar's range and steps, and the period before it is first moved.
inline constexpr int kMinPeriodMs = 0;
inline constexpr int kMaxPeriodMs = 500;
inline constexpr int kPeriodLineStep = 1;
inline constexpr int kPeriodPageStep = 10;
inline constexpr int kPeriodBarStart = 50;
inline constexpr int kStartPeriodMs = 20;

// What the surface shows and when it changes: two colours, whether they
// alternate, and the period. Front ends feed it clicks and ticks and show
// what it answers.
class Alternation {
public:
    bool running() const noexcept { return running_; }
    Colour colour1() const noexcept { return colour1_; }
    Colour colour2() const noexcept { return colour2_; }
    Colour shown() const noexcept { return shown_; }
    int periodMs() const noexcept { return periodMs_; }

    void setColour1(Colour colour) noexcept { colour1_ = colour; }
    void setColour2(Colour colour) noexcept { colour2_ = colour; }
    // Kept within the scroll bar's range.
    void setPeriodMs(int milliseconds) noexcept;

    // Starts when stopped, stops when running. The shown colour stays as it
    // is: a start goes on from it at the next tick.
    void toggle() noexcept;

    // Stops when running, as the stop action does; never starts. True when
    // it stopped something (Esc: the quick way out of the flashing).
    bool stop() noexcept;

    // The colour the surface changes to, or nothing while stopped. Only
    // colour 1 is compared, so a surface showing neither colour goes to
    // colour 1 first.
    std::optional<Colour> tick() noexcept;

    // Whether a timer should be ticking at all: stopped, or with a period of
    // 0, no tick could change anything, so none is wanted.
    bool wantsTicks() const noexcept { return running_ && periodMs_ > 0; }

    // The start/stop menu item's caption: what a toggle would do next.
    const char* startStopCaption() const noexcept;

private:
    bool running_ = false;
    bool toggled_ = false;
    Colour colour1_ = kWhite;
    Colour colour2_ = kBlack;
    Colour shown_ = kSystemButtonFace;
    int periodMs_ = kStartPeriodMs;
};

// What the period bar shows while it is moved: "20 ms (25 Hz)", the
// frequency being whole light-dark cycles a second; at 0 the colour holds.
std::string periodText(int milliseconds);

}  // namespace varno
