#include "frmMain.h"

#include "Picture1.h"
#include "about/frmAbout.h"
#include "app_info.h"
#include "main_window/stored_number.h"
#include "platform/colour_chooser.h"
#include "platform/settings_store.h"
#include "platform/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <cstdio>

namespace varno {

namespace {

constexpr const char* kSection = "Settings";
constexpr const char* kKeyLeft = "MainLeft";
constexpr const char* kKeyTop = "MainTop";
constexpr const char* kKeyWidth = "MainWidth";
constexpr const char* kKeyHeight = "MainHeight";

// Design positions in twips, in the surface's own coordinates.
constexpr int kSurfaceOffset = 120;  // the surface starts beyond the client's top-left corner
struct Design {
    int left, top, width, height;
};
constexpr Design kHScroll1{480, 240, 1815, 255};
constexpr Design kCommand1{2640, 240, 1092, 372};
constexpr Design kCommand2{3840, 240, 1092, 372};

}  // namespace

frmMain::frmMain(const platform::Services& services, QWidget* parent)
    : QMainWindow(parent), services_(services)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);
    BuildMenus();
    BuildSurface();

    Timer1_.setObjectName(QStringLiteral("Timer1"));
    Timer1_.setInterval(kDefaultPeriodMs);
    connect(&Timer1_, &PeriodTimer::timeout, this, &frmMain::Timer1_Timer);
}

frmMain::~frmMain() = default;

void frmMain::BuildMenus()
{
    mnuView_ = menuBar()->addMenu(QString::fromUtf8("表示(&V)"));
    mnuView_->setObjectName(QStringLiteral("mnuView"));
    mnuViewOptions_ = mnuView_->addAction(QString::fromUtf8(kCaptionStartFirst));
    mnuViewOptions_->setObjectName(QStringLiteral("mnuViewOptions"));
    connect(mnuViewOptions_, &QAction::triggered, this, &frmMain::mnuViewOptions_Click);
    mnuViewBrowser_ = mnuView_->addAction(QString::fromUtf8("WWW ﾌﾞﾗｳｻﾞ(&W)"));
    mnuViewBrowser_->setObjectName(QStringLiteral("mnuViewBrowser"));
    mnuViewBrowser_->setEnabled(false);  // designed in, never wired to anything

    mnuHelp_ = menuBar()->addMenu(QString::fromUtf8("ﾍﾙﾌﾟ(&H)"));
    mnuHelp_->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout_ = mnuHelp_->addAction(QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報(&A)ゾルテカ..."));
    mnuHelpAbout_->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(mnuHelpAbout_, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

void frmMain::BuildSurface()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    Picture1_ = new class Picture1(client);
    Picture1_->setObjectName(QStringLiteral("Picture1"));
    connect(Picture1_, &Picture1::Click, this, &frmMain::Picture1_Click);

    HScroll1_ = new QScrollBar(Qt::Horizontal, Picture1_);
    HScroll1_->setObjectName(QStringLiteral("HScroll1"));
    HScroll1_->setRange(kPeriodMin, kPeriodMax);
    HScroll1_->setSingleStep(1);
    HScroll1_->setPageStep(10);
    HScroll1_->setValue(kScrollInitial);
    // The period follows the bar once the user lets go of the thumb, as the
    // classic change event did, not on every pixel of a drag.
    HScroll1_->setTracking(false);
    connect(HScroll1_, &QScrollBar::valueChanged, this, &frmMain::HScroll1_Change);

    Command1_ = new QPushButton(QString::fromUtf8("色変更1"), Picture1_);
    Command1_->setObjectName(QStringLiteral("Command1"));
    Command1_->setAutoDefault(false);
    connect(Command1_, &QPushButton::clicked, this, &frmMain::Command1_Click);

    Command2_ = new QPushButton(QString::fromUtf8("色変更2"), Picture1_);
    Command2_->setObjectName(QStringLiteral("Command2"));
    Command2_->setAutoDefault(false);
    connect(Command2_, &QPushButton::clicked, this, &frmMain::Command2_Click);

    setTabOrder(Picture1_, HScroll1_);
    setTabOrder(HScroll1_, Command1_);
    setTabOrder(Command1_, Command2_);
    Picture1_->setFocusPolicy(Qt::TabFocus);
    LayOutSurface();
}

int frmMain::Px(double twips) const
{
    return platform::TwipsToPixels(twips, platform::LogicalDpiX(this));
}

void frmMain::LayOutSurface()
{
    // The surface covers the whole client area at every size, starting
    // beyond its top-left corner so that its edge stays out of view.
    const int offset = Px(kSurfaceOffset);
    const QSize client = centralWidget()->size();
    Picture1_->setGeometry(-offset, -offset, client.width() + offset, client.height() + offset);
    HScroll1_->setGeometry(Px(kHScroll1.left), Px(kHScroll1.top), Px(kHScroll1.width), Px(kHScroll1.height));
    for (auto [button, d] : {std::pair<QPushButton*, Design>{Command1_, kCommand1}, {Command2_, kCommand2}}) {
        // A caption in a large font may need more than the design width.
        const int text = button->fontMetrics().horizontalAdvance(button->text()) + 12;
        button->setGeometry(Px(d.left), Px(d.top), std::max(Px(d.width), text), Px(d.height));
    }
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    LayOutSurface();
}

void frmMain::Form_Load()
{
    auto read = [this](const char* key, const char* fallback) {
        return services_.settings->GetSetting(kAppTitle, kSection, key, fallback);
    };
    const StoredBounds stored = BoundsFromStoredTexts(read(kKeyLeft, "1000"), read(kKeyTop, "1000"),
                                                      read(kKeyWidth, "6500"), read(kKeyHeight, "6500"));
    const double dpiX = platform::LogicalDpiX(this);
    const double dpiY = platform::LogicalDpiY(this);
    const QRect bounds(platform::TwipsToPixels(stored.left, dpiX), platform::TwipsToPixels(stored.top, dpiY),
                       std::max(1, platform::TwipsToPixels(stored.width, dpiX)),
                       std::max(1, platform::TwipsToPixels(stored.height, dpiY)));
    // Not shown yet: this sets the restored bounds; the window then opens maximised.
    setGeometry(RestoredBoundsOnScreen(bounds));

    Color1 = kWhite;
    Color2 = kBlack;
}

QRect frmMain::RestoredBoundsOnScreen(const QRect& bounds) const
{
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(bounds))
            return bounds;
    }
    // A monitor unplugged since: bring the window back where it can be seen.
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return bounds;
    const QRect area = primary->availableGeometry();
    QRect moved(QPoint(), bounds.size().boundedTo(area.size()));
    moved.moveCenter(area.center());
    return moved;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1_.stop();

    // Every other window goes with the main window.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != this && widget->isVisible())
            widget->close();
    }

    if (!isMinimized())
        SaveGeometry();
}

