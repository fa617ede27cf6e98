// The strip as a user meets it: the real Quillet.exe in a scratch folder beside its own
// shortcut file, driven from this test program with window messages and real input.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Driver.h"
#include "StandIn.h"
#include "WinTest.h"

using drive::IniLine;
using drive::StripRun;
using wintest::A;
using wintest::U;
using wintest::WaitUntil;

namespace {

bool WaitBoxes(wintest::MessageBoxWatcher& watcher, size_t count, DWORD timeoutMs = 5000) {
    return WaitUntil([&] { return watcher.Seen().size() >= count; }, timeoutMs);
}

HWND FocusOf(HWND anyWindowOfThread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(anyWindowOfThread, nullptr), &info);
    return info.hwndFocus;
}

// Brings the strip to the front with the keyboard in `control` (or its edit field), where
// it was when the strip was left.
bool Back(HWND strip, HWND control) {
    return drive::ToFront(strip) && WaitUntil([&] {
        HWND focus = FocusOf(strip);
        return focus == control || IsChild(control, focus);
    }, 3000);
}

// The navigator's walks into the editor so far: each goes HOME once.
size_t Walks(const standin::Session& s) {
    size_t walks = 0;
    for (const standin::Event& key : s.Keys()) walks += key.kind == "KEYDOWN" && key.code == VK_HOME;
    return walks;
}

// Where the editor is once the navigator's walk to `want` is over (no key for a while): the
// strip takes no input before.
std::string WalkedTo(const standin::Session& s, const std::string& want) {
    s.WaitAt(want);
    size_t keys;
    do {
        keys = s.Keys().size();
        wintest::PumpFor(700);
    } while (keys != s.Keys().size());
    return standin::FinalPath(s.Keys());
}

// Three keys that exist, below the test's own scratch key.
struct ThreeKeys {
    wintest::ScratchKey a{"Strip\\Alpha"}, b{"Strip\\Beta"}, c{"Strip\\Gamma"};
    std::string File() const {
        return IniLine(a.Path(), A("甲")) + IniLine(b.Path(), "Beta") + IniLine(c.Path(), A("丙 三"));
    }
};

}  // namespace

// Bad lines around the good ones (which lines are bad: the loader's native table). The file
// is left as it was after a run without change (keys that must not close the strip included;
// a run that empties the list: the dropped list's test). (Where it starts: the scaling test
// of the manager over the strip.)
TEST(Strip, StartsTopmostFilledFromItsFileAndOnlyItsCloseButtonEndsIt) {
    ThreeKeys keys;
    const std::string file = "no separator here\r\n" + keys.File() + IniLine("HKEY_NOWHERE\\Software", "bad root");
    StripRun run("strip_start");
    ASSERT_TRUE(run.WriteIni(file) && run.Start());
    HWND strip = run.Strip();
    EXPECT_EQ(run.PickerItems(), (std::vector<std::string>{A("甲"), "Beta", A("丙 三")}));
    EXPECT_EQ(run.PickerSelection(), -1);
    const LONG ex = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW;
    EXPECT_EQ(GetWindowLongA(strip, GWL_EXSTYLE) & ex, WS_EX_TOPMOST | WS_EX_TOOLWINDOW) << "no taskbar button";
    for (HWND target : {strip, FocusOf(strip)}) {
        drive::PostKey(target, VK_RETURN);
        drive::PostKey(target, VK_ESCAPE);
        PostMessageA(target, WM_SYSKEYDOWN, VK_F4, 0x20000001);  // with Alt held
    }
    PostMessageA(strip, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(strip, WM_CLOSE, 0, 0);
    wintest::PumpFor(1000);
    EXPECT_TRUE(run.Running() && IsWindowVisible(strip));
    // Enter on the focused add button is not a click either.
    EXPECT_EQ(run.WaitDialog(A("添加快捷方式"), 200), nullptr);
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.ReadIni(), file);  // a rewrite would have dropped the bad lines
}

