#include "about_design.h"

#include <algorithm>

namespace varno::about {

double wideningForWarnings(double warning1Width, double warning2Width)
{
    const double textEnd = std::max(kWarning1Rect.left + warning1Width, kWarning2Rect.left + warning2Width);
    const int buttonsLeft = std::min(kOkRect.left, kSystemInfoRect.left);
    return std::max(0.0, textEnd + kWarningButtonGap - buttonsLeft);
}

std::string versionText(int major, int minor, int revision)
{
    return "Version " + std::to_string(major) + '.' + std::to_string(minor) + '.' + std::to_string(revision);
}

}  // namespace varno::about
