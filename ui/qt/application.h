#pragma once

class QApplication;

namespace varno::ui {

// Names, icon, and Japanese everywhere: Qt's own dialogs and buttons in
// Japanese, and fonts with Japanese glyph shapes.
void setUpApplication(QApplication& app);

}  // namespace varno::ui
