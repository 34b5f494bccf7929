#pragma once

#include "core/alternation.h"
#include "core/restored_bounds.h"
#include "core/window_geometry.h"
#include "platform/qt/period_timer.h"
#include "platform/services.h"

#include <QMainWindow>

#include <optional>

class QAction;
class QPushButton;
class QTimer;

namespace varno::ui {

class AboutDialog;
class BlinkSurface;
class PeriodBar;

// The maximised window that blinks: widgets and events in, the alternation
// and the stored bounds out.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(const platform::Services& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Restores the bounds stored at the last close; before the window is
    // first shown, they become its restored bounds.
    void readSettings();

    // Closes every other window and stores the bounds unless minimised.
    // Runs once, however the program ends: the close box, Alt+F4, the
    // session ending, a signal, or the application quitting.
    void unload();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void buildSurface();
    void layOutSurface();
    void toggleBlinking();
    void stopBlinking();
    void followRunning();
    void flip();
    void chooseColour(QPushButton* button);
    void setPeriod(int milliseconds);
    void showAbout();
    void updateTimer();
    void writeSettings();
    void followGeometry();
    void followShow();
    int px(double twips) const;

    platform::Services services_;
    Alternation alternation_;
    StoredBounds loadedBounds_;
    std::optional<RestoredBoundsTracker> restoredBounds_;  // from the first readSettings()
    QTimer* settleTimer_ = nullptr;
    BlinkSurface* surface_ = nullptr;
    PeriodBar* periodBar_ = nullptr;
    QPushButton* colour1Button_ = nullptr;
    QPushButton* colour2Button_ = nullptr;
    QAction* startStopAction_ = nullptr;
    AboutDialog* aboutDialog_ = nullptr;  // a child, made at its first opening
    platform::PeriodTimer* blinkTimer_ = nullptr;
    bool unloaded_ = false;
};

}  // namespace varno::ui
