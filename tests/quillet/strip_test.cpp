// The strip as a user meets it: the real Quillet.exe in a scratch folder beside its own
// shortcut file, driven from this test program with window messages and real input.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "StandIn.h"
#include "StripHarness.h"
#include "WinTest.h"

using striptest::StripRun;
using wintest::A;
using wintest::U;

namespace {

const UINT WM_SHORTCUT_QUERY = 0x735;
const UINT WM_SHORTCUT_ACTION = 0x736;

// One shortcut line of the file: location, 0x03, name, CR LF.
std::string Line(const std::string& location, const std::string& name) {
    return location + '\x03' + name + "\r\n";
}

FILETIME WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool SameTime(FILETIME a, FILETIME b) { return CompareFileTime(&a, &b) == 0; }

// Waits until the message box watcher has seen `count` boxes.
bool WaitBoxes(wintest::MessageBoxWatcher& watcher, size_t count, DWORD timeoutMs = 5000) {
    return wintest::WaitUntil([&] { return watcher.Seen().size() >= count; }, timeoutMs);
}

COLORREF ScreenPixel(int x, int y) {
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return c;
}

HWND FocusOf(HWND anyWindowOfThread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(anyWindowOfThread, nullptr), &info);
    return info.hwndFocus;
}

// Three keys that exist, below the test's own scratch key.
struct ThreeKeys {
    wintest::ScratchKey a{"Strip\\Alpha"};
    wintest::ScratchKey b{"Strip\\Beta"};
    wintest::ScratchKey c{"Strip\\Gamma"};
    std::string File() const {
        return Line(a.Path(), A("甲")) + Line(b.Path(), "Beta") + Line(c.Path(), A("丙 三"));
    }
};

}  // namespace

// --- The window itself --------------------------------------------------------------------

