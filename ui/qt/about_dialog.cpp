#include "about_dialog.h"

#include "app_info.h"
#include "core/about_design.h"
#include "core/twips.h"
#include "platform/qt/dialog_frame.h"
#include "platform/qt/screen_dpi.h"
#include "platform/x11/x11_window_hints.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace varno::ui {

namespace {

constexpr int kIconBorder = 2;
constexpr int kLabelFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// A grey line with a white one a pixel below it: an etched rule.
class EtchedRule : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        const auto px = [this](int twips) { return twipsToPixels(twips, platform::logicalDpi(this).x); };
        const int whiteLeft = px(about::kRuleWhite.left) - px(about::kRuleGrey.left);
        const int whiteTop = px(about::kRuleWhite.top) - px(about::kRuleGrey.top);
        QPainter painter(this);
        painter.fillRect(QRect(whiteLeft, whiteTop, width() - whiteLeft, 2), Qt::white);
        painter.fillRect(QRect(0, 0, width(), 1), QColor(QRgb(about::kRuleGreyRgb)));
    }
};

QLabel* makeLabel(QWidget* parent, const char* name, const char* text, bool blackText)
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

bool overlapsHorizontally(const DesignRect& a, const DesignRect& b)
{
    return a.left < b.right() && b.left < a.right();
}

// The program sets its icon on the application at start-up.
QIcon programIcon()
{
    return QApplication::windowIcon();
}

}  // namespace

AboutDialog::AboutDialog(const SystemInfoServices& services, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(services)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromUtf8(about::kCaption));
    setWindowIcon(programIcon());
    setModal(true);
    setSizeGripEnabled(false);
    titleBar_ = platform::keepDialogInReach(this);
    buildControls();
    layOut();
}

void AboutDialog::buildControls()
{
    // Created in tab order: only the two buttons take the focus.
    okButton_ = new QPushButton(QString::fromUtf8(about::kOkButton), this);
    okButton_->setObjectName(QStringLiteral("cmdOK"));
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    systemInfoButton_ = new QPushButton(QString::fromUtf8(about::kSystemInfoButton), this);
    systemInfoButton_->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(systemInfoButton_, &QPushButton::clicked, this, [this] { launchSystemInformation(services_); });
    setTabOrder(okButton_, systemInfoButton_);

    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("picIcon"));
    icon_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    icon_->setLineWidth(kIconBorder);
    icon_->setAlignment(Qt::AlignCenter);
    icon_->setAutoFillBackground(true);
    QPalette palette = icon_->palette();
    palette.setColor(QPalette::Window, QColor(QRgb(about::kIconBackgroundRgb)));
    icon_->setPalette(palette);

    // The warning is the text that matters most: each line stays whole.
    makeLabel(this, "lblDisclaimer", about::kWarning1, true)->setWordWrap(false);
    version_ = makeLabel(this, "lblVersion", "Version　1.4", false);
    title_ = makeLabel(this, "lblTitle", kAppTitle, true);
    makeLabel(this, "lblDescription", about::kDescription, true);
    makeLabel(this, "Label1", about::kCopyright, true);
    makeLabel(this, "Label2", about::kWarning2, true)->setWordWrap(false);
    makeLabel(this, "Label3", about::kContact, true);

    rule_ = new EtchedRule(this);
    rule_->setObjectName(QStringLiteral("Line1"));

    // The buttons stay above the second warning line, whose design
    // rectangle runs a little under the system information button.
    okButton_->raise();
    systemInfoButton_->raise();
}

int AboutDialog::px(double twips) const
{
    return twipsToPixels(twips, platform::logicalDpi(this).x);
}

