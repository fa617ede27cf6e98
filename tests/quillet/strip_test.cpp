// The strip as a user meets it: the real Quillet.exe in a scratch folder beside its own
// shortcut file, driven from this test program with window messages and real input.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Driver.h"
#include "StandIn.h"
#include "WinTest.h"
#include "resource.h"

using drive::IniLine;
using drive::StripRun;
using wintest::A;
using wintest::U;
using wintest::WaitUntil;

namespace {

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
    // The keyboard starts on the add button, where Enter is no click either.
    ASSERT_TRUE(drive::ToFront(strip));
    drive::Key(VK_RETURN);
    drive::Key(VK_ESCAPE);
    drive::Chord({VK_MENU}, VK_F4);
    EXPECT_TRUE(run.Settle()) << "the keys and what they posted, handled";
    EXPECT_TRUE(run.Running() && IsWindowVisible(strip));
    EXPECT_EQ(run.WaitDialog(A("添加快捷方式"), 0), nullptr);
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
    run.Press(IDC_ADD);
    HWND dlg = run.WaitDialog(A("添加快捷方式"));
    ASSERT_NE(dlg, nullptr);
    size_t count = 0;
    drive::FillEditor(dlg, extra.Path(), "Delta");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));
    std::vector<std::string> want = {A("甲"), "Beta", A("丙 三"), "Delta"};
    EXPECT_EQ(run.PickerItems(), want) << "appended last";

    // Edit opens the selected item.
    SendMessageW(run.Picker(), CB_SETCURSEL, 1, 0);
    run.Press(IDC_EDIT);
    dlg = run.WaitDialog(A("编辑快捷方式"));
    ASSERT_NE(dlg, nullptr);
    drive::FillEditor(dlg, keys.b.Path(), A("乙 改"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));
    want[1] = A("乙 改");  // in its place and selected: the tour

    // Delete asks first: No keeps everything, Yes removes the selected item.
    SendMessageW(run.Picker(), CB_SETCURSEL, 0, 0);
    for (int answer : {IDNO, IDYES}) {
        boxes.SetAnswer(answer);
        run.Press(IDC_DELETE);
        ASSERT_TRUE(boxes.WaitSeen(++count));
        EXPECT_EQ(U(boxes.Seen().back().caption), "删除快捷方式");
        EXPECT_EQ(U(boxes.Seen().back().text), "确定要删除所选择的快捷方式吗？");
        ASSERT_TRUE(boxes.WaitAnswered(count) && run.Settle()) << "the answer carried out";
    }
    want.erase(want.begin());
    EXPECT_EQ(run.PickerItems(), want);

    // A folder takes the file's place: no file can be written there. "Retry" twice, then the
    // way is cleared and the next retry succeeds.
    ASSERT_TRUE(DeleteFileA(run.IniPath().c_str()));
    ASSERT_TRUE(CreateDirectoryA(run.IniPath().c_str(), nullptr));
    boxes.SetAnswer(IDRETRY);
    run.Press(IDC_CLOSE);
    ASSERT_TRUE(boxes.WaitSeen(count + 2)) << "the delete questions plus two failed saves";
    EXPECT_TRUE(run.Running()) << "the strip waits for the user's answer";
    RemoveDirectoryA(run.IniPath().c_str());
    ASSERT_TRUE(run.WaitExit(wintest::kWaitMs));
    auto seen = boxes.Seen();
    for (size_t i = count; i < seen.size(); ++i)
        EXPECT_NE(seen[i].text.find(run.IniPath()), std::string::npos) << U(seen[i].text);
    EXPECT_EQ(run.ReadIni(),
              IniLine(keys.b.Path(), A("乙 改")) + IniLine(keys.c.Path(), A("丙 三")) + IniLine(extra.Path(), "Delta"));
}

// Strips on one file each save their own list, at close or at the end of the session (logoff,
// shutdown); one that finds the file saved by another since it read it asks first: No keeps
// the other's list, Yes writes its own. (Each deletes by the action message, which names its
// item: none is selected.)
TEST(Strip, StripsOnOneFileSaveAtCloseOrSessionEndAndAskBeforeWritingOverAnothersList) {
    ThreeKeys keys;
    const std::string lines[] = {IniLine(keys.a.Path(), A("甲")), IniLine(keys.b.Path(), "Beta"),
                                 IniLine(keys.c.Path(), A("丙 三"))};
    StripRun first("strip_shared"), second("strip_shared"), third("strip_shared");
    ASSERT_TRUE(first.WriteIni(keys.File()) && first.Start() && second.Start() && third.Start());
    const struct {
        StripRun& run;
        int answer;
        std::string file;
        size_t asked;
    } ends[] = {
        {first, IDNO, lines[1] + lines[2], 0},
        {second, IDNO, lines[1] + lines[2], 1},
        {third, IDYES, lines[0] + lines[1], 1},  // ended with the session
    };
    for (int i = 0; i < 3; ++i) {  // each deletes another shortcut: the first, second, third
        wintest::MessageBoxWatcher boxes(IDYES, ends[i].run.Pid());
        PostMessageA(ends[i].run.Strip(), WM_USER + 0x336, 4, i);
        ASSERT_TRUE(WaitUntil([&] { return ends[i].run.PickerItems().size() == 2; }));
    }
    for (const auto& e : ends) {
        wintest::MessageBoxWatcher boxes(e.answer, e.run.Pid());
        ASSERT_TRUE(&e.run == &third ? drive::EndSession() && third.WaitExit(wintest::kWaitMs) : e.run.Close());
        EXPECT_EQ(e.file, e.run.ReadIni());
        ASSERT_EQ(e.asked, boxes.Seen().size());
        if (e.asked) { EXPECT_EQ("保存快捷方式", U(boxes.Seen()[0].caption)); }
    }
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
    run.Press(IDC_ADD);
    HWND dlg = run.WaitDialog(A("添加快捷方式"));
    ASSERT_NE(dlg, nullptr);
    drive::FillEditor(dlg, keys.a.Path(), "new");
    ASSERT_TRUE(WaitUntil([&] { return run.PickerItems().size() == 1; }));
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.ReadIni(), keys.File()) << "the user's list survives";
    auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u) << "the user is told at close";
    EXPECT_NE(seen[0].text.find(run.IniPath()), std::string::npos) << U(seen[0].text);
}

