#include "ui/qt/about_dialog.h"

#include "support/fake_services.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace varno {
namespace {

using namespace testing_support;

class AboutDialogTest : public ::testing::Test, protected FakeServices {
protected:
    std::unique_ptr<ui::AboutDialog> shown(QWidget* owner = nullptr)
    {
        auto dialog = std::make_unique<ui::AboutDialog>(services().systemInfo(), owner);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }

    template <typename T = QWidget>
    static T* part(QWidget& dialog, const char* name)
    {
        T* found = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

TEST_F(AboutDialogTest, TextsFlagsAndIcon)
{
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/varno.png")));  // as the program does
    QWidget owner;
    auto dialog = shown(&owner);
    const std::pair<QString, const char*> texts[] = {
        {dialog->windowTitle(), "ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ"},
        {part<QLabel>(*dialog, "lblDescription")->text(), "ゾルテカ作成ソフトです。"},
        {part<QLabel>(*dialog, "lblDisclaimer")->text(), "警告:このソフトを小さい子供に見せないでください。"},
        {part<QLabel>(*dialog, "Label2")->text(), "　　　意識障害やけいれんなどを引き起こす場合があります"},
        {part<QPushButton>(*dialog, "cmdSysInfo")->text(), "ｼｽﾃﾑ情報(&S)..."},
    };
    for (const auto& [actual, wanted] : texts)
        EXPECT_EQ(actual.toStdString(), wanted);
    EXPECT_FALSE(part<QLabel>(*dialog, "picIcon")->pixmap().isNull());

    EXPECT_EQ(dialog->windowType(), Qt::Dialog);
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog->parentWidget(), &owner);  // transient for its owner: no task bar entry
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_EQ(QApplication::focusWidget(), part(*dialog, "cmdOK"));
}

// As the Help menu opens it: modal over its owner, loaded afresh each time.
TEST_F(AboutDialogTest, ShowsTheVersionAndTitleOnEveryOpening)
{
    QWidget owner;
    ui::AboutDialog dialog(services().systemInfo(), &owner);
    QLabel* version = part<QLabel>(dialog, "lblVersion");
    QLabel* title = part<QLabel>(dialog, "lblTitle");
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, &dialog, [&] {
            EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
            EXPECT_EQ(version->text().toStdString(), "Version 1.4.0");
            EXPECT_EQ(title->text().toStdString(), "ゾルテカ");
            version->setText(QStringLiteral("stale"));
            title->setText(QStringLiteral("stale"));
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    }
}

TEST_F(AboutDialogTest, EnterAndEscClose)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        auto dialog = shown();
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_FALSE(dialog->isVisible()) << key;
    }
    EXPECT_TRUE(registry.opens.empty());
}

// Every label shows its whole text at any font size: wrapped within its
// rectangle, clear of the buttons, the rule, the icon and each other. Each
// warning line stays on one line, the dialog growing wider for it, never
// taller, at the sizes people use.
TEST_F(AboutDialogTest, EveryLabelsTextFitsItsRectangle)
{
    const QFont saved = QApplication::font();
    for (const int points : {8, 9, 10, 11, 13}) {
        QFont font = saved;
        font.setFamilies({QStringLiteral("Noto Sans CJK JP")});  // as the program asks for
        font.setPointSize(points);
        QApplication::setFont(font);
        auto dialog = shown();
        std::vector<QRect> taken{part(*dialog, "cmdOK")->geometry(), part(*dialog, "cmdSysInfo")->geometry(),
                                 part(*dialog, "Line1")->geometry(), part(*dialog, "picIcon")->geometry()};
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->objectName() == QLatin1String("picIcon"))
                continue;
            SCOPED_TRACE(label->objectName().toStdString() + " at " + std::to_string(points) + " points");
            const QRect needed = label->fontMetrics().boundingRect(
                QRect(0, 0, label->width(), 10000), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label->text());
            EXPECT_LE(needed.width(), label->width());
            EXPECT_LE(needed.height(), label->height());
            if (QStringList{"lblDisclaimer", "Label2"}.contains(label->objectName())) {
                EXPECT_LT(needed.height(), 2 * label->fontMetrics().lineSpacing()) << "the warning on one line";
            }
            EXPECT_TRUE(dialog->rect().contains(label->geometry()));
            const QRect text = needed.translated(label->pos());
            for (const QRect& other : taken)
                EXPECT_FALSE(text.intersects(other));
            taken.push_back(text);
        }
        if (points == 9) {
            EXPECT_EQ(dialog->height(), 268) << "the design's 4020 twips at 96 DPI";
        }
    }
    QApplication::setFont(saved);
}

}  // namespace
}  // namespace varno