TEST(Strip, StartsAsTopmostToolWindowAtTheTopEdge) {
    StripRun run("strip_start");
    ASSERT_TRUE(run.Start());
    HWND strip = run.Strip();

    RECT rc;
    GetWindowRect(strip, &rc);
    EXPECT_EQ(rc.left, 100);
    EXPECT_EQ(rc.top, 0);
    EXPECT_GT(rc.right - rc.left, 10 * (rc.bottom - rc.top)) << "a thin strip";

    LONG ex = GetWindowLongA(strip, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    LONG style = GetWindowLongA(strip, GWL_STYLE);
    EXPECT_NE(style & WS_CAPTION, (LONG)WS_CAPTION) << "a thin border, no caption";

    // The grip area, left of the first separator, shows the strip's own background.
    wintest::PumpFor(300);
    POINT grip = {3, (rc.bottom - rc.top) / 2};
    ClientToScreen(strip, &grip);
    EXPECT_EQ(ScreenPixel(grip.x, grip.y), RGB(255, 192, 255));

    // The path box waits hidden; everything else of the normal mode shows.
    EXPECT_FALSE(IsWindowVisible(run.PathBox()));
    for (int id : {1000, 1002, 1003, 1004, 1005, 1006, 1008, 1009, 1010, 1011, 1012, 1013, 1014})
        EXPECT_TRUE(IsWindowVisible(run.Item(id))) << id;
    EXPECT_EQ(FocusOf(strip), run.Item(1003));
    EXPECT_TRUE(run.Close());
}

TEST(Strip, EveryStartOpensAFurtherStripAtTheSamePlace) {
    StripRun first("strip_twice_1"), second("strip_twice_2");
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    ASSERT_NE(first.Strip(), second.Strip());
    RECT a, b;
    GetWindowRect(first.Strip(), &a);
    GetWindowRect(second.Strip(), &b);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
    EXPECT_TRUE(second.Close());
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(first.Close());
}

TEST(Strip, EnterEscAndAltF4LeaveItOpen) {
    StripRun run("strip_keys");
    ASSERT_TRUE(run.Start());
    HWND strip = run.Strip();
    HWND focus = FocusOf(strip);
    ASSERT_NE(focus, nullptr);
    for (HWND target : {strip, focus}) {
        PostMessageA(target, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(target, WM_KEYUP, VK_RETURN, 0xC0000001);
        PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
        PostMessageA(target, WM_SYSKEYDOWN, VK_F4, 0x20000001);  // with Alt held
    }
    PostMessageA(strip, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(strip, WM_CLOSE, 0, 0);
    wintest::PumpFor(1000);
    EXPECT_TRUE(run.Running());
    EXPECT_TRUE(IsWindowVisible(strip));
    // No dialog came up either (Enter on the focused add button is not a click).
    EXPECT_EQ(run.WaitDialog(A("添加快捷方式"), 200), nullptr);
    EXPECT_TRUE(run.Close()) << "only the close button ends it";
}

TEST(Strip, ManualOpenModeSwapsTheControlsAndLightsItsButton) {
    StripRun run("strip_manual");
    ASSERT_TRUE(run.Start());
    HWND strip = run.Strip();
    RECT b;
    GetWindowRect(run.Item(1012), &b);
    auto face = [&] { return striptest::Grab(b); };
    wintest::PumpFor(300);
    std::vector<unsigned> normal = face();
    ASSERT_FALSE(normal.empty());

    const int swapped[] = {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011};
    for (int round = 0; round < 2; ++round) {
        SendMessageA(strip, WM_COMMAND, MAKEWPARAM(1012, BN_CLICKED), (LPARAM)run.Item(1012));
        wintest::PumpFor(200);
        for (int id : swapped) EXPECT_FALSE(IsWindowVisible(run.Item(id))) << id;
        for (int id : {1012, 1013, 1014}) EXPECT_TRUE(IsWindowVisible(run.Item(id))) << id;
        EXPECT_TRUE(IsWindowVisible(run.PathBox()));
        EXPECT_TRUE(IsChild(run.PathBox(), FocusOf(strip)) || FocusOf(strip) == run.PathBox());
        EXPECT_NE(face(), normal) << "lit while the mode is on";

        SendMessageA(strip, WM_COMMAND, MAKEWPARAM(1012, BN_CLICKED), (LPARAM)run.Item(1012));
        wintest::PumpFor(200);
        for (int id : swapped) EXPECT_TRUE(IsWindowVisible(run.Item(id))) << id;
        EXPECT_FALSE(IsWindowVisible(run.PathBox()));
        EXPECT_EQ(FocusOf(strip), run.Item(1003));
        EXPECT_EQ(face(), normal);
    }
    EXPECT_TRUE(run.Close());
}

TEST(Strip, AboutBoxDisablesTheStripWhileOpen) {
    StripRun run("strip_about");
    ASSERT_TRUE(run.Start());
    run.Press(1013);
    HWND about = run.WaitDialog(A("关于QuilletV4.0"));
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(IsWindowEnabled(run.Strip()));
    PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(about, IDCANCEL));
    EXPECT_TRUE(wintest::WaitUntil([&] { return !IsWindow(about); }, 5000));
    EXPECT_TRUE(wintest::WaitUntil([&] { return IsWindowEnabled(run.Strip()) != FALSE; }, 2000));
    EXPECT_TRUE(run.Close());
}

TEST(Strip, DraggingTheGripMovesItAndAButtonDoesNot) {
    StripRun run("strip_drag");
    ASSERT_TRUE(run.Start());
    HWND strip = run.Strip();
    RECT before, after;
    GetWindowRect(strip, &before);
    // The grip, left of the first separator.
    POINT grip = {before.left + 4, (before.top + before.bottom) / 2};
    striptest::MouseDrag(grip, POINT{grip.x + 40, grip.y + 20});
    GetWindowRect(strip, &after);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 20);

    // A press on a button is the button's: the strip stays where it is.
    RECT button;
    GetWindowRect(run.Item(1012), &button);
    before = after;
    POINT press = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    striptest::MouseDrag(press, POINT{press.x + 40, press.y + 20});
    GetWindowRect(strip, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_TRUE(run.Close());
}

// --- The list and its file ------------------------------------------------------------------

TEST(Strip, FileFillsThePickerInOrderAndStaysUntouchedWithoutChanges) {
    ThreeKeys keys;
    StripRun run("strip_fill");
    // Bad lines around the good ones: no separator, empty name, empty location, an unknown
    // root, a blank line, a line cut by a lone LF (kept whole: the LF is not a line end).
    std::string file = "no separator here\r\n" + Line(keys.a.Path(), A("甲")) + Line(keys.a.Path(), "") +
                       Line("", "nameless") + "\r\n" + Line("HKEY_NOWHERE\\Software", "bad root") +
                       Line(keys.b.Path(), "Beta") + "  \t\r\n" + Line(keys.c.Path(), A("丙 三"));
    ASSERT_TRUE(run.WriteIni(file));
    FILETIME before = WriteTime(run.IniPath());
    Sleep(1100);  // so that a rewrite would show in the time stamp
    ASSERT_TRUE(run.Start());

    std::vector<std::string> want = {A("甲"), "Beta", A("丙 三")};
    EXPECT_EQ(run.PickerItems(), want);
    EXPECT_EQ(run.PickerSelection(), -1) << "nothing is selected after the fill";

    // Ids follow the file order from 0: the strip hands them to a window that asks.
    struct Seen {
        std::vector<WPARAM> ids;
    } seen;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == 0x734) {
            reinterpret_cast<Seen*>(GetWindowLongPtrA(h, GWLP_USERDATA))->ids.push_back(w);
            return 0;
        }
        return DefWindowProcA(h, m, w, l);
    };
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "StripIdSink";
    RegisterClassA(&wc);
    HWND sink = CreateWindowA("StripIdSink", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(sink, GWLP_USERDATA, (LONG_PTR)&seen);
    EXPECT_EQ(SendMessageA(run.Strip(), WM_SHORTCUT_QUERY, (WPARAM)-1, (LPARAM)sink), 0);
    EXPECT_EQ(seen.ids, (std::vector<WPARAM>{0, 1, 2}));
    DestroyWindow(sink);
    // A handle that is not a window is refused.
    EXPECT_EQ(SendMessageA(run.Strip(), WM_SHORTCUT_QUERY, (WPARAM)-1, (LPARAM)sink), -1);
    // Actions on positions that do not exist, or unknown codes, fail without a dialog.
    EXPECT_EQ(SendMessageA(run.Strip(), WM_SHORTCUT_ACTION, 2, 7), -1);
    EXPECT_EQ(SendMessageA(run.Strip(), WM_SHORTCUT_ACTION, 16, 0), -1);

    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.ReadIni(), file);
    EXPECT_TRUE(SameTime(WriteTime(run.IniPath()), before)) << "a run without change does not write";
}

