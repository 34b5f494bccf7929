#include "about_design.h"

namespace varno::about {

std::string versionText(int major, int minor, int revision)
{
    return "Version " + std::to_string(major) + '.' + std::to_string(minor) + '.' + std::to_string(revision);
}

}  // namespace varno::about
