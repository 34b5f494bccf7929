#include "platform/qt/dialog_frame.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

namespace varno::platform {

namespace {

// The caption, the icon and a close button; a press on it moves the window.
class TitleBar final : public QWidget {
public:
    explicit TitleBar(QDialog* dialog) : QWidget(dialog), dialog_(dialog)
    {
        setObjectName(QStringLiteral("titleBar"));
        setAutoFillBackground(true);
        QPalette shade = palette();
        shade.setColor(QPalette::Window, shade.color(QPalette::Window).darker(110));
        setPalette(shade);

        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(6, 2, 2, 2);
        icon_ = new QLabel(this);
        caption_ = new QLabel(this);
        QFont bold = caption_->font();
        bold.setBold(true);
        caption_->setFont(bold);
        auto* close = new QToolButton(this);
        close->setObjectName(QStringLiteral("closeButton"));
        close->setAutoRaise(true);
        close->setFocusPolicy(Qt::NoFocus);
        close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this));
        // The dialog's own close: a cancel, as the window manager's would be.
        connect(close, &QToolButton::clicked, dialog, &QDialog::close);
        row->addWidget(icon_);
        row->addWidget(caption_, 1);
        row->addWidget(close);
        followDialog();
    }

    void followDialog()
    {
        caption_->setText(dialog_->windowTitle());
        const int side = caption_->fontMetrics().height();
        const QIcon icon = dialog_->windowIcon();
        icon_->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(QSize(side, side), devicePixelRatioF()));
        icon_->setVisible(!icon.isNull());
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && window()->windowHandle())
            window()->windowHandle()->startSystemMove();
    }

private:
    QDialog* dialog_;
    QLabel* icon_ = nullptr;
    QLabel* caption_ = nullptr;
};

class DialogWatch final : public QObject {
public:
    DialogWatch(QDialog* dialog, TitleBar* titleBar) : QObject(dialog), dialog_(dialog), titleBar_(titleBar)
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != dialog_)
            return false;
        switch (event->type()) {
        case QEvent::WindowStateChange:
            // Queued: the state change is still being delivered.
            if (dialog_->isVisible() && dialog_->isMinimized())
                QMetaObject::invokeMethod(dialog_, &QDialog::reject, Qt::QueuedConnection);
            break;
        case QEvent::WindowTitleChange:
        case QEvent::WindowIconChange:
            if (titleBar_)
                titleBar_->followDialog();
            break;
        case QEvent::Paint:
            // Without a frame of its own the dialog would melt into the
            // window beneath it: an outline, under whatever it paints.
            if (titleBar_) {
                QPainter painter(dialog_);
                painter.setPen(dialog_->palette().color(QPalette::Dark));
                painter.drawRect(dialog_->rect().adjusted(0, 0, -1, -1));
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    QDialog* dialog_;
    TitleBar* titleBar_;
};

}  // namespace

QWidget* keepDialogInReach(QDialog* dialog)
{
    TitleBar* titleBar = nullptr;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // Qt drops the frameless hint while any title bar hint is set.
        dialog->setWindowFlags((dialog->windowFlags() & Qt::WindowType_Mask) | Qt::FramelessWindowHint);
        titleBar = new TitleBar(dialog);
    }
    new DialogWatch(dialog, titleBar);
    return titleBar;
}

}  // namespace varno::platform
