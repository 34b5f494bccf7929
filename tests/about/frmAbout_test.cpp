#include "about/frmAbout.h"
#include "main_window/frmMain.h"
#include "support/fake_services.h"

#include "app_info.h"
#include "sys_info_fakes.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace varno {
namespace {

using testing_support::FakeFileQuery;
using testing_support::FakeLauncher;
using testing_support::RecordingMessageBox;
using testing_support::ScriptedRegistry;

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

class frmAboutTest : public ::testing::Test {
protected:
    std::unique_ptr<frmAbout> Make(QWidget* owner = nullptr)
    {
        return std::make_unique<frmAbout>(about::SysInfoServices{registry, files, launcher, messages}, owner);
    }

    std::unique_ptr<frmAbout> Shown()
    {
        auto dialog = Make();
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }

    ScriptedRegistry registry;
    FakeFileQuery files;
    FakeLauncher launcher;
    RecordingMessageBox messages;
};

TEST_F(frmAboutTest, TextsAfterLoad)
{
    auto dialog = Shown();
    const std::pair<QString, QString> expected[] = {
        {dialog->windowTitle(), U("ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ")},
        {dialog->lblTitle()->text(), U("ゾルテカ")},
        {dialog->lblVersion()->text(), U("Version 1.4.0")},
        {dialog->lblDescription()->text(), U("ゾルテカ作成ソフトです。")},
        {dialog->Label1()->text(), U("Copyright (C) 2024-2026 ゾルテカ開発チーム")},
        {dialog->Label3()->text(), U("連絡先: support@zoruteka.example")},
        {dialog->lblDisclaimer()->text(), U("警告:このソフトを小さい子供に見せないでください。")},
        {dialog->Label2()->text(), U("　　　意識障害やけいれんなどを引き起こす場合があります")},
        {dialog->cmdOK()->text(), U("OK")},
        {dialog->cmdSysInfo()->text(), U("ｼｽﾃﾑ情報(&S)...")},
    };
    for (const auto& [actual, wanted] : expected)
        EXPECT_EQ(actual.toStdString(), wanted.toStdString());
    EXPECT_EQ(dialog->lblVersion()->text(), QStringLiteral("Version %1.%2.%3")
                                                .arg(kVersionMajor)
                                                .arg(kVersionMinor)
                                                .arg(kVersionRevision));
    EXPECT_FALSE(dialog->picIcon()->pixmap().isNull());
}

TEST_F(frmAboutTest, LoadReplacesTheDesignTextsEveryTime)
{
    auto dialog = Make();
    EXPECT_EQ(dialog->lblVersion()->text(), U("Version　1.4"));
    for (int opening = 0; opening < 2; ++opening) {
        dialog->lblVersion()->setText(QStringLiteral("stale"));
        dialog->lblTitle()->setText(QStringLiteral("stale"));
        dialog->show();
        EXPECT_EQ(dialog->lblVersion()->text(), U("Version 1.4.0"));
        EXPECT_EQ(dialog->lblTitle()->text(), U("ゾルテカ"));
        dialog->cmdOK()->click();
        EXPECT_FALSE(dialog->isVisible());
    }
}

TEST_F(frmAboutTest, FixedModalDialogWithoutMinimiseOrMaximise)
{
    QWidget owner;
    auto dialog = Make(&owner);
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_EQ(dialog->windowType(), Qt::Dialog);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->parentWidget(), &owner);  // transient for its owner: no task bar entry
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_FALSE(dialog->isSizeGripEnabled());
    EXPECT_EQ(dialog->cmdOK()->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    for (QLabel* label : dialog->labels())
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << label->objectName().toStdString();
}

TEST_F(frmAboutTest, OpensCentredOnTheScreenWithTheFocusOnOK)
{
    QWidget owner;
    owner.setGeometry(5, 5, 200, 100);
    owner.show();
    auto dialog = Make(&owner);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    EXPECT_EQ(dialog->frameGeometry().center(), owner.screen()->geometry().center());
    EXPECT_EQ(QApplication::focusWidget(), dialog->cmdOK());
    EXPECT_TRUE(dialog->cmdOK()->isDefault());
}

TEST_F(frmAboutTest, KeysAndButtonsThatClose)
{
    struct Way {
        const char* what;
        void (*close)(frmAbout&);
    } ways[] = {
        {"Esc", [](frmAbout& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"Enter", [](frmAbout&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }},
        {"keypad Enter", [](frmAbout& d) { QTest::keyClick(&d, Qt::Key_Enter); }},
        {"click OK", [](frmAbout& d) { QTest::mouseClick(d.cmdOK(), Qt::LeftButton); }},
        {"space on OK", [](frmAbout& d) { QTest::keyClick(d.cmdOK(), Qt::Key_Space); }},
        {"close box", [](frmAbout& d) { d.close(); }},
    };
    auto dialog = Make();
    for (const Way& way : ways) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get())) << way.what;
        way.close(*dialog);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); })) << way.what;
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(registry.opens.empty());
}