// At close the file is rewritten in list order; a save that fails is reported, naming the
// file, for as long as the user retries.
TEST(Strip, ButtonsAddEditAndDeleteAndTheFileIsRewrittenInListOrderOnceASaveSucceeds) {
    ThreeKeys keys;
    wintest::ScratchKey extra("Strip\\Delta");
    StripRun run("strip_edit");
    ASSERT_TRUE(run.WriteIni(keys.File()) && run.Start());
    wintest::MessageBoxWatcher boxes(IDOK, run.Pid());

    // Add (its refusals: the editor's own test).
    run.Press(1003);
    HWND dlg = run.WaitDialog(A("添加快捷方式"));
    ASSERT_NE(dlg, nullptr);
    size_t count = 0;
    drive::FillEditor(dlg, extra.Path(), "Delta");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    std::vector<std::string> want = {A("甲"), "Beta", A("丙 三"), "Delta"};
    EXPECT_EQ(run.PickerItems(), want) << "appended last";

    // Edit opens the selected item.
    SendMessageW(run.Picker(), CB_SETCURSEL, 1, 0);
    run.Press(1005);
    dlg = run.WaitDialog(A("编辑快捷方式"));
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(drive::Text(GetDlgItem(dlg, 1016)), keys.b.Path());
    drive::FillEditor(dlg, keys.b.Path(), A("乙 改"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    want[1] = A("乙 改");  // in its place and selected: the tour

    // Delete asks first: No keeps everything, Yes removes the selected item.
    SendMessageW(run.Picker(), CB_SETCURSEL, 0, 0);
    for (int answer : {IDNO, IDYES}) {
        boxes.SetAnswer(answer);
        run.Press(1004);
        ASSERT_TRUE(WaitBoxes(boxes, ++count));
        EXPECT_EQ(U(boxes.Seen().back().caption), "删除快捷方式");
        EXPECT_EQ(U(boxes.Seen().back().text), "确定要删除所选择的快捷方式吗？");
        wintest::PumpFor(300);
    }
    want.erase(want.begin());
    EXPECT_EQ(run.PickerItems(), want);

    // A folder takes the file's place: no file can be written there. "Retry" twice, then the
    // way is cleared and the next retry succeeds.
    ASSERT_TRUE(DeleteFileA(run.IniPath().c_str()));
    ASSERT_TRUE(CreateDirectoryA(run.IniPath().c_str(), nullptr));
    boxes.SetAnswer(IDRETRY);
    run.Press(1014);
    ASSERT_TRUE(WaitBoxes(boxes, count + 2, 10000)) << "the delete questions plus two failed saves";
    EXPECT_TRUE(run.Running()) << "the strip waits for the user's answer";
    RemoveDirectoryA(run.IniPath().c_str());
    ASSERT_TRUE(run.WaitExit(10000));
    auto seen = boxes.Seen();
    for (size_t i = count; i < seen.size(); ++i)
        EXPECT_NE(seen[i].text.find(run.IniPath()), std::string::npos) << U(seen[i].text);
    EXPECT_EQ(run.ReadIni(),
              IniLine(keys.b.Path(), A("乙 改")) + IniLine(keys.c.Path(), A("丙 三")) + IniLine(extra.Path(), "Delta"));
}

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
    drive::FillEditor(dlg, keys.a.Path(), "new");
    ASSERT_TRUE(WaitUntil([&] { return run.PickerItems().size() == 1; }, 5000));
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.ReadIni(), keys.File()) << "the user's list survives";
    auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u) << "the user is told at close";
    EXPECT_NE(seen[0].text.find(run.IniPath()), std::string::npos) << U(seen[0].text);
}