void frmMain::SaveGeometry()
{
    // The restored bounds, also when closed maximised: the user's own size survives.
    const QRect bounds = (isMaximized() || isFullScreen()) ? normalGeometry() : geometry();
    const double dpiX = platform::LogicalDpiX(this);
    const double dpiY = platform::LogicalDpiY(this);
    const std::pair<const char*, float> values[] = {
        {kKeyLeft, static_cast<float>(platform::PixelsToTwips(bounds.x(), dpiX))},
        {kKeyTop, static_cast<float>(platform::PixelsToTwips(bounds.y(), dpiY))},
        {kKeyWidth, static_cast<float>(platform::PixelsToTwips(bounds.width(), dpiX))},
        {kKeyHeight, static_cast<float>(platform::PixelsToTwips(bounds.height(), dpiY))},
    };
    bool saved = true;
    for (const auto& [key, value] : values)
        saved = services_.settings->SaveSetting(kAppTitle, kSection, key, FormatStoredSingle(value)) && saved;
    if (!saved)
        std::fprintf(stderr, "varno: could not save the window position and size\n");
}

void frmMain::Timer1_Timer()
{
    if (Running == kFalse)
        return;
    Picture1_->SetBackColor(NextColour(Picture1_->BackColor(), Color1, Color2));
}

void frmMain::mnuViewOptions_Click()
{
    if (Running != kFalse) {
        mnuViewOptions_->setText(QString::fromUtf8(kCaptionStart));
        Running = kFalse;
    } else {
        mnuViewOptions_->setText(QString::fromUtf8(kCaptionStop));
        Running = kTrue;
    }
    UpdateTimer();
}

void frmMain::Picture1_Click()
{
    mnuViewOptions_Click();
}

void frmMain::UpdateTimer()
{
    // Ticks only matter while running: stopped, the program does not wake at
    // all, and a start brings the first change one period later, as a timer
    // ticking all along would on average. An interval of 0 means no ticks;
    // Qt would take it as "as often as possible".
    if (Running != kFalse && Timer1_.interval() > 0) {
        if (!Timer1_.isActive())
            Timer1_.start();
    } else {
        Timer1_.stop();
    }
}

void frmMain::Command1_Click()
{
    if (auto chosen = services_.commonDialog1->ShowColor(Color1))
        Color1 = *chosen;
}

void frmMain::Command2_Click()
{
    if (auto chosen = services_.commonDialog2->ShowColor(Color2))
        Color2 = *chosen;
}

void frmMain::HScroll1_Change()
{
    // Setting the interval restarts a running timer, so the new period
    // counts from now.
    Timer1_.setInterval(HScroll1_->value());
    UpdateTimer();
}

void frmMain::mnuHelpAbout_Click()
{
    // Returns when the dialog has been closed; the main window takes no
    // input meanwhile.
    frmAbout::Shared(services_, this).exec();
}

}  // namespace varno
