#pragma once

class QDialog;
class QWidget;

namespace varno::platform {

// Keeps a modal dialog where the user can reach it. Wherever Qt draws the
// window frame itself (Wayland), its frame offers minimise and maximise to
// every window whatever its flags; there the dialog goes without it and gets
// a title bar of its own, with the caption and a close button only, which
// the caller places at its top (returned; null elsewhere). Everywhere, a
// dialog that gets minimised all the same is closed as if cancelled: a modal
// dialog out of sight would hold the main window deaf behind it.
QWidget* keepDialogInReach(QDialog* dialog);

}  // namespace varno::platform