// Places everything as designed. Each warning line stays on one line: what
// it needs beyond its design width moves the buttons, and the dialog's right
// edge, to the right. A label whose text needs more lines than its design
// height holds grows downwards, and whatever lies below it and overlaps it
// sideways moves down as far, the dialog with it: every text stays whole
// whatever the font.
void AboutDialog::layOut()
{
    struct Placed {
        QWidget* widget;
        DesignRect design;
        int growth = 0;
    };
    const auto child = [this](const char* name) { return findChild<QLabel*>(QString::fromLatin1(name)); };
    const auto flags = [](const QLabel* label) {
        return label->wordWrap() ? kLabelFlags : kLabelFlags & ~Qt::TextWordWrap;
    };
    const double dpi = platform::logicalDpi(this).x;
    // In twips, as the design is.
    const auto textWidth = [&](const QLabel* label) {
        const QRect all(0, 0, INT_MAX / 2, INT_MAX / 2);
        return pixelsToTwips(label->fontMetrics().boundingRect(all, flags(label), label->text()).width(), dpi);
    };
    QLabel* warning1 = child("lblDisclaimer");
    QLabel* warning2 = child("Label2");
    const int widening =
        static_cast<int>(std::ceil(about::wideningForWarnings(textWidth(warning1), textWidth(warning2))));
    const auto movedRight = [&](DesignRect d) {
        d.left += widening;
        return d;
    };
    // A pixel to spare, against rounding at any DPI.
    const auto wholeLine = [&](DesignRect d, const QLabel* warning) {
        d.width = std::max(d.width, static_cast<int>(std::ceil(textWidth(warning) + pixelsToTwips(1, dpi))));
        return d;
    };
    std::vector<Placed> items{
        {okButton_, movedRight(about::kOkRect)},
        {systemInfoButton_, movedRight(about::kSystemInfoRect)},
        {warning1, wholeLine(about::kWarning1Rect, warning1)},
        {version_, about::kVersionRect},
        {title_, about::kTitleRect},
        {child("lblDescription"), about::kDescriptionRect},
        {child("Label1"), about::kCopyrightRect},
        {warning2, wholeLine(about::kWarning2Rect, warning2)},
        {child("Label3"), about::kContactRect},
        {rule_, about::kRuleGrey},
    };
    const auto rect = [this](const DesignRect& d) {
        return QRect(QPoint(px(d.left), px(d.top)), QPoint(px(d.right()) - 1, px(d.bottom()) - 1));
    };
    // The second warning line's design rectangle runs under the system
    // information button; a label ends where a button beside it starts, so
    // no text goes under it.
    for (Placed& item : items) {
        if (!qobject_cast<QLabel*>(item.widget))
            continue;
        for (const DesignRect& button : {items[0].design, items[1].design})
            if (overlapsHorizontally(item.design, button) && item.design.top < button.bottom() &&
                button.top < item.design.bottom() && item.design.left < button.left)
                item.design.width = std::min(item.design.width, button.left - item.design.left);
    }
    for (Placed& item : items) {
        auto* label = qobject_cast<QLabel*>(item.widget);
        if (!label)
            continue;
        const QRect r = rect(item.design);
        const QRect needed =
            label->fontMetrics().boundingRect(QRect(0, 0, r.width(), INT_MAX / 2), flags(label), label->text());
        item.growth = std::max(0, needed.height() - r.height());
    }
    const auto shiftOf = [&](const Placed& item) {
        int shift = 0;
        for (const Placed& above : items)
            if (above.growth > 0 && &above != &item && above.design.bottom() <= item.design.top &&
                overlapsHorizontally(above.design, item.design))
                shift += above.growth;
        return shift;
    };

    // Below the dialog's own title bar, where it has one.
    const int top = titleBar_ ? titleBar_->sizeHint().height() : 0;
    int lowestDesign = 0;
    int lowestPlaced = 0;
    for (const Placed& item : items) {
        QRect r = rect(item.design).translated(0, shiftOf(item));
        r.setHeight(r.height() + item.growth);
        lowestDesign = std::max(lowestDesign, px(item.design.bottom()));
        lowestPlaced = std::max(lowestPlaced, r.bottom() + 1);
        if (item.widget == rule_) {
            // The white line lies below the grey one and may start further right.
            const int whiteBottom = px(about::kRuleWhite.top) - px(about::kRuleGrey.top) + 2;
            r.setHeight(whiteBottom);
        }
        item.widget->setGeometry(r.translated(0, top));
    }

    const int iconSide = px(about::kIconTwips) + 2 * kIconBorder;
    icon_->setGeometry(px(about::kIconRect.left), px(about::kIconRect.top) + top, iconSide, iconSide);
    icon_->setPixmap(programIcon().pixmap(QSize(px(about::kIconTwips), px(about::kIconTwips)), devicePixelRatioF()));

    const int width = px(about::kClientWidth + widening);
    setFixedSize(width, top + px(about::kClientHeight) + std::max(0, lowestPlaced - lowestDesign));
    if (titleBar_)
        titleBar_->setGeometry(0, 0, width, top);
}

void AboutDialog::centreOnScreen()
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
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    };
    QMargins frameMargins = margins(this);
    if (frameMargins.isNull() && owner && owner->isVisible())
        frameMargins = margins(owner);
    QRect frame = QRect(QPoint(0, 0), size()).marginsAdded(frameMargins);
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

void AboutDialog::setVisible(bool visible)
{
    const bool opening = visible && !isVisible();
    if (opening) {
        fillInTexts();
        layOut();
        centreOnScreen();
        platform::keepFixedAndUnlisted(this);
    }
    QDialog::setVisible(visible);
    if (opening) {
        // The frame is known only once the window exists.
        centreOnScreen();
        okButton_->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void AboutDialog::fillInTexts()
{
    version_->setText(QString::fromStdString(about::versionText(kVersionMajor, kVersionMinor, kVersionRevision)));
    title_->setText(QString::fromUtf8(kAppTitle));
}

}  // namespace varno::ui
