// The Windows main window over fakes, driven by the messages a user's
// clicks and keys send; its parts found by class and control id.
#include "app_info.h"
#include "core/window_geometry.h"
#include "platform/win32/text_conversion.h"
#include "support/fake_services.h"
#include "ui/win32/main_window.h"
#include "ui/win32/resource_ids.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace varno::ui {
namespace {

using namespace testing_support;

struct MainWindowUnderTest : FakeServices {
    std::unique_ptr<MainWindow> window;

    explicit MainWindowUnderTest(std::vector<std::string> stored = {})
    {
        const char* keys[] = {kLeftKey, kTopKey, kWidthKey, kHeightKey};
        for (std::size_t i = 0; i < stored.size(); ++i)
            settings.values[{kAppTitle, kSettingsSection, keys[i]}] = stored[i];
        window = std::make_unique<MainWindow>(services());
        EXPECT_TRUE(window->open());
    }
    HWND frame() const { return FindWindowW(L"VarnoMainWindow", nullptr); }
    HWND part(int id) const
    {
        HWND surface = GetDlgItem(frame(), IDC_PICTURE1);
        return id == IDC_PICTURE1 ? surface : GetDlgItem(surface, id);
    }
    std::string caption() const
    {
        wchar_t text[64] = {};
        GetMenuStringW(GetMenu(frame()), IDM_VIEWOPTIONS, text, 64, MF_BYCOMMAND);
        return platform::win32::wideToUtf8(text);
    }
    bool key(WPARAM code) { return window->preTranslate({GetFocus(), WM_KEYDOWN, code, 0, 0, {}}); }
    void click(HWND target)
    {
        SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    std::vector<std::string> written() const
    {
        std::vector<std::string> texts;
        for (const char* key : {kLeftKey, kTopKey, kWidthKey, kHeightKey}) {
            const auto it = settings.values.find({kAppTitle, kSettingsSection, key});
            texts.push_back(it == settings.values.end() ? "" : it->second);
        }
        return texts;
    }
};

// Closing writes back what was read, unchanged, in one write; a minimised
// window writes nothing.
TEST(Win32MainWindow, OpensMaximisedAndStoresItsRestoredBounds)
{
    const struct {
        std::vector<std::string> stored;
        bool minimise;
        std::vector<std::string> written;
        int writes;
    } cases[] = {
        {{}, false, {"1000", "1000", "6500", "6500"}, 1},
        {{"2000", "1500.5", "9000", "7007.25"}, false, {"2000", "1500.5", "9000", "7007.25"}, 1},
        {{"abc", "1e999", "-5", "6000"}, false, {"1000", "1000", "6500", "6000"}, 1},
        {{"2000", "1500", "9000", "7000"}, true, {"2000", "1500", "9000", "7000"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.empty() ? "nothing stored" : c.stored[0] + (c.minimise ? " minimised" : ""));
        MainWindowUnderTest t(c.stored);
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(t.frame(), &placement);
        EXPECT_EQ(placement.showCmd, UINT(SW_SHOWMAXIMIZED));
        if (c.minimise)
            ShowWindow(t.frame(), SW_MINIMIZE);
        SendMessageW(t.frame(), WM_CLOSE, 0, 0);
        EXPECT_EQ(t.frame(), nullptr);
        EXPECT_EQ(t.settings.writes, c.writes);
        EXPECT_EQ(t.written(), c.writes ? c.written : c.stored);
    }
}

// A save that fails is told once, in a message box, when the user closes
// the window; at the end of the session nobody would see one.
TEST(Win32MainWindow, AFailedSaveIsToldOnce)
{
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
        bool fails;
        std::size_t told;
    } cases[] = {
        {"closed, saved", WM_CLOSE, 0, false, 0},
        {"closed, not saved", WM_CLOSE, 0, true, 1},
        {"the session ends, not saved", WM_ENDSESSION, TRUE, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MainWindowUnderTest t;
        t.settings.failWrites = c.fails;
        SendMessageW(t.frame(), c.message, c.wParam, 0);
        // The session's end is followed by the close's own unload, which adds nothing.
        if (t.frame())
            SendMessageW(t.frame(), WM_CLOSE, 0, 0);
        EXPECT_EQ(t.settings.writes, 1);
        ASSERT_EQ(t.messages.shown.size(), c.told);
        if (c.told) {
            EXPECT_EQ(t.messages.shown[0].first, "ウィンドウの位置と大きさを保存できませんでした");
        }
    }
}

TEST(Win32MainWindow, ClicksKeysAndTheMenuStartAndStop)
{
    MainWindowUnderTest t;
    EXPECT_EQ(t.caption(), "開始(&O)...");
    const struct {
        const char* what;
        std::function<void()> action;
        const char* caption;
    } steps[] = {
        {"Esc while stopped starts nothing", [&] { t.key(VK_ESCAPE); }, "開始(&O)..."},
        {"a click on the surface starts", [&] { t.click(t.part(IDC_PICTURE1)); }, "終了"},
        {"the menu item stops", [&] { SendMessageW(t.frame(), WM_COMMAND, IDM_VIEWOPTIONS, 0); }, "開始"},
        {"a click on a button is no click on the surface", [&] { t.click(t.part(IDC_HSCROLL1)); }, "開始"},
        {"the menu item starts", [&] { SendMessageW(t.frame(), WM_COMMAND, IDM_VIEWOPTIONS, 0); }, "終了"},
        {"Esc stops", [&] { t.key(VK_ESCAPE); }, "開始"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.action();
        EXPECT_EQ(t.caption(), step.caption);
    }
    EXPECT_EQ(GetMenuState(GetMenu(t.frame()), IDM_VIEWBROWSER, MF_BYCOMMAND) & MF_GRAYED, UINT(MF_GRAYED));
    SendMessageW(t.frame(), WM_CLOSE, 0, 0);
}

TEST(Win32MainWindow, TabReachesTheBarWhoseKeysStepThePeriod)
{
    MainWindowUnderTest t;
    SetFocus(t.part(IDC_PICTURE1));
    for (int id : {IDC_HSCROLL1, IDC_COMMAND1, IDC_COMMAND2, IDC_PICTURE1, IDC_HSCROLL1}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(t.key(VK_TAB));
        EXPECT_EQ(GetFocus(), t.part(id));
    }
    // What the focused bar sends for the arrows, Page Up/Down, Home and End.
    const std::pair<WORD, int> steps[] = {{SB_LINERIGHT, 51}, {SB_PAGERIGHT, 61}, {SB_LINELEFT, 60},
                                          {SB_PAGELEFT, 50},  {SB_RIGHT, 500},    {SB_LINERIGHT, 500},
                                          {SB_LEFT, 0},       {SB_PAGELEFT, 0}};
    for (const auto& [request, value] : steps) {
        SCOPED_TRACE(request);
        SendMessageW(t.part(IDC_PICTURE1), WM_HSCROLL, request, reinterpret_cast<LPARAM>(t.part(IDC_HSCROLL1)));
        EXPECT_EQ(GetScrollPos(t.part(IDC_HSCROLL1), SB_CTL), value);
    }
    SendMessageW(t.frame(), WM_CLOSE, 0, 0);
}

// Each dialog opens on the button's current colour; cancelling keeps it.
TEST(Win32MainWindow, ColourButtonsOpenOnTheCurrentColour)
{
    MainWindowUnderTest t;
    const struct {
        int button;
        std::optional<Colour> answer;
        Colour shownWith;
    } presses[] = {
        {IDC_COMMAND1, 0x0000FF, kWhite},
        {IDC_COMMAND1, std::nullopt, 0x0000FF},
        {IDC_COMMAND1, std::nullopt, 0x0000FF},
        {IDC_COMMAND2, 0x00FF00, kBlack},
        {IDC_COMMAND2, std::nullopt, 0x00FF00},
    };
    for (const auto& press : presses) {
        t.chooser.answer = press.answer;
        SendMessageW(t.part(press.button), BM_CLICK, 0, 0);
        ASSERT_FALSE(t.chooser.shownWith.empty());
        EXPECT_EQ(t.chooser.shownWith.back(), press.shownWith);
    }
    EXPECT_EQ(t.chooser.shownWith.size(), std::size(presses));
    SendMessageW(t.frame(), WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace varno::ui
