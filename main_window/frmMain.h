#pragma once

#include "main_window/alternation.h"
#include "main_window/period_timer.h"
#include "platform/services.h"

#include <QMainWindow>

class QAction;
class QMenu;
class QPushButton;
class QScrollBar;

namespace varno {

class Picture1;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(const platform::Services& services, QWidget* parent = nullptr);
    ~frmMain() override;

    void Form_Load();
    // Runs once, however the window goes: close box, Alt+F4, the session
    // ending, a signal, or the application quitting.
    void Form_Unload();

    void Timer1_Timer();
    void mnuViewOptions_Click();
    void Picture1_Click();
    void Command1_Click();
    void Command2_Click();
    void HScroll1_Change();
    void mnuHelpAbout_Click();

    Colour Color1 = kWhite;
    Colour Color2 = kBlack;
    Flag Running = kFalse;

    // For tests and the benchmark's eyes: the controls as designed.
    class Picture1* picture() const { return Picture1_; }
    QPushButton* command1() const { return Command1_; }
    QPushButton* command2() const { return Command2_; }
    QScrollBar* hScroll1() const { return HScroll1_; }
    QAction* viewOptionsAction() const { return mnuViewOptions_; }
    QAction* viewBrowserAction() const { return mnuViewBrowser_; }
    QAction* helpAboutAction() const { return mnuHelpAbout_; }
    QMenu* viewMenu() const { return mnuView_; }
    const PeriodTimer& timer1() const { return Timer1_; }
    int timerInterval() const { return Timer1_.interval(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildMenus();
    void BuildSurface();
    void LayOutSurface();
    void UpdateTimer();
    void SaveGeometry();
    QRect RestoredBoundsOnScreen(const QRect& bounds) const;
    int Px(double twips) const;

    platform::Services services_;
    class Picture1* Picture1_ = nullptr;
    QScrollBar* HScroll1_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QMenu* mnuView_ = nullptr;
    QAction* mnuViewOptions_ = nullptr;
    QAction* mnuViewBrowser_ = nullptr;
    QMenu* mnuHelp_ = nullptr;
    QAction* mnuHelpAbout_ = nullptr;
    PeriodTimer Timer1_;
    bool unloaded_ = false;
};

}  // namespace varno
