// The manager over the real strip: what it shows comes from the strip's list, and what
// OK hands back becomes the strip's list, its picker and, at close, its file.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "Driver.h"
#include "WinTest.h"
#include "resource.h"

using drive::IniLine;
using drive::StripRun;
using wintest::A;

namespace {

// How many pixels of `pixels` pass `is`, and the rows from the first to the last that has one:
// read once one does (what a window paints reaches the screen a moment later).
struct Count {
    int pixels = 0, rows = 0;
};
Count CountPixels(const RECT& rc, const std::function<bool(int r, int g, int b)>& is) {
    Count count;
    wintest::WaitUntil([&] {
        const std::vector<DWORD> pixels = wintest::ScreenPixels(rc);
        const int w = rc.right - rc.left;
        count = Count();
        for (int i = 0, first = -1; i < static_cast<int>(pixels.size()); ++i) {
            const DWORD p = pixels[i];
            if (!is(p >> 16, (p >> 8) & 255, p & 255)) continue;
            ++count.pixels;
            if (first < 0) first = i / w;
            count.rows = i / w - first + 1;
        }
        return count.pixels > 0;
    });
    return count;
}

// Run by the rig's scaling script at 96, 144 and 192 DPI as well. The strip starts as far
// from the left as the scale says unless it would leave the screen; a button face is the
// one drawn for the scale (its one-pixel bevel is fitted into the button as thin as at 96,
// where a 16-pixel face blown up would thicken it); the manager's toolbar pictures (cyan
// cubes) are the scaled size and its tips come where the mouse rests. On the way the
// manager shows the strip's list, and OK's list becomes the strip's picker and, at close,
// its file (Cancel and an emptied list: the manager's own test).
TEST(ManagerOnTheStrip, GrowsWithTheDisplayScaleAndShowsItsToolTip) {
    // Key paths by syntax: the first names no key, the last has the short root name.
    const std::string a = "HKEY_CURRENT_USER\\Software\\QbTests\\Missing", b = "HKEY_CURRENT_USER\\Environment",
                      c = "HKCU\\Software";
    StripRun strip("manager_strip");
    ASSERT_TRUE(strip.WriteIni(IniLine(a, A("甲")) + IniLine(b, "Beta") + IniLine(c, A("丙 三"))) && strip.Start());
    wintest::MessageBoxWatcher boxes(IDYES, strip.Pid());
    const int dpi = wintest::ScreenDpi(), screenW = GetSystemMetrics(SM_CXSCREEN);
    RECT rc;
    GetWindowRect(strip.Strip(), &rc);
    EXPECT_EQ(rc.left, std::min(MulDiv(100, dpi, 96), screenW - static_cast<int>(rc.right - rc.left)));
    EXPECT_TRUE(rc.top == 0 && rc.right <= screenW) << rc.top << " " << rc.right;
    // The one-pixel dark bevel at the foot of the About face, in the button's middle column.
    RECT about;
    GetWindowRect(strip.Item(IDC_ABOUT), &about);
    about.left = (about.left + about.right) / 2;
    about.right = about.left + 1;
    const int bevel = CountPixels(about, [](int r, int g, int b) { return r == 153 && g == 127 && b == 26; }).pixels;
    strip.Press(IDC_MANAGER);
    HWND dlg = strip.WaitDialog(A("快捷方式管理器")), list = GetDlgItem(dlg, IDC_SHORTCUT_LIST);
    ASSERT_NE(nullptr, dlg);
    EXPECT_EQ((std::vector<std::string>{A("甲 = ") + a, "Beta = " + b, A("丙 三 = ") + c}), drive::Rows(list));

    // Resting the mouse on the fourth of four equal buttons (the size comes back in the
    // result: no pointers across) shows the import button's tip.
    HWND bar = GetDlgItem(dlg, 0xE800);
    LRESULT size = SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0);
    GetWindowRect(bar, &rc);
    const int cube = CountPixels(rc, [](int r, int g, int b) { return r < 180 && g > 140 && b > 140; }).rows;
    const std::vector<int> at96 = wintest::FiguresAt96("quillet", {bevel, cube});
    ASSERT_EQ(at96.size(), 2u) << "the run at 96 DPI comes first";
    EXPECT_TRUE(bevel > 0 && bevel == at96[0]) << bevel << " rows of bevel: the face drawn for the scale";
    EXPECT_NEAR(cube, at96[1] * dpi / 96, 1) << "height of the toolbar's cubes";
    int x = rc.left + 3 * LOWORD(size) + LOWORD(size) / 2, y = rc.top + HIWORD(size) / 2 + 2;
    drive::MouseMoveTo(x, y);
    wintest::PumpFor(100);
    drive::MouseMoveTo(x + 1, y + 1);
    HWND tips = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
    EXPECT_TRUE(wintest::WaitUntil([&] { return IsWindowVisible(tips) && !drive::Text(tips).empty(); }));
    EXPECT_EQ(A("导入注册表收藏夹"), drive::Text(tips));
    drive::SelectRow(list, 1);
    drive::MouseClick(x - 2 * LOWORD(size), y);  // the second button: delete
    EXPECT_TRUE(wintest::WaitUntil([&] { return drive::Rows(list).size() == 2; }));
    drive::Key(VK_RETURN);  // the keyboard on OK
    ASSERT_TRUE(drive::WaitGone(dlg));
    EXPECT_EQ((std::vector<std::string>{A("甲"), A("丙 三")}), strip.PickerItems());
    EXPECT_TRUE(strip.Close());
    EXPECT_EQ(IniLine(a, A("甲")) + IniLine(c, A("丙 三")), strip.ReadIni());
}

}  // namespace