// The path box of manual-open mode, typed into (Latin text typed, Chinese pasted). A file
// or key that exists opens and enters the history once, whatever its letter case; anything
// else is warned about and stays in the box. The history's list by keyboard: dropped, the
// arrows open nothing, Enter opens the highlighted path once, Esc none.
TEST(Strip, PathBoxOpensAndRemembersWhatExistsAndManualOpenModeSwapsTheControls) {
    wintest::ScratchKey one("Strip\\Typed"), two("Strip\\Other");
    standin::Session session("strip_open");
    StripRun run("strip_open");
    ASSERT_TRUE(run.Start());
    wintest::MessageBoxWatcher boxes(IDOK, run.Pid());
    HWND strip = run.Strip(), box = run.Item(1015);  // the path box
    auto toggle = [&](bool manual) {
        SendMessageA(strip, WM_COMMAND, MAKEWPARAM(1012, BN_CLICKED), (LPARAM)run.Item(1012));
        wintest::PumpFor(200);
        for (int id = 1000; id <= 1014; ++id)  // 1012-1014: manual-open, about, close
            EXPECT_EQ(IsWindowVisible(run.Item(id)) != FALSE, id >= 1012 || !manual) << id;
        EXPECT_EQ(IsWindowVisible(box) != FALSE, manual);
        HWND focus = FocusOf(strip);
        EXPECT_TRUE(manual ? focus == box || IsChild(box, focus) : focus == run.Item(1003));
    };
    toggle(true);
    auto enter = [&](const std::string& text) {  // over the whole text in the box
        ASSERT_TRUE(Back(strip, box));
        drive::Key(VK_END);
        drive::Chord({VK_SHIFT}, VK_HOME);
        if (text[0] & 0x80) {
            ASSERT_TRUE(drive::PutClipboardText(text));
            drive::Chord({VK_CONTROL}, 'V');
        } else {
            drive::Type(text);
        }
        drive::Key(VK_RETURN);
        wintest::PumpFor(500);
    };
    enter(A("没有这个地方"));  // (the warning's words: the open flow's test)
    ASSERT_TRUE(WaitBoxes(boxes, 1));
    EXPECT_EQ(drive::Text(box), A("没有这个地方"));
    std::string lower = one.Path();
    CharLowerA(&lower[0]);
    for (const std::string& path : {one.Path(), lower, two.Path()}) {
        enter(path);
        WalkedTo(session, path == two.Path() ? two.Path() : one.Path());
    }
    EXPECT_EQ(3u, Walks(session)) << standin::Describe(session.Keys());
    EXPECT_EQ(drive::ComboItems(box), (std::vector<std::string>{one.Path(), two.Path()}));

    auto dropped = [&] { return SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    const size_t walks = Walks(session);
    ASSERT_TRUE(Back(strip, box));
    drive::Key(VK_F4);
    drive::Key(VK_UP);  // from the path shown to the one above
    wintest::PumpFor(1500);
    EXPECT_TRUE(dropped());
    EXPECT_EQ(walks, Walks(session)) << "the highlight moved: nothing opens";
    drive::Key(VK_RETURN);
    EXPECT_EQ(one.Path(), WalkedTo(session, one.Path()));
    ASSERT_TRUE(Back(strip, box));
    drive::Chord({VK_MENU}, VK_DOWN);
    ASSERT_TRUE(WaitUntil(dropped, 3000));
    drive::Key(VK_DOWN);
    drive::Key(VK_ESCAPE);
    wintest::PumpFor(1500);
    EXPECT_FALSE(dropped());
    EXPECT_EQ(walks + 1, Walks(session)) << "Enter opened once, Esc nothing";

    // A file opens in Explorer and joins the history.
    const std::string file = run.Folder() + "Probe File.txt";
    ASSERT_TRUE(wintest::WriteFileBytes(file, "probe"));
    const std::set<HWND> before = drive::ForeignWindows();
    enter(file);
    EXPECT_NE("", drive::WaitForNewExplorerWindow(before, 15000));
    EXPECT_EQ(drive::ComboItems(box), (std::vector<std::string>{one.Path(), two.Path(), file}));
    toggle(false);
    EXPECT_TRUE(run.Close());
}

// The picker and its dropped list act on the item chosen. On the closed picker each arrow key
// opens the shortcut it comes to, at once (the editor then has the keyboard: the strip is
// brought back for the next key). Dropped with F4 or Alt+Down, the arrows only move the
// highlight; Enter or a click opens the highlighted shortcut once, Esc none. The list's menu
// deletes the item it was opened on, by a right click or from the keyboard (at the highlighted
// item), and so does the action message, whatever the selection; an emptied list is not
// written. (The tip over an item: the tour.)
TEST(Strip, PickerAndItsDroppedListActOnTheItemChosenByKeysOrMouse) {
    ThreeKeys keys;
    standin::Session session("strip_picker");
    StripRun run("strip_picker");
    ASSERT_TRUE(run.WriteIni(keys.File()) && run.Start());
    wintest::MessageBoxWatcher boxes(IDYES, run.Pid());
    HWND strip = run.Strip(), picker = run.Picker();
    auto dropped = [&] { return SendMessageW(picker, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    auto itemRect = [&](int position) {  // in the dropped list, on the screen
        HWND list = run.WaitWindow("ComboLBox");
        RECT rc = {};
        SendMessageW(list, LB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&rc));
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    };
    ASSERT_TRUE(drive::ToFront(strip));
    drive::Chord({VK_SHIFT}, VK_TAB);  // from the add button back to the picker
    for (const wintest::ScratchKey* key : {&keys.a, &keys.b}) {
        ASSERT_TRUE(Back(strip, picker));
        drive::Key(VK_DOWN);
        EXPECT_EQ(key->Path(), WalkedTo(session, key->Path()));
    }
    const size_t walks = Walks(session);
    ASSERT_TRUE(Back(strip, picker));
    for (UINT vk : {VK_F4, VK_DOWN, VK_UP, VK_UP}) drive::Key(vk);
    wintest::PumpFor(1500);
    EXPECT_TRUE(dropped());
    EXPECT_EQ(walks, Walks(session)) << "the highlight moved: nothing opens";
    drive::Key(VK_RETURN);
    EXPECT_EQ(keys.a.Path(), WalkedTo(session, keys.a.Path()));
    ASSERT_TRUE(Back(strip, picker));
    drive::Chord({VK_MENU}, VK_DOWN);
    ASSERT_TRUE(WaitUntil(dropped, 3000));
    drive::Key(VK_DOWN);
    drive::Key(VK_ESCAPE);
    wintest::PumpFor(1500);
    EXPECT_FALSE(dropped());
    EXPECT_EQ(walks + 1, Walks(session)) << "Enter opened once, Esc nothing";
    ASSERT_TRUE(Back(strip, picker));
    drive::Key(VK_F4);
    RECT item = itemRect(2);
    drive::MouseClick((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    EXPECT_EQ(keys.c.Path(), WalkedTo(session, keys.c.Path()));
    EXPECT_EQ(walks + 2, Walks(session));

    // "删除(&D)" chosen by its key, each time on the first item, answered Yes.
    auto deleteFirst = [&](bool byKeyboard, size_t boxesSeen) {
        ASSERT_TRUE(Back(strip, picker));
        drive::Key(VK_F4);
        item = itemRect(0);
        if (byKeyboard) {
            drive::Key(VK_UP);  // from the selected item to the first
            drive::Chord({VK_SHIFT}, VK_F10);
        } else {
            drive::MouseClick(item.left + 10, (item.top + item.bottom) / 2, true);
        }
        HWND menu = run.WaitWindow("#32768");
        ASSERT_NE(menu, nullptr);
        RECT at = {};
        GetWindowRect(menu, &at);
        EXPECT_TRUE(at.left >= item.left && at.left < item.right && at.top >= item.top && at.top <= item.bottom)
            << at.left << "," << at.top;
        drive::Key('D');
        ASSERT_TRUE(WaitBoxes(boxes, boxesSeen));
    };
    deleteFirst(false, 1);  // the third is selected
    EXPECT_TRUE(WaitUntil([&] { return run.PickerItems() == std::vector<std::string>{"Beta", A("丙 三")}; }, 5000));
    // The action message names its item, which need not be the picker's selection.
    SendMessageW(picker, CB_SETCURSEL, 1, 0);
    PostMessageA(strip, WM_USER + 0x336, 4, 0);  // delete, position 0
    ASSERT_TRUE(WaitBoxes(boxes, 2));
    EXPECT_TRUE(WaitUntil([&] { return run.PickerItems() == std::vector<std::string>{A("丙 三")}; }, 5000));
    deleteFirst(true, 3);
    EXPECT_TRUE(WaitUntil([&] { return run.PickerItems().empty(); }, 5000));
    EXPECT_TRUE(run.Close());
    EXPECT_EQ(run.ReadIni(), keys.File()) << "an emptied list is not written";
    EXPECT_EQ(boxes.Seen().size(), 3u) << "nor is anything said at close";
}
