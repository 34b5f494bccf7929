#include "main_window.h"

#include "ui/qt/about_dialog.h"
#include "ui/qt/application.h"
#include "app_info.h"
#include "ui/qt/blink_surface.h"
#include "ui/qt/period_bar.h"
#include "core/main_window_design.h"
#include "core/main_window_layout.h"
#include "core/ports/colour_chooser.h"
#include "core/twips.h"
#include "platform/qt/screen_dpi.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace varno::ui {

namespace {

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

PixelRect toPixelRect(const QRect& r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

// How long the window system must stay quiet before a geometry the window
// had while restored counts as the user's: longer than a window manager
// takes between resizing a window for maximising and saying so.
constexpr int kSettleMs = 400;

}  // namespace

MainWindow::MainWindow(const platform::Services& services, QWidget* parent)
    : QMainWindow(parent), services_(services)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(text(kAppTitle));
    buildMenus();
    buildSurface();
    // Whoever feels unwell reaches for Esc: it stops the flashing, never starts it.
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &MainWindow::stopBlinking);
    stop->setContext(Qt::WindowShortcut);
    blinkTimer_ = new platform::PeriodTimer(this);
    blinkTimer_->setObjectName(QStringLiteral("Timer1"));
    connect(blinkTimer_, &platform::PeriodTimer::timeout, this, &MainWindow::flip);
    // Changes land on the display's refreshes wherever the surface can pace them.
    blinkTimer_->setPacing(surface_->pacing());
    connect(surface_, &BlinkSurface::pacingChanged, this, [this] { blinkTimer_->setPacing(surface_->pacing()); });
    connect(blinkTimer_, &platform::PeriodTimer::refreshRateChanged, this,
            [this] { periodBar_->setRefreshRate(blinkTimer_->refreshRate()); });
    settleTimer_ = new QTimer(this);
    settleTimer_->setSingleShot(true);
    settleTimer_->setInterval(kSettleMs);
    connect(settleTimer_, &QTimer::timeout, this, [this] {
        if (restoredBounds_)
            restoredBounds_->settled();
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenu* view = menuBar()->addMenu(text(main_window::kViewMenu));
    view->setObjectName(QStringLiteral("mnuView"));
    startStopAction_ = view->addAction(text(alternation_.startStopCaption()));
    startStopAction_->setObjectName(QStringLiteral("mnuViewOptions"));
    connect(startStopAction_, &QAction::triggered, this, &MainWindow::toggleBlinking);
    QAction* browser = view->addAction(text(main_window::kBrowserItem));
    browser->setObjectName(QStringLiteral("mnuViewBrowser"));
    browser->setEnabled(false);

    QMenu* help = menuBar()->addMenu(text(main_window::kHelpMenu));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* about = help->addAction(text(main_window::kAboutItem));
    about->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::buildSurface()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    surface_ = new BlinkSurface(client);
    surface_->setObjectName(QStringLiteral("Picture1"));
    connect(surface_, &BlinkSurface::clicked, this, &MainWindow::toggleBlinking);

    periodBar_ = new PeriodBar(surface_);
    periodBar_->setObjectName(QStringLiteral("HScroll1"));
    connect(periodBar_, &PeriodBar::valueChanged, this, &MainWindow::setPeriod);

    const auto makeButton = [this](const char* caption, const char* name) {
        auto* button = new QPushButton(text(caption), surface_);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, button] { chooseColour(button); });
        return button;
    };
    colour1Button_ = makeButton(main_window::kColour1Button, "Command1");
    colour2Button_ = makeButton(main_window::kColour2Button, "Command2");

    setTabOrder(surface_, periodBar_);
    setTabOrder(periodBar_, colour1Button_);
    setTabOrder(colour1Button_, colour2Button_);
    surface_->setFocusPolicy(Qt::TabFocus);
    layOutSurface();
}

int MainWindow::px(double twips) const
{
    return twipsToPixels(twips, platform::logicalDpi(this).x);
}

void MainWindow::layOutSurface()
{
    // The surface covers the whole client area at every size, starting
    // beyond its top-left corner so that its edge stays out of view.
    const int offset = px(main_window::kSurfaceOffset);
    const QSize client = centralWidget()->size();
    surface_->setGeometry(-offset, -offset, client.width() + offset, client.height() + offset);
    const auto face = [](const QPushButton* button) {
        const QFontMetrics metrics = button->fontMetrics();
        return main_window::FaceSize{metrics.horizontalAdvance(button->text()) + 2 * metrics.averageCharWidth(),
                                     metrics.height() + 4};
    };
    const main_window::ControlRow row =
        main_window::placeControlRow(face(colour1Button_), face(colour2Button_), platform::logicalDpi(this).x,
                                     devicePixelRatioF());
    for (auto [widget, r] : {std::pair<QWidget*, PixelRect>{periodBar_, row.periodBar},
                             std::pair<QWidget*, PixelRect>{colour1Button_, row.colour1},
                             std::pair<QWidget*, PixelRect>{colour2Button_, row.colour2}})
        widget->setGeometry(r.x, r.y, r.width, r.height);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layOutSurface();
    followGeometry();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    followGeometry();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        followShow();
}