TEST(Strip, AddEditAndDeleteThroughTheDialogsRewriteTheFileInListOrder) {
    ThreeKeys keys;
    wintest::ScratchKey extra("Strip\\Delta");
    StripRun run("strip_edit");
    ASSERT_TRUE(run.WriteIni(keys.File()));
    ASSERT_TRUE(run.Start());
    wintest::MessageBoxWatcher boxes(IDOK, run.Pid());

    // Add: every check of the editor answers through its message, the dialog stays open.
    run.Press(1003);
    HWND dlg = run.WaitDialog(A("添加快捷方式"));
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(IsWindowEnabled(run.Strip()));
    struct Refused {
        std::string location, name, caption, text;
    };
    const Refused refused[] = {
        {"", "x", A("注意"), A("键值位置不能为空")},
        {extra.Path() + "\\Missing", "x", A("错误"), A("无效的键值位置，请检查该键值是否存在")},
        {extra.Path() + "\\", "", A("注意"), A("软件不能获取有效的键名，请用户填写键名")},
        {extra.Path(), " lead", A("注意"), A("键名的第一个字母不能为空格或制表符")},
    };
    size_t count = 0;
    for (const Refused& r : refused) {
        striptest::FillShortcutDialog(dlg, r.location, r.name);
        ASSERT_TRUE(WaitBoxes(boxes, ++count)) << U(r.text);
        auto box = boxes.Seen().back();
        EXPECT_EQ(U(box.caption), U(r.caption));
        EXPECT_EQ(U(box.text), U(r.text));
        wintest::PumpFor(200);
        EXPECT_TRUE(IsWindow(dlg)) << "stays open after " << U(r.text);
    }
    striptest::FillShortcutDialog(dlg, extra.Path(), "Delta");
    ASSERT_TRUE(wintest::WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    std::vector<std::string> want = {A("甲"), "Beta", A("丙 三"), "Delta"};
    EXPECT_EQ(run.PickerItems(), want) << "appended last";
    EXPECT_EQ(run.PickerSelection(), -1) << "an add does not select";

    // Edit and delete act on the picker's selection; without one they do nothing.
    run.Press(1005);
    run.Press(1004);
    EXPECT_EQ(run.WaitDialog(A("编辑快捷方式"), 500), nullptr);
    EXPECT_EQ(boxes.Seen().size(), count);

    SendMessageW(run.Picker(), CB_SETCURSEL, 1, 0);
    run.Press(1005);
    dlg = run.WaitDialog(A("编辑快捷方式"));
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(striptest::WindowText(GetDlgItem(dlg, 1016)), keys.b.Path());
    EXPECT_EQ(striptest::WindowText(GetDlgItem(dlg, 1017)), "Beta");
    striptest::FillShortcutDialog(dlg, keys.b.Path(), A("乙 改"));
    ASSERT_TRUE(wintest::WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    want[1] = A("乙 改");
    EXPECT_EQ(run.PickerItems(), want);
    EXPECT_EQ(run.PickerSelection(), 1) << "the edited item keeps its place and is selected";

    // Delete asks first; No keeps everything, Yes removes the selected item.
    SendMessageW(run.Picker(), CB_SETCURSEL, 0, 0);
    boxes.SetAnswer(IDNO);
    run.Press(1004);
    ASSERT_TRUE(WaitBoxes(boxes, ++count));
    EXPECT_EQ(U(boxes.Seen().back().caption), "删除快捷方式");
    EXPECT_EQ(U(boxes.Seen().back().text), "确定要删除所选择的快捷方式吗？");
    wintest::PumpFor(300);
    EXPECT_EQ(run.PickerItems(), want);
    boxes.SetAnswer(IDYES);
    run.Press(1004);
    ASSERT_TRUE(WaitBoxes(boxes, ++count));
    ASSERT_TRUE(wintest::WaitUntil([&] { return run.PickerItems().size() == 3; }, 3000));
    want.erase(want.begin());
    EXPECT_EQ(run.PickerItems(), want);

    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.ReadIni(),
              Line(keys.b.Path(), A("乙 改")) + Line(keys.c.Path(), A("丙 三")) + Line(extra.Path(), "Delta"));
}

TEST(Strip, DeletingEverythingLeavesTheFileAsItWas) {
    ThreeKeys keys;
    StripRun run("strip_empty");
    ASSERT_TRUE(run.WriteIni(keys.File()));
    FILETIME before = WriteTime(run.IniPath());
    Sleep(1100);
    ASSERT_TRUE(run.Start());
    wintest::MessageBoxWatcher boxes(IDYES, run.Pid());
    for (size_t left = 3; left > 0; --left) {
        SendMessageW(run.Picker(), CB_SETCURSEL, 0, 0);
        run.Press(1004);
        ASSERT_TRUE(wintest::WaitUntil([&] { return run.PickerItems().size() == left - 1; }, 5000));
    }
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.ReadIni(), keys.File());
    EXPECT_TRUE(SameTime(WriteTime(run.IniPath()), before));
}

