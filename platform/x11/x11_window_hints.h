#pragma once

class QWidget;

namespace varno::platform {

// Asks an X11 window manager to let the dialog `window` be moved and closed
// only, not minimised, maximised or resized, and to leave it out of task
// bars and pagers. Call before each showing: a window manager may forget a withdrawn
// window's state. Does nothing away from X11.
void keepFixedAndUnlisted(QWidget* window);

}  // namespace varno::platform
