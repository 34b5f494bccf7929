#include "platform/qt/dialog_frame.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace varno::platform {
namespace {

// Minimised, a modal dialog is out of the user's reach: it closes as if
// cancelled. Other states leave it open.
TEST(DialogInReach, AMinimisedDialogClosesAndNoOtherStateDoes)
{
    const struct {
        Qt::WindowState state;
        bool staysOpen;
    } table[] = {
        {Qt::WindowMinimized, false},
        {Qt::WindowMaximized, true},
        {Qt::WindowNoState, true},
    };
    for (const auto& row : table) {
        QDialog dialog;
        keepDialogInReach(&dialog);
        int result = -1;
        QObject::connect(&dialog, &QDialog::finished, [&](int r) { result = r; });
        dialog.open();
        dialog.setWindowState(row.state);
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog.isVisible(), row.staysOpen) << row.state;
        EXPECT_EQ(result, row.staysOpen ? -1 : int(QDialog::Rejected)) << row.state;
    }
}

TEST(DialogInReach, AModalLoopEndsWhenItsDialogIsMinimised)
{
    QDialog dialog;
    keepDialogInReach(&dialog);
    QTimer::singleShot(0, &dialog, [&] { dialog.setWindowState(Qt::WindowMinimized); });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

// Where Qt draws the frame (Wayland) the dialog draws its own, whose only
// button closes it; elsewhere the window manager's frame stays.
TEST(DialogInReach, ItsOwnTitleBarOnlyWhereQtDrawsTheFrame)
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("caption"));
    QWidget* titleBar = keepDialogInReach(&dialog);
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        EXPECT_EQ(titleBar, nullptr);
        EXPECT_FALSE(dialog.windowFlags() & Qt::FramelessWindowHint);
        return;
    }
    ASSERT_NE(titleBar, nullptr);
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint) << "Qt's frame offers minimise and maximise";
    const auto buttons = titleBar->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 1) << "a close button only";
    dialog.open();
    buttons.front()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace varno::platform