// --- Sound behaviour around the file ---------------------------------------------------------

TEST(Strip, AFileThatCouldNotBeReadIsNotOverwritten) {
    ThreeKeys keys;
    StripRun run("strip_unreadable");
    ASSERT_TRUE(run.WriteIni(keys.File()));
    // Held open without sharing while the program starts: it sees the file but cannot read it.
    HANDLE lock = CreateFileA(run.IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(run.Start());
    CloseHandle(lock);
    EXPECT_TRUE(run.PickerItems().empty());

    wintest::MessageBoxWatcher boxes(IDOK, run.Pid());
    run.Press(1003);
    HWND dlg = run.WaitDialog(A("添加快捷方式"));
    ASSERT_NE(dlg, nullptr);
    striptest::FillShortcutDialog(dlg, keys.a.Path(), "new");
    ASSERT_TRUE(wintest::WaitUntil([&] { return run.PickerItems().size() == 1; }, 5000));

    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.ReadIni(), keys.File()) << "the user's list survives";
    auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u) << "the user is told at close";
    EXPECT_NE(seen[0].text.find(run.IniPath()), std::string::npos) << U(seen[0].text);
}

TEST(Strip, AFailedSaveIsReportedAndCanBeRetried) {
    ThreeKeys keys;
    StripRun run("strip_savefail");
    ASSERT_TRUE(run.WriteIni(keys.File()));
    ASSERT_TRUE(run.Start());
    ASSERT_EQ(run.PickerItems().size(), 3u);

    // A change, then the file's place is taken by a folder: no file can be written there.
    wintest::MessageBoxWatcher boxes(IDYES, run.Pid());
    SendMessageW(run.Picker(), CB_SETCURSEL, 0, 0);
    run.Press(1004);
    ASSERT_TRUE(wintest::WaitUntil([&] { return run.PickerItems().size() == 2; }, 5000));
    ASSERT_TRUE(DeleteFileA(run.IniPath().c_str()));
    ASSERT_TRUE(CreateDirectoryA(run.IniPath().c_str(), nullptr));

    // Each failed attempt is told, naming the file; the test answers "retry" until it has
    // seen two, then clears the way so that the next retry succeeds.
    boxes.SetAnswer(IDRETRY);
    run.Press(1014);
    ASSERT_TRUE(WaitBoxes(boxes, 3, 10000)) << "delete question plus two failed saves";
    EXPECT_TRUE(run.Running()) << "the strip waits for the user's answer";
    RemoveDirectoryA(run.IniPath().c_str());
    ASSERT_TRUE(run.WaitExit(10000));
    auto seen = boxes.Seen();
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_NE(seen[i].text.find(run.IniPath()), std::string::npos) << U(seen[i].text);
    EXPECT_EQ(run.ReadIni(), Line(keys.b.Path(), "Beta") + Line(keys.c.Path(), A("丙 三")));
}

