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

// Every label shows its whole text on one line at any font size, clear of
// the buttons, the rule, the icon and each other; each button its whole
// caption. At the design's size the dialog keeps the design's height.
TEST_F(AboutDialogTest, EveryLabelsTextFitsItsRectangle)
{
    const QFont saved = QApplication::font();
    for (const int points : {8, 9, 10, 11, 13, 14}) {
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
            EXPECT_LT(needed.height(), 2 * label->fontMetrics().lineSpacing()) << "one line";
            EXPECT_TRUE(dialog->rect().contains(label->geometry()));
            const QRect text = needed.translated(label->pos());
            for (const QRect& other : taken)
                EXPECT_FALSE(text.intersects(other));
            taken.push_back(text);
        }
        for (const char* name : {"cmdOK", "cmdSysInfo"}) {
            auto* button = part<QPushButton>(*dialog, name);
            QString caption = button->text().remove(QLatin1Char('&'));
            EXPECT_LT(button->fontMetrics().horizontalAdvance(caption), button->width()) << name << " " << points;
            EXPECT_LT(button->fontMetrics().height(), button->height()) << name << " " << points;
        }
        if (points == 9) {
            EXPECT_EQ(dialog->height(), 268) << "the design's 4020 twips at 96 DPI";
        }
    }
    QApplication::setFont(saved);
}

// Where no font shows Japanese, the warning is also there in English, whole,
// under the Japanese lines and clear of everything else.
TEST_F(AboutDialogTest, WarningInEnglishOnlyWhenAsked)
{
    for (const bool english : {false, true}) {
        ui::AboutDialog dialog(services().systemInfo(), nullptr, english);
        dialog.show();
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("lblWarningEnglish"));
        ASSERT_EQ(label != nullptr, english);
        if (!label)
            continue;
        EXPECT_EQ(label->text().toStdString(),
                  "Warning: do not show this program to small children.\n"
                  "It may cause impaired consciousness or convulsions");
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, 10000, 10000), 0, label->text());
        EXPECT_LE(needed.width(), label->width());
        EXPECT_LE(needed.height(), label->height());
        EXPECT_TRUE(dialog.rect().contains(label->geometry()));
        EXPECT_GE(label->y(), part(dialog, "Label2")->geometry().bottom());
        for (const char* other : {"cmdOK", "cmdSysInfo"})
            EXPECT_FALSE(label->geometry().intersects(part(dialog, other)->geometry())) << other;
    }
}

// Black text as designed on a light dialog; a dark theme's own text colour
// on a dark one: never black on dark.
TEST_F(AboutDialogTest, TextStaysReadableUnderADarkTheme)
{
    const QPalette saved = QApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    for (const QPalette& palette : {saved, dark}) {
        QApplication::setPalette(palette);
        ui::AboutDialog dialog(services().systemInfo(), nullptr, true);
        dialog.show();
        const bool light = dialog.palette().color(QPalette::Window).lightness() >= 128;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->objectName() == QLatin1String("picIcon"))
                continue;
            const QColor text = label->palette().color(QPalette::WindowText);
            const QColor background = dialog.palette().color(QPalette::Window);
            SCOPED_TRACE(label->objectName().toStdString());
            EXPECT_GT(std::abs(text.lightness() - background.lightness()), 100);
            if (light && label->objectName() != QLatin1String("lblVersion")) {
                EXPECT_EQ(text, QColor(Qt::black));
            }
        }
    }
    QApplication::setPalette(saved);
}

}  // namespace
}  // namespace varno
