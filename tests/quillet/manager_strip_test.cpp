// The manager over the real strip: what it shows comes from the strip's list, and what
// OK hands back becomes the strip's list, its picker and, at close, its file.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "Driver.h"
#include "WinTest.h"

using drive::Press;
using drive::StripRun;
using wintest::A;

namespace {

std::string Line(const std::string& location, const std::string& name) { return location + '\x03' + name + "\r\n"; }

TEST(ManagerOnTheStrip, OkReplacesTheListCancelAndEmptyListsLeaveIt) {
    wintest::ScratchKey a("Manager\\Alpha"), b("Manager\\Beta"), c("Manager\\Gamma"), d("Manager\\Delta");
    ASSERT_TRUE(a.Ok() && b.Ok() && c.Ok() && d.Ok());
    StripRun strip("manager_strip");
    ASSERT_TRUE(strip.WriteIni(Line(a.Path(), A("甲")) + Line(b.Path(), "Beta") + Line(c.Path(), A("丙 三"))));
    ASSERT_TRUE(strip.Start());
    const std::vector<std::string> originalPicker = {A("甲"), "Beta", A("丙 三")};
    ASSERT_EQ(originalPicker, strip.PickerItems());
    wintest::MessageBoxWatcher boxes(IDYES, strip.Pid());
    // Opens the manager, runs `steps` on its list, then presses `end` and waits for it to go.
    auto manage = [&](int end, const std::function<void(HWND, HWND)>& steps) {
        strip.Press(1006);
        HWND dlg = strip.WaitDialog(A("快捷方式管理器"));
        ASSERT_NE(nullptr, dlg);
        steps(dlg, GetDlgItem(dlg, 1018));
        Press(dlg, end);
        ASSERT_TRUE(wintest::WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    };

    // Opened filled from the strip's list; a deletion then Cancel changes nothing.
    auto count = [](HWND list, size_t n) { return wintest::WaitUntil([&] { return drive::Rows(list).size() == n; }, 5000); };
    manage(IDCANCEL, [&](HWND dlg, HWND list) {
        EXPECT_EQ((std::vector<std::string>{A("甲 = ") + a.Path(), "Beta = " + b.Path(), A("丙 三 = ") + c.Path()}),
                  drive::Rows(list));
        drive::SelectRow(list, 0);
        Press(dlg, 32772);
        EXPECT_TRUE(count(list, 2));
    });
    EXPECT_EQ(originalPicker, strip.PickerItems());

    // Add at the end, delete the second row, OK: the picker follows, in row order.
    manage(IDOK, [&](HWND dlg, HWND list) {
        EXPECT_TRUE(count(list, 3));
        Press(dlg, 32771);
        HWND editor = strip.WaitDialog(A("添加快捷方式"));
        ASSERT_NE(nullptr, editor);
        drive::FillEditor(editor, d.Path(), "Delta");
        ASSERT_TRUE(count(list, 4));
        drive::SelectRow(list, 1);
        Press(dlg, 32772);
        EXPECT_TRUE(count(list, 3));
    });
    const std::vector<std::string> editedPicker = {A("甲"), A("丙 三"), "Delta"};
    EXPECT_EQ(editedPicker, strip.PickerItems());

    // Every row deleted and OK: the message, and the list stays.
    manage(IDOK, [&](HWND dlg, HWND list) {
        for (size_t left = 3; left > 0; --left) {
            drive::SelectRow(list, 0);
            Press(dlg, 32772);
            ASSERT_TRUE(count(list, left - 1));
        }
    });
    ASSERT_TRUE(wintest::WaitUntil([&] { return boxes.Seen().size() == 6; }, 5000));
    EXPECT_EQ(A("没有获取任何的快捷方式，数据将不会被更新"), boxes.Seen()[5].text);
    EXPECT_EQ(editedPicker, strip.PickerItems());

    EXPECT_TRUE(strip.Close());
    EXPECT_EQ(Line(a.Path(), A("甲")) + Line(c.Path(), A("丙 三")) + Line(d.Path(), "Delta"), strip.ReadIni());
}

// The picture of the manager in the documentation. Wine leaves the frame to the window
// manager, which the rig's display does not have; a program started while the driver is
// told to draw its own frames shows the caption as a user sees it.
TEST(ManagerOnTheStrip, ShowsItsToolTipAndIsPicturedForTheDocumentation) {
    HKEY x11 = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", &x11));
    RegSetValueExA(x11, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    wintest::ScratchKey tools("Manager\\Tools"), view("Manager\\View");
    StripRun strip("manager_picture");
    ASSERT_TRUE(strip.WriteIni(
        Line("HKEY_CURRENT_USER\\Environment", A("环境变量")) +
        Line("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", A("开机启动项")) +
        Line("HKEY_CURRENT_USER\\Control Panel\\Desktop", A("桌面设置")) + Line(tools.Path(), A("我的工具")) +
        Line(view.Path(), "View")));
    bool started = strip.Start();
    RegDeleteValueA(x11, "Decorated");
    RegCloseKey(x11);
    ASSERT_TRUE(started);
    strip.Press(1006);
    HWND dlg = strip.WaitDialog(A("快捷方式管理器"));
    ASSERT_NE(nullptr, dlg);
    wintest::PumpFor(1000);
    EXPECT_TRUE(wintest::SaveScreenshot(dlg, wintest::ScratchDir("manager") + "manager_picture.bmp"));

    // Resting the mouse on the fourth of four equal buttons (the size comes back in the
    // result: no pointers across) shows the import button's tip.
    HWND bar = GetDlgItem(dlg, 0xE800);
    LRESULT size = SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0);
    RECT rc;
    GetWindowRect(bar, &rc);
    int x = rc.left + 3 * LOWORD(size) + LOWORD(size) / 2, y = rc.top + HIWORD(size) / 2 + 2;
    drive::MouseMoveTo(x, y);
    wintest::PumpFor(100);
    drive::MouseMoveTo(x + 1, y + 1);
    HWND tips = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
    EXPECT_TRUE(wintest::WaitUntil([&] { return IsWindowVisible(tips) && !drive::Text(tips).empty(); }, 5000));
    EXPECT_EQ(A("导入注册表收藏夹"), drive::Text(tips));
    Press(dlg, IDCANCEL);
    EXPECT_TRUE(strip.Close());
}

}  // namespace