TEST_F(frmAboutTest, AltSRunsTheLauncherAndStaysOpen)
{
    registry.SetText(about::kSysInfoPathKey, about::kSysInfoPathValue, "/opt/info tool");
    launcher.programs = {"/opt/info tool"};
    auto dialog = Shown();
    QTest::keyClick(dialog.get(), Qt::Key_S, Qt::AltModifier);
    // A shortcut presses the button visibly, so the click comes a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !launcher.tried.empty(); }));
    EXPECT_EQ(launcher.started, std::vector<std::string>{"/opt/info tool"});
    EXPECT_TRUE(dialog->isVisible());

    registry.values.clear();
    QTest::mouseClick(dialog->cmdSysInfo(), Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, about::kSysInfoUnavailable);
    EXPECT_TRUE(dialog->isVisible());

    // Enter presses the button that has the focus.
    dialog->cmdSysInfo()->setFocus();
    QTest::keyClick(dialog->cmdSysInfo(), Qt::Key_Return);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(frmAboutTest, DesignPositionsAtFifteenTwipsAPixel)
{
    auto dialog = Shown();
    const double dpi = dialog->screen()->logicalDotsPerInchX();
    if (dpi != 96.0)
        GTEST_SKIP() << "screen at " << dpi << " DPI";
    // Sideways nothing moves whatever the font.
    EXPECT_EQ(dialog->width(), 449);
    // Tops below the title move down when a label above needs more lines
    // than designed; a label's height only grows.
    struct Placed {
        QWidget* widget;
        QRect design;
        bool fixedTop;
    } placed[] = {
        {dialog->cmdOK(), QRect(323, 175, 113, 23), false},
        {dialog->cmdSysInfo(), QRect(324, 205, 112, 23), false},
        {dialog->picIcon(), QRect(16, 16, 36, 36), true},
        {dialog->lblTitle(), QRect(70, 16, 259, 32), true},
        {dialog->lblVersion(), QRect(70, 52, 259, 15), true},
        {dialog->lblDescription(), QRect(70, 75, 259, 22), false},
        {dialog->Label1(), QRect(72, 112, 259, 22), false},
        {dialog->Label3(), QRect(72, 136, 259, 22), false},
        {dialog->lblDisclaimer(), QRect(17, 175, 258, 23), false},
        // Narrowed to end where the system information button starts.
        {dialog->Label2(), QRect(16, 200, 308, 23), false},
    };
    for (const Placed& p : placed) {
        const std::string name = p.widget->objectName().toStdString();
        EXPECT_EQ(p.widget->x(), p.design.x()) << name;
        EXPECT_EQ(p.widget->width(), p.design.width()) << name;
        if (p.fixedTop)
            EXPECT_EQ(p.widget->y(), p.design.y()) << name;
        else
            EXPECT_GE(p.widget->y(), p.design.y()) << name;
        if (qobject_cast<QLabel*>(p.widget) && p.widget != dialog->picIcon())
            EXPECT_GE(p.widget->height(), p.design.height()) << name;
        else
            EXPECT_EQ(p.widget->height(), p.design.height()) << name;
    }
    EXPECT_EQ(dialog->ruleGeometry().left(), 15);
    EXPECT_EQ(dialog->ruleGeometry().right(), 362);
}

// Every label shows its whole text, whatever the font: wrapped within its
// width, within its height, clear of the buttons, the rule and the other
// labels, and inside the dialog.
class LabelsFit : public frmAboutTest, public ::testing::WithParamInterface<int> {};

TEST_P(LabelsFit, EveryTextWhole)
{
    const QFont saved = QApplication::font();
    QFont font = saved;
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
    font.setPointSize(GetParam());
    QApplication::setFont(font);
    auto dialog = Shown();

    std::vector<std::pair<QString, QRect>> texts;
    for (QLabel* label : dialog->labels()) {
        const std::string name = label->objectName().toStdString();
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000),
                                                               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                                               label->text());
        EXPECT_LE(needed.width(), label->width()) << name;
        EXPECT_LE(needed.height(), label->height()) << name;
        EXPECT_TRUE(dialog->rect().contains(label->geometry())) << name;
        const QRect shown = needed.translated(label->pos());
        for (QPushButton* button : {dialog->cmdOK(), dialog->cmdSysInfo()})
            EXPECT_FALSE(shown.intersects(button->geometry())) << name;
        EXPECT_FALSE(shown.intersects(dialog->ruleGeometry().adjusted(0, 0, 0, 2))) << name;
        EXPECT_FALSE(shown.intersects(dialog->picIcon()->geometry())) << name;
        for (const auto& [other, rect] : texts)
            EXPECT_FALSE(shown.intersects(rect)) << name << " and " << other.toStdString();
        texts.emplace_back(label->objectName(), shown);
    }
    for (QPushButton* button : {dialog->cmdOK(), dialog->cmdSysInfo()}) {
        EXPECT_TRUE(dialog->rect().contains(button->geometry()));
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().remove(u'&')), button->width());
    }
    QApplication::setFont(saved);
}

