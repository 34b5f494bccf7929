#include "about/frmAbout.h"

#include "app_info.h"
#include "platform/twips.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace varno {

namespace {

// Design positions and sizes in twips, client coordinates.
struct Design {
    int left, top, width, height;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

constexpr int kClientWidth = 6732;
constexpr int kClientHeight = 4020;

constexpr Design kCmdOK{4845, 2625, 1692, 345};
constexpr Design kCmdSysInfo{4860, 3075, 1680, 345};
constexpr Design kPicIcon{240, 240, 432, 432};
constexpr Design kLblDisclaimer{255, 2625, 3870, 345};
constexpr Design kLblVersion{1050, 780, 3885, 225};
constexpr Design kLblTitle{1050, 240, 3885, 480};
constexpr Design kLblDescription{1050, 1125, 3885, 330};
constexpr Design kLabel1{1080, 1680, 3885, 330};
constexpr Design kLabel2{240, 3000, 4695, 345};
constexpr Design kLabel3{1080, 2040, 3885, 330};
// The etched rule: a grey line with a white one a pixel below it.
constexpr Design kLine1Grey{225, 2430, 5450 - 225, 15};
constexpr Design kLine1White{240, 2445, 5450 - 240, 30};
// The icon is 32 pixels at 15 twips a pixel.
constexpr int kIconTwips = 480;
constexpr int kIconBorder = 2;

constexpr QRgb kIconBackground = 0xC0C0C0;

constexpr int kLabelFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, bool blackText)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setMargin(0);
    label->setIndent(0);
    if (blackText) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    return label;
}

bool OverlapsHorizontally(const Design& a, const Design& b)
{
    return a.left < b.right() && b.left < a.right();
}

// The program sets its icon on the application at start-up.
QIcon ProgramIcon()
{
    return QApplication::windowIcon();
}

}  // namespace

frmAbout::frmAbout(const about::SysInfoServices& services, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      services_(services)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ"));
    setWindowIcon(ProgramIcon());
    setModal(true);
    setSizeGripEnabled(false);
    BuildControls();
    LayOut();
}

frmAbout& frmAbout::Shared(const platform::Services& services, QWidget* owner)
{
    static QPointer<frmAbout> shared;
    if (!shared) {
        if (!services.registry || !services.fileQuery || !services.launcher || !services.messageBox)
            throw std::logic_error("the About dialog needs the registry, file query, launcher and message box");
        shared = new frmAbout(about::SysInfoServices{*services.registry, *services.fileQuery,
                                                     *services.launcher, *services.messageBox},
                              owner);
    }
    return *shared;
}

