#pragma once

#include <memory>

namespace varno {

class frmMain;

namespace Module1 {

// Creates, loads and shows the main window; the program then runs as long as
// a window is open.
void Main();

// The one program reference to the main window.
frmMain* MainForm();

// Releases the window and the services before the application object goes.
void Shutdown();

}  // namespace Module1
}  // namespace varno
