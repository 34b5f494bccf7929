#include "platform/x11/x11_window_hints.h"

// Built without libxcb: nothing to ask of an X11 window manager.
namespace varno::platform {

void keepFixedAndUnlisted(QWidget*) {}

}  // namespace varno::platform