void frmAbout::BuildControls()
{
    // Created in tab order: only the two buttons take the focus.
    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    cmdSysInfo_ = new QPushButton(QString::fromUtf8("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    setTabOrder(cmdOK_, cmdSysInfo_);

    picIcon_ = new QLabel(this);
    picIcon_->setObjectName(QStringLiteral("picIcon"));
    picIcon_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon_->setLineWidth(kIconBorder);
    picIcon_->setAlignment(Qt::AlignCenter);
    picIcon_->setAutoFillBackground(true);
    QPalette palette = picIcon_->palette();
    palette.setColor(QPalette::Window, QColor(kIconBackground));
    picIcon_->setPalette(palette);

    lblDisclaimer_ = MakeLabel(this, "lblDisclaimer", "警告:このソフトを小さい子供に見せないでください。", true);
    lblVersion_ = MakeLabel(this, "lblVersion", "Version　1.4", false);
    lblTitle_ = MakeLabel(this, "lblTitle", "ゾルテカ", true);
    lblDescription_ = MakeLabel(this, "lblDescription", "ゾルテカ作成ソフトです。", true);
    Label1_ = MakeLabel(this, "Label1", "Copyright (C) 2024-2026 ゾルテカ開発チーム", true);
    Label2_ = MakeLabel(this, "Label2", "　　　意識障害やけいれんなどを引き起こす場合があります", true);
    Label3_ = MakeLabel(this, "Label3", "連絡先: support@zoruteka.example", true);

    // The buttons stay above Label2, whose design rectangle runs a little
    // under the system information button.
    cmdOK_->raise();
    cmdSysInfo_->raise();
}

std::vector<QLabel*> frmAbout::labels() const
{
    return {lblDisclaimer_, lblVersion_, lblTitle_, lblDescription_, Label1_, Label2_, Label3_};
}

int frmAbout::Px(double twips) const
{
    return platform::TwipsToPixels(twips, platform::LogicalDpiX(this));
}

// Places everything as designed. A label whose text needs more lines than
// its design height holds grows downwards, and whatever lies below it and
// overlaps it sideways moves down as far, the dialog with it: every text
// stays whole whatever the font.
void frmAbout::LayOut()
{
    struct Placed {
        QWidget* widget;
        Design design;
        int growth = 0;
    };
    std::vector<Placed> items{
        {cmdOK_, kCmdOK},
        {cmdSysInfo_, kCmdSysInfo},
        {lblDisclaimer_, kLblDisclaimer},
        {lblVersion_, kLblVersion},
        {lblTitle_, kLblTitle},
        {lblDescription_, kLblDescription},
        {Label1_, kLabel1},
        {Label2_, kLabel2},
        {Label3_, kLabel3},
        {nullptr, kLine1Grey},
    };
    const auto rect = [this](const Design& d) {
        return QRect(QPoint(Px(d.left), Px(d.top)), QPoint(Px(d.right()) - 1, Px(d.bottom()) - 1));
    };
    // Label2's design rectangle runs under the system information button;
    // a label ends where a button beside it starts, so no text goes under it.
    for (Placed& item : items) {
        if (!qobject_cast<QLabel*>(item.widget))
            continue;
        for (const Design& button : {kCmdOK, kCmdSysInfo})
            if (OverlapsHorizontally(item.design, button) && item.design.top < button.bottom() &&
                button.top < item.design.bottom() && item.design.left < button.left)
                item.design.width = std::min(item.design.width, button.left - item.design.left);
    }
    for (Placed& item : items) {
        auto* label = qobject_cast<QLabel*>(item.widget);
        if (!label)
            continue;
        const QRect r = rect(item.design);
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, r.width(), INT_MAX / 2),
                                                               kLabelFlags, label->text());
        item.growth = std::max(0, needed.height() - r.height());
    }
    const auto shiftOf = [&](const Placed& item) {
        int shift = 0;
        for (const Placed& above : items)
            if (above.growth > 0 && &above != &item && above.design.bottom() <= item.design.top &&
                OverlapsHorizontally(above.design, item.design))
                shift += above.growth;
        return shift;
    };

    int lowestDesign = 0;
    int lowestPlaced = 0;
    for (const Placed& item : items) {
        QRect r = rect(item.design).translated(0, shiftOf(item));
        r.setHeight(r.height() + item.growth);
        lowestDesign = std::max(lowestDesign, Px(item.design.bottom()));
        lowestPlaced = std::max(lowestPlaced, r.bottom() + 1);
        if (item.widget) {
            item.widget->setGeometry(r);
        } else {
            rule_ = QRect(r.left(), r.top(), r.width(), 1);
            ruleWhiteTop_ = r.top() + Px(kLine1White.top) - Px(kLine1Grey.top);
        }
    }

    const int iconSide = Px(kIconTwips) + 2 * kIconBorder;
    picIcon_->setGeometry(Px(kPicIcon.left), Px(kPicIcon.top), iconSide, iconSide);
    picIcon_->setPixmap(ProgramIcon().pixmap(QSize(Px(kIconTwips), Px(kIconTwips)), devicePixelRatioF()));

    setFixedSize(Px(kClientWidth), Px(kClientHeight) + std::max(0, lowestPlaced - lowestDesign));
}

void frmAbout::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    const int whiteLeft = rule_.left() + Px(kLine1White.left) - Px(kLine1Grey.left);
    painter.fillRect(QRect(whiteLeft, ruleWhiteTop_, rule_.right() + 1 - whiteLeft, 2), Qt::white);
    painter.fillRect(rule_, QColor(0x80, 0x80, 0x80));
}

void frmAbout::CentreOnScreen()
{
    const QWidget* owner = parentWidget();
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Until the window manager has framed the dialog its frame is unknown;
    // the owner's frame is the best guess of what it will be.
    const auto margins = [](const QWidget* w) {
        const QRect inner = w->geometry();
        const QRect outer = w->frameGeometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    };
    QMargins frameMargins = margins(this);
    if (frameMargins.isNull() && owner && owner->isVisible())
        frameMargins = margins(owner);
    QRect frame = QRect(QPoint(0, 0), size()).marginsAdded(frameMargins);
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

void frmAbout::setVisible(bool visible)
{
    const bool loading = visible && !isVisible();
    if (loading) {
        Form_Load();
        LayOut();
        CentreOnScreen();
    }
    QDialog::setVisible(visible);
    if (loading) {
        // The frame is known only once the window exists.
        CentreOnScreen();
        cmdOK_->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void frmAbout::Form_Load()
{
    lblVersion_->setText(QStringLiteral("Version %1.%2.%3")
                             .arg(kVersionMajor)
                             .arg(kVersionMinor)
                             .arg(kVersionRevision));
    lblTitle_->setText(QString::fromUtf8(kAppTitle));
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    about::StartSysInfo(services_);
}

}  // namespace varno