// The picker's dropped list: its menu deletes the item it was opened on, by a right click or
// from the keyboard (at the highlighted item), whatever the selection; an emptied list is not
// written. (The action message naming its item: the strips on one file; opening by keys and
// clicks, and the tip over an item: the tour.)
TEST(Strip, DroppedListMenuActsOnItsItemNotTheSelection) {
    ThreeKeys keys;
    const std::string file = IniLine(keys.a.Path(), A("甲")) + IniLine(keys.b.Path(), "Beta");
    StripRun run("strip_droplist");
    ASSERT_TRUE(run.WriteIni(file) && run.Start());
    wintest::MessageBoxWatcher boxes(IDYES, run.Pid());
    HWND strip = run.Strip(), picker = run.Picker();
    SendMessageW(picker, CB_SETCURSEL, 1, 0);  // selected, but not the item acted on
    ASSERT_TRUE(drive::ToFront(strip));
    drive::Chord({VK_SHIFT}, VK_TAB);  // from the add button back to the picker

    // "删除(&D)" chosen by its key, each time on the first item, answered Yes.
    auto deleteFirst = [&](bool byKeyboard, size_t boxesSeen) {
        // The keyboard back in the picker, where it was when the strip was left.
        ASSERT_TRUE(drive::ToFront(strip) && WaitUntil([&] { return drive::Focus(strip) == picker; }));
        drive::Key(VK_F4);
        HWND list = run.WaitWindow("ComboLBox");
        RECT item = {};  // the first item, on the screen
        SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item), 2);
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
        ASSERT_TRUE(boxes.WaitSeen(boxesSeen));
    };
    deleteFirst(false, 1);
    EXPECT_TRUE(WaitUntil([&] { return run.PickerItems() == std::vector<std::string>{"Beta"}; }));
    deleteFirst(true, 2);
    EXPECT_TRUE(WaitUntil([&] { return run.PickerItems().empty(); }));
    EXPECT_TRUE(run.Close());
    EXPECT_EQ(run.ReadIni(), file) << "an emptied list is not written";
    EXPECT_EQ(boxes.Seen().size(), 2u) << "nor is anything said at close";
}

// A location may name a value of a key: typed into the path box (real keys, in a letter case of
// their own) it opens with the value selected; a key of that name wins. (Neither key nor value:
// the strict open flow's test.) Copied after a label, it opens too; added from the clipboard, it
// becomes a shortcut named after the value, which the picker opens with the value selected.
TEST(Strip, LocationsNamingAValueOpenWithTheValueSelected) {
    wintest::ScratchKey key("Strip\\Values"), both("Strip\\Values\\Both");
    ASSERT_TRUE(key.Ok() && both.Ok() && key.SetValue("Start") && key.SetValue("Both"));
    standin::Session session("strip_values");
    StripRun run("strip_values");
    ASSERT_TRUE(run.Start());
    size_t values = 0;  // selected in the editor so far
    // The walk ends on `at` and, once the list shows it, `value` is newly selected ("": none).
    auto landsOn = [&](const std::string& at, const std::string& value) {
        EXPECT_EQ(session.WaitAt(at), at);
        if (!value.empty()) WaitUntil([&] { return standin::Count(session.Events(), "VALUE") > values; }, 10000);
        const std::vector<standin::Event> all = session.Events();
        EXPECT_EQ(standin::Count(all, "VALUE"), values += value.empty() ? 0 : 1);
        if (!value.empty()) { EXPECT_EQ(standin::Session::LastValue(all).text, value); }
    };
    run.Press(IDC_MANUAL_OPEN);
    HWND box = run.Item(IDC_PATH_BOX);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(box); }, 5000));
    for (const std::string name : {"start", "both"}) {  // typed over the box's text
        ASSERT_TRUE(drive::ClickMiddle(FindWindowExA(box, nullptr, "Edit", nullptr)));
        drive::Key(VK_END);
        drive::Chord({VK_SHIFT}, VK_HOME);
        drive::Type("hkcu\\software\\qbtests\\strip\\values\\" + name);
        drive::Key(VK_RETURN);
        landsOn(name == "both" ? both.Path() : key.Path(), name == "both" ? "" : "Start");
    }

    ASSERT_TRUE(drive::PutClipboardText(A("值：") + key.Path() + "\\Start"));
    run.Press(IDC_OPEN_FROM_CLIPBOARD);
    landsOn(key.Path(), "Start");
    run.Press(IDC_ADD_FROM_CLIPBOARD);
    HWND dlg = run.WaitDialog(A("添加快捷方式"));
    ASSERT_TRUE(dlg && drive::ToFront(dlg));
    drive::Key(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return run.PickerItems() == std::vector<std::string>{"Start"}; }, 5000));
    run.Press(IDC_MANUAL_OPEN);  // back to the picker: dropped by a click, its first item opened
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(run.Picker()); }, 5000) && drive::ClickMiddle(run.Picker()));
    ASSERT_NE(run.WaitWindow("ComboLBox"), nullptr);
    drive::Key(VK_DOWN);
    drive::Key(VK_RETURN);
    landsOn(key.Path(), "Start");
    EXPECT_TRUE(run.Close());
}
