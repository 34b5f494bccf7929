#pragma once

class QApplication;

namespace varno::ui {

// Names, icon, and Japanese everywhere: Qt's own dialogs and buttons in
// Japanese, and fonts with Japanese glyph shapes.
// Says on stderr, once, when no installed font shows Japanese.
void setUpApplication(QApplication& app);

// Whether any installed font covers Japanese; asked once.
bool japaneseFontInstalled();

}  // namespace varno::ui