INSTANTIATE_TEST_SUITE_P(PointSizes, LabelsFit, ::testing::Values(7, 8, 9, 10, 11, 12));

TEST_F(frmAboutTest, SharedInstanceBelongsToItsOwner)
{
    auto owner = std::make_unique<QWidget>();
    platform::Services services;
    EXPECT_THROW(frmAbout::Shared(services, owner.get()), std::logic_error);
    services.registry = &registry;
    services.fileQuery = &files;
    services.launcher = &launcher;
    services.messageBox = &messages;
    frmAbout& first = frmAbout::Shared(services, owner.get());
    EXPECT_EQ(&frmAbout::Shared(services, owner.get()), &first);
    EXPECT_EQ(first.parentWidget(), owner.get());

    // Modal: the show returns when the dialog has gone.
    QTimer::singleShot(0, &first, [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), &first);
        first.reject();
    });
    EXPECT_EQ(first.exec(), QDialog::Rejected);

    owner.reset();  // the main window goes, the dialog with it
    QWidget next;
    EXPECT_EQ(frmAbout::Shared(services, &next).parentWidget(), &next);
}

TEST_F(frmAboutTest, HelpMenuOpensTheSharedDialogOverTheMainWindow)
{
    testing_support::FakeSettingsStore settings;
    testing_support::FakeColourChooser chooser;
    platform::Services services;
    services.settings = &settings;
    services.commonDialog1 = &chooser;
    services.commonDialog2 = &chooser;
    services.messageBox = &messages;
    services.registry = &registry;
    services.fileQuery = &files;
    services.launcher = &launcher;
    frmMain form(services);
    form.Form_Load();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    std::vector<frmAbout*> opened;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, &form, [&] {
            auto* dialog = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            opened.push_back(dialog);
            EXPECT_EQ(dialog->parentWidget(), &form);
            EXPECT_EQ(dialog->lblVersion()->text(), U("Version 1.4.0"));
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        form.helpAboutAction()->trigger();  // returns once the dialog is closed
        ASSERT_EQ(opened.size(), static_cast<std::size_t>(opening + 1));
        EXPECT_FALSE(opened.back()->isVisible());
    }
    EXPECT_EQ(opened[0], opened[1]);
}

}  // namespace
}  // namespace varno