void MainWindow::followGeometry()
{
    if (!restoredBounds_)
        return;
    // The window's own geometry is whole at both the move and the resize of
    // one change, where the widget's is updated one half at a time.
    restoredBounds_->geometryChanged(toPixelRect(windowHandle() ? windowHandle()->geometry() : geometry()));
    settleTimer_->start();
}

void MainWindow::followShow()
{
    if (!restoredBounds_)
        return;
    const WindowShow show = isMinimized()                    ? WindowShow::Minimised
                            : isMaximized() || isFullScreen() ? WindowShow::Maximised
                                                              : WindowShow::Normal;
    if (const auto wanted = restoredBounds_->showChanged(show))
        setGeometry(wanted->x, wanted->y, wanted->width, wanted->height);
    settleTimer_->start();
}

void MainWindow::readSettings()
{
    loadedBounds_ = readStoredBounds(services_.settings);
    std::vector<PixelRect> screens;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screens.push_back(toPixelRect(primary->availableGeometry()));
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(toPixelRect(screen->availableGeometry()));
    const PixelRect r = keepOnScreen(toPixels(loadedBounds_, platform::logicalDpi(this)), screens);
    // Not shown yet: this sets the restored bounds; the window then opens maximised.
    setGeometry(r.x, r.y, r.width, r.height);
    restoredBounds_.emplace(r);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    unload();
    event->accept();
}

void MainWindow::unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    blinkTimer_->stop();

    // Every other window goes with the main window.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != this && widget->isVisible())
            widget->close();
    }
    if (!isMinimized())
        writeSettings();
}

void MainWindow::writeSettings()
{
    // The restored bounds, also when closed maximised: the user's own size survives.
    const PixelRect now = restoredBounds_ ? restoredBounds_->restored() : toPixelRect(geometry());
    const StoredBounds bounds =
        boundsToStore(now, platform::logicalDpi(this), loadedBounds_, platform::windowPositionKnown());
    if (!writeStoredBounds(services_.settings, bounds))
        std::fprintf(stderr, "varno: could not save the window position and size\n");
}

void MainWindow::flip()
{
    if (const auto colour = alternation_.tick())
        surface_->setColour(*colour);
}

void MainWindow::toggleBlinking()
{
    alternation_.toggle();
    followRunning();
}

void MainWindow::stopBlinking()
{
    if (alternation_.stop())
        followRunning();
}

void MainWindow::followRunning()
{
    startStopAction_->setText(text(alternation_.startStopCaption()));
    updateTimer();
}

void MainWindow::updateTimer()
{
    // Stopped, the program does not wake at all; a start brings the first
    // change one period later, as a timer ticking all along would on average.
    if (!alternation_.wantsTicks())
        blinkTimer_->stop();
    else if (!blinkTimer_->isActive())
        blinkTimer_->start(alternation_.periodMs());
}

void MainWindow::chooseColour(QPushButton* button)
{
    const bool first = button == colour1Button_;
    const Colour current = first ? alternation_.colour1() : alternation_.colour2();
    const auto chosen = services_.colourChooser.choose(current);
    if (!chosen)
        return;  // cancelled: the colour stays
    if (first)
        alternation_.setColour1(*chosen);
    else
        alternation_.setColour2(*chosen);
}

void MainWindow::setPeriod(int milliseconds)
{
    alternation_.setPeriodMs(milliseconds);
    periodBar_->setPeriodInForce(alternation_.periodMs());
    // A new period goes on from the last change: the timer counts it from
    // now, refresh pacing from the refresh the last change was shown on.
    if (alternation_.wantsTicks())
        blinkTimer_->start(alternation_.periodMs());
    else
        blinkTimer_->stop();
}

void MainWindow::showAbout()
{
    if (!aboutDialog_)
        aboutDialog_ = new AboutDialog(services_.systemInfo(), this, !japaneseFontInstalled());
    // Returns when the dialog has been closed; the main window takes no
    // input meanwhile.
    aboutDialog_->exec();
}

}  // namespace varno::ui