// --- Choosing and opening --------------------------------------------------------------------

namespace {

// The editor's selection once the navigation that the strip started has finished.
bool WaitEditorAt(const standin::Session& editor, const std::string& path, DWORD timeoutMs = 30000) {
    return wintest::WaitUntil([&] { return standin::FinalPath(editor.Keys()) == path; }, timeoutMs);
}

// Centre of item `index` of a dropped list, in screen coordinates.
POINT ItemPoint(HWND list, int index) {
    int height = (int)SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
    int top = (int)SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    RECT rc;
    GetClientRect(list, &rc);
    POINT pt = {rc.right / 2, (index - top) * height + height / 2};
    ClientToScreen(list, &pt);
    return pt;
}

// The tooltip that belongs to `owner` (a top-level window of the same program).
HWND TipOwnedBy(DWORD pid, HWND owner) {
    struct Ctx {
        DWORD pid;
        HWND owner, found;
    } ctx{pid, owner, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            char cls[64] = {};
            GetClassNameA(hwnd, cls, sizeof cls);
            if (pid == c->pid && lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0 && GetWindow(hwnd, GW_OWNER) == c->owner) {
                c->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

}  // namespace

TEST(Strip, ChoosingAShortcutDrivesTheEditorToItsKey) {
    ThreeKeys keys;
    standin::Session editor("strip_choose");
    StripRun run("strip_choose");
    // Two shortcuts of the same name: each item opens its own location.
    ASSERT_TRUE(run.WriteIni(keys.File() + Line(keys.c.Path(), "Beta")));
    ASSERT_TRUE(run.Start());

    // The arrow keys on the closed picker open every shortcut they pass.
    PostMessageA(run.Picker(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_TRUE(WaitEditorAt(editor, keys.a.Path())) << standin::Describe(editor.Keys());
    PostMessageA(run.Picker(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_TRUE(WaitEditorAt(editor, keys.b.Path())) << standin::Describe(editor.Keys());
    EXPECT_EQ(run.PickerSelection(), 1);
    EXPECT_EQ(standin::Count(editor.Events(), "START"), 1u) << "the running editor is reused";

    // A click in the dropped list opens the item clicked: the second "Beta".
    SendMessageW(run.Picker(), CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = run.WaitDroppedList();
    ASSERT_NE(list, nullptr);
    POINT pt = ItemPoint(list, 3);
    striptest::MouseClick(pt.x, pt.y);
    EXPECT_TRUE(WaitEditorAt(editor, keys.c.Path())) << standin::Describe(editor.Keys());
    EXPECT_EQ(run.PickerSelection(), 3);
    EXPECT_TRUE(run.Close());
}

TEST(Strip, DroppedListShowsTheLocationAndActsOnTheHighlightedItem) {
    ThreeKeys keys;
    StripRun run("strip_droplist");
    ASSERT_TRUE(run.WriteIni(keys.File()));
    ASSERT_TRUE(run.Start());
    wintest::MessageBoxWatcher boxes(IDYES, run.Pid());
    SendMessageW(run.Picker(), CB_SETCURSEL, 2, 0);  // the closed picker shows the last one

    SendMessageW(run.Picker(), CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = run.WaitDroppedList();
    ASSERT_NE(list, nullptr);

    // Hover: the tip under the mouse names the location, not the name.
    POINT p1 = ItemPoint(list, 1);
    striptest::MouseMoveTo(p1.x, p1.y - 1);
    striptest::MouseMoveTo(p1.x, p1.y);
    HWND tip = nullptr;
    EXPECT_TRUE(wintest::WaitUntil(
        [&] {
            tip = TipOwnedBy(run.Pid(), list);
            return tip && IsWindowVisible(tip) && striptest::WindowText(tip) == keys.b.Path();
        },
        5000))
        << (tip ? U(striptest::WindowText(tip)) : std::string("no tip"));
    POINT p0 = ItemPoint(list, 0);
    striptest::MouseMoveTo(p0.x, p0.y);
    EXPECT_TRUE(wintest::WaitUntil([&] { return striptest::WindowText(tip) == keys.a.Path(); }, 5000))
        << U(striptest::WindowText(tip));

    // Right click on the highlighted first item: "删除(&D)" deletes it, not the third one.
    striptest::MouseClick(p0.x, p0.y, true);
    HWND menu = run.WaitMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(IsWindowVisible(list)) << "the list stays open behind the menu";
    PostMessageA(menu, WM_CHAR, 'd', 1);
    ASSERT_TRUE(WaitBoxes(boxes, 1));
    EXPECT_EQ(U(boxes.Seen()[0].caption), "删除快捷方式");
    ASSERT_TRUE(wintest::WaitUntil([&] { return run.PickerItems().size() == 2; }, 5000));
    EXPECT_EQ(run.PickerItems(), (std::vector<std::string>{"Beta", A("丙 三")}));

    // "编辑(&E)..." edits the highlighted item.
    if (!IsWindowVisible(list)) SendMessageW(run.Picker(), CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(wintest::WaitUntil([&] { return IsWindowVisible(list) != FALSE; }, 3000));
    p1 = ItemPoint(list, 1);
    striptest::MouseMoveTo(p1.x, p1.y);
    wintest::PumpFor(200);
    striptest::MouseClick(p1.x, p1.y, true);
    menu = run.WaitMenu();
    ASSERT_NE(menu, nullptr);
    PostMessageA(menu, WM_CHAR, 'e', 1);
    HWND dlg = run.WaitDialog(A("编辑快捷方式"));
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(striptest::WindowText(GetDlgItem(dlg, 1016)), keys.c.Path());
    striptest::FillShortcutDialog(dlg, keys.c.Path(), "Gamma");
    ASSERT_TRUE(wintest::WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    EXPECT_EQ(run.PickerItems(), (std::vector<std::string>{"Beta", "Gamma"}));
    EXPECT_TRUE(run.Close());
}

TEST(Strip, PathBoxOpensKeysAndFilesAndKeepsOneHistoryEntryPerPath) {
    ThreeKeys keys;
    standin::Session editor("strip_pathbox");
    StripRun run("strip_pathbox");
    ASSERT_TRUE(run.Start());
    wintest::MessageBoxWatcher boxes(IDOK, run.Pid());
    SendMessageA(run.Strip(), WM_COMMAND, MAKEWPARAM(1012, BN_CLICKED), (LPARAM)run.Item(1012));
    HWND box = run.PathBox();
    HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    auto enter = [&](const std::string& text) {
        SendMessageA(box, WM_SETTEXT, 0, (LPARAM)text.c_str());
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
        wintest::PumpFor(500);
    };
    std::string file = run.Folder() + "Probe File.txt";
    ASSERT_TRUE(wintest::WriteFileBytes(file, "probe"));
    std::string lower = file;
    CharLowerA(&lower[0]);

    // A file opens in Explorer and enters the history once, whatever its letter case.
    enter(file);
    EXPECT_TRUE(wintest::WaitUntil([&] { return StripRun::ComboItems(box).size() == 1; }, 5000));
    enter(lower);
    wintest::PumpFor(500);
    EXPECT_EQ(StripRun::ComboItems(box), std::vector<std::string>{file});

    // A key path, typed short and in lower case, opens in the editor as typed.
    std::string shortKey = "hkcu\\software\\qbtests\\strip\\alpha";
    enter(shortKey);
    EXPECT_TRUE(WaitEditorAt(editor, keys.a.Path())) << standin::Describe(editor.Keys());
    EXPECT_TRUE(wintest::WaitUntil([&] { return StripRun::ComboItems(box).size() == 2; }, 5000));
    EXPECT_TRUE(boxes.Seen().empty());

    // Neither a file nor a key: the warning, and the history stays as it was.
    enter(A("没有这个地方"));
    ASSERT_TRUE(WaitBoxes(boxes, 1));
    EXPECT_EQ(U(boxes.Seen()[0].caption), "手动打开快捷方式");
    EXPECT_EQ(U(boxes.Seen()[0].text), "无效的快捷方式/文件路径，请检查快捷方式/文件路径是否正确");
    EXPECT_EQ(StripRun::ComboItems(box), (std::vector<std::string>{file, shortKey}));
    EXPECT_EQ(striptest::WindowText(box), A("没有这个地方")) << "the text stays in the box";

    // Enter while the list is dropped belongs to the list: nothing is opened or warned.
    SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
    wintest::PumpFor(200);
    enter("still nowhere");
    wintest::PumpFor(500);
    EXPECT_EQ(boxes.Seen().size(), 1u);

    // Switching back hides the box; its history lives until the close empties it.
    SendMessageA(run.Strip(), WM_COMMAND, MAKEWPARAM(1012, BN_CLICKED), (LPARAM)run.Item(1012));
    EXPECT_EQ(StripRun::ComboItems(box).size(), 2u);
    EXPECT_TRUE(run.Close());
}

TEST(Strip, ButtonsAndPickerShowTheirTooltips) {
    StripRun run("strip_tips");
    ASSERT_TRUE(run.Start());
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {{1003, "添加快捷方式"}, {1002, "请选择快捷方式"}, {1014, "关闭"}};
    for (const Case& c : cases) {
        RECT rc;
        GetWindowRect(run.Item(c.id), &rc);
        striptest::MouseMoveTo((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 - 1);
        striptest::MouseMoveTo((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        HWND tip = nullptr;
        EXPECT_TRUE(wintest::WaitUntil(
            [&] {
                tip = TipOwnedBy(run.Pid(), run.Strip());
                return tip && IsWindowVisible(tip) && U(striptest::WindowText(tip)) == c.text;
            },
            5000))
            << c.id << ": " << (tip ? U(striptest::WindowText(tip)) : std::string("no tip"));
    }
    striptest::MouseMoveTo(600, 400);
    EXPECT_TRUE(run.Close());
}

// --- Pictures for the documentation ----------------------------------------------------------

TEST(Strip, Screenshots) {
    ThreeKeys keys;
    StripRun run("strip_shots");
    ASSERT_TRUE(run.WriteIni(Line(keys.a.Path(), A("常用软件设置")) + Line(keys.b.Path(), A("启动项")) +
                             Line(keys.c.Path(), A("文件关联"))));
    ASSERT_TRUE(run.Start());
    SendMessageW(run.Picker(), CB_SETCURSEL, 0, 0);
    wintest::PumpFor(500);
    std::string shots = wintest::RigDir() + "shots\\";
    EXPECT_TRUE(wintest::SaveScreenshot(run.Strip(), shots + "quillet.bmp"));
    SendMessageA(run.Strip(), WM_COMMAND, MAKEWPARAM(1012, BN_CLICKED), (LPARAM)run.Item(1012));
    SendMessageA(run.PathBox(), WM_SETTEXT, 0, (LPARAM)"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    wintest::PumpFor(500);
    EXPECT_TRUE(wintest::SaveScreenshot(run.Strip(), shots + "quillet-manual.bmp"));
    EXPECT_TRUE(run.Close());
}
