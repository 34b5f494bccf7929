#include "about_dialog.h"

#include "app_info.h"
#include "core/about_design.h"
#include "core/about_layout.h"
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

QLabel* makeLabel(QWidget* parent, const char* name, const char* text)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);  // the layout gives each text its whole line
    label->setMargin(0);
    label->setIndent(0);
    return label;
}

// Black where the dialog is light, as designed; where a dark theme darkens
// it, the theme's own text colour, never black on dark.
QColor designTextColour(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() >= 128 ? QColor(Qt::black)
                                                               : palette.color(QPalette::WindowText);
}

// The program sets its icon on the application at start-up.
QIcon programIcon()
{
    return QApplication::windowIcon();
}

}  // namespace

AboutDialog::AboutDialog(const SystemInfoServices& services, QWidget* owner, bool englishWarning)
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
    buildControls(englishWarning);
    layOut();
}

void AboutDialog::buildControls(bool englishWarning)
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

    labels_[about::kWarning1Label] = makeLabel(this, "lblDisclaimer", about::kWarning1);
    labels_[about::kVersionLabel] = version_ = makeLabel(this, "lblVersion", "Version　1.4");
    labels_[about::kTitleLabel] = title_ = makeLabel(this, "lblTitle", kAppTitle);
    labels_[about::kDescriptionLabel] = makeLabel(this, "lblDescription", about::kDescription);
    labels_[about::kCopyrightLabel] = makeLabel(this, "Label1", about::kCopyright);
    labels_[about::kWarning2Label] = makeLabel(this, "Label2", about::kWarning2);
    labels_[about::kContactLabel] = makeLabel(this, "Label3", about::kContact);
    // Where no font shows Japanese, the warning is the one text a person
    // must still be able to read.
    if (englishWarning)
        englishWarning_ = makeLabel(this, "lblWarningEnglish", about::kWarningEnglish);
    followTheme();

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

// Lays the dialog out from what its texts need in its font: each text on
// one line, each button's caption whole, nothing on anything else.
void AboutDialog::layOut()
{
    const double dpi = platform::logicalDpi(this).x;
    const auto needed = [](const QLabel* label) {
        const QRect all(0, 0, INT_MAX / 2, INT_MAX / 2);
        const QSize size = label->fontMetrics().boundingRect(all, Qt::AlignLeft | Qt::AlignTop, label->text()).size();
        // A pixel to spare, against rounding at any DPI.
        return about::TextSize{size.width() + 1, size.height()};
    };
    const auto face = [](const QPushButton* button) {
        const QFontMetrics metrics = button->fontMetrics();
        QString caption = button->text();
        caption.remove(QLatin1Char('&'));
        return about::TextSize{metrics.horizontalAdvance(caption) + 2 * metrics.averageCharWidth(),
                               metrics.height() + 4};
    };
    about::AboutTexts texts;
    for (std::size_t i = 0; i < about::kLabelCount; ++i)
        texts.labels[i] = needed(labels_[i]);
    texts.ok = face(okButton_);
    texts.systemInfo = face(systemInfoButton_);
    if (englishWarning_)
        texts.englishWarning = needed(englishWarning_);
    const about::AboutPlacement placement = about::placeAbout(texts, dpi);

    // Below the dialog's own title bar, where it has one.
    const int top = titleBar_ ? titleBar_->sizeHint().height() : 0;
    const auto toQRect = [top](const PixelRect& r) { return QRect(r.x, r.y + top, r.width, r.height); };
    for (std::size_t i = 0; i < about::kLabelCount; ++i)
        labels_[i]->setGeometry(toQRect(placement.labels[i]));
    okButton_->setGeometry(toQRect(placement.ok));
    systemInfoButton_->setGeometry(toQRect(placement.systemInfo));
    if (englishWarning_)
        englishWarning_->setGeometry(toQRect(*placement.englishWarning));
    // The white line lies below the grey one and may start further right.
    rule_->setGeometry(placement.rule.x, placement.rule.y + top, placement.rule.width,
                       px(about::kRuleWhite.top) - px(about::kRuleGrey.top) + 2);

    const int iconSide = px(about::kIconTwips) + 2 * kIconBorder;
    icon_->setGeometry(px(about::kIconRect.left), px(about::kIconRect.top) + top, iconSide, iconSide);
    icon_->setPixmap(programIcon().pixmap(QSize(px(about::kIconTwips), px(about::kIconTwips)), devicePixelRatioF()));

    setFixedSize(placement.clientWidth, top + placement.clientHeight);
    if (titleBar_)
        titleBar_->setGeometry(0, 0, placement.clientWidth, top);
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

void AboutDialog::followTheme()
{
    const QColor text = designTextColour(palette());
    std::vector<QLabel*> black(labels_.begin(), labels_.end());
    std::erase(black, version_);  // the theme's text colour by design
    if (englishWarning_)
        black.push_back(englishWarning_);
    for (QLabel* label : black) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, text);
        label->setPalette(p);
    }
}

void AboutDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && labels_[0])
        followTheme();
}

void AboutDialog::fillInTexts()
{
    version_->setText(QString::fromStdString(about::versionText(kVersionMajor, kVersionMinor, kVersionRevision)));
    title_->setText(QString::fromUtf8(kAppTitle));
}

}  // namespace varno::ui
