// The strip's clipboard side as a user meets it: the real Quillet.exe, the real clipboard,
// the stand-in registry editor recording where it was taken, and clipboard viewers of the
// test's own in the same chain as the strip.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Driver.h"
#include "StandIn.h"
#include "WinTest.h"
#include "resource.h"

using drive::HungViewer;
using drive::IniLine;
using drive::PutClipboardText;
using drive::StripRun;
using wintest::A;

namespace {

// The number of keystrokes once the strip has handled what it was sent: a walk it began
// has ended (it types from the thread that handles its messages).
size_t SettledKeyCount(const standin::Session& s, const StripRun& strip) {
    EXPECT_TRUE(strip.Settle());
    return s.Keys().size();
}

// Nothing more has reached the editor once the strip has handled what it was sent; what did
// is told. The strip never types a Tab: one in the editor is the settle's own, sent while the
// editor still held the keyboard (the display may hand it back to the editor after a walk
// later than the window system says it left).
testing::AssertionResult NothingOpened(const standin::Session& s, const StripRun& strip, size_t keysBefore) {
    SettledKeyCount(s, strip);
    const size_t starts = standin::Count(s.Events(), "START");
    const std::vector<standin::Event> all = s.Keys();
    std::vector<standin::Event> after;
    for (size_t i = keysBefore; i < all.size(); ++i)
        if (all[i].code != VK_TAB || (all[i].kind != "KEYDOWN" && all[i].kind != "CHAR")) after.push_back(all[i]);
    if (after.empty() && starts <= (keysBefore ? 1u : 0u)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << starts << " start(s); keystrokes after the " << keysBefore
                                       << " before: " << standin::Describe(after);
}

// Open and auto-open each walk the editor to the key after any words on the clipboard's first
// line; auto-open takes one copy at a time, each copy once. A clipboard viewer that stopped
// answering, in the chain before auto-open is switched on and after, costs neither a copy nor
// the list: a change is still saved at close, which ends in time.
TEST(ClipboardCommands, OpenAndAutoOpenTakeTheKeyAfterAnyWordsOnTheFirstLineOnly) {
    wintest::ScratchKey words("Clip\\Words"), first("Clip\\Auto\\First"), second("Clip\\Auto\\Second");
    wintest::ScratchKey deep("Clip\\Deep\\One\\Two\\Three\\Four\\Five\\Six"), later("Clip\\Later");
    ASSERT_TRUE(words.Ok() && first.Ok() && second.Ok() && deep.Ok() && later.Ok());
    standin::Session session("clip_open");
    StripRun strip("clip_open");
    ASSERT_TRUE(strip.WriteIni(IniLine(words.Path(), "words") + IniLine(first.Path(), "first")) && strip.Start());

    ASSERT_TRUE(PutClipboardText(A("请看第二行\r\n") + words.Path()));
    strip.Press(IDC_OPEN_FROM_CLIPBOARD);
    EXPECT_TRUE(NothingOpened(session, strip, 0));
    ASSERT_TRUE(PutClipboardText(A("请打开 ") + words.Path() + "\r\nmore text"));
    strip.Press(IDC_OPEN_FROM_CLIPBOARD);
    EXPECT_EQ(words.Path(), session.WaitAt(words.Path()));

    // Copied while auto-open is off, switched on with it there, but held by another program
    // past the read's own tries: opened once let go, though nothing announces it again.
    HungViewer before;
    ASSERT_TRUE(PutClipboardText(first.Path()));
    drive::ClipboardHolder holder;
    strip.Press(IDC_AUTO_OPEN);
    EXPECT_TRUE(strip.Settle()) << "the press and the read it queued, refused";
    holder.LetGo();
    EXPECT_EQ(first.Path(), session.WaitAt(first.Path()));
    HungViewer after;
    ASSERT_TRUE(PutClipboardText(A("复制的路径：") + second.Path()));
    EXPECT_EQ(second.Path(), session.WaitAt(second.Path()));

    // A copy made while a walk types into the editor waits for that walk to end: two whole
    // walks, one after the other, the second to the later copy.
    const size_t walksFrom = SettledKeyCount(session, strip), walksBefore = standin::Walks(session.Keys());
    ASSERT_TRUE(PutClipboardText(deep.Path()));
    // Begun (its HOME in): the walk's own pauses, two seconds of them, are still to come.
    ASSERT_TRUE(wintest::WaitUntil([&] { return standin::Walks(session.Keys()) > walksBefore; }));
    ASSERT_TRUE(PutClipboardText(later.Path()));
    EXPECT_EQ(later.Path(), session.WaitAt(later.Path()));
    const size_t keys = SettledKeyCount(session, strip);
    // Each walk folds the tree, then goes HOME; the first must be whole before the second folds.
    const std::vector<standin::Event> all = session.Keys(), walks(all.begin() + walksFrom, all.end());
    std::vector<size_t> homes;
    for (size_t i = 0; i < walks.size(); ++i)
        if (walks[i].kind == "KEYDOWN" && walks[i].code == VK_HOME) homes.push_back(i);
    ASSERT_EQ(2u, homes.size()) << standin::Describe(walks);
    size_t next = homes[1];
    while (next > homes[0] + 1 && walks[next - 1].kind == "KEYDOWN" && walks[next - 1].code == VK_LEFT) --next;
    EXPECT_EQ(deep.Path(), walks[next - 1].text) << standin::Describe(walks);
    EXPECT_EQ(later.Path(), standin::FinalPath(walks));

    // The same copy announced again and emptying open nothing.
    PostMessageA(strip.Strip(), WM_CLIPBOARDUPDATE, 0, 0);
    EXPECT_TRUE(NothingOpened(session, strip, keys));
    strip.Press(IDC_CLEAR_CLIPBOARD);
    EXPECT_TRUE(NothingOpened(session, strip, keys));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    wintest::MessageBoxWatcher boxes(IDYES, strip.Pid());
    PostMessageA(strip.Strip(), WM_USER + 0x336, 4, 0);  // delete position 0 (asked, Yes)
    EXPECT_TRUE(wintest::WaitUntil([&] { return strip.PickerItems().size() == 1; }));
    EXPECT_TRUE(strip.Close());
    EXPECT_EQ(IniLine(first.Path(), "first"), strip.ReadIni());
}

// IDC_ADD_FROM_CLIPBOARD offers a key in the editor named after its last node, never a file
// path; IDC_OPEN_FROM_CLIPBOARD opens a file path's folder in Explorer, whose window is titled
// after that folder. Converted, a character the code page lacks becomes '?', a wildcard to the
// file tests: a path pasted into the path box with one names nothing, though another file
// matches. (Copied: the clipboard reader's test.)
TEST(ClipboardCommands, AddOffersKeysOpenShowsFilesAndAPathThatLostACharacterIsWarnedAbout) {
    wintest::ScratchKey key(A("Clip\\Add\\注册表项"));
    const std::string folder = wintest::ScratchDir("clipfiles");  // ASCII: the rig's folder
    ASSERT_TRUE(key.Ok() && wintest::WriteFileBytes(folder + "picked.txt", "x"));
    ASSERT_TRUE(wintest::WriteFileBytes(folder + "a1b.txt", "x"));
    StripRun strip("clip_add");
    ASSERT_TRUE(strip.Start());
    ASSERT_TRUE(PutClipboardText(folder + "picked.txt"));
    strip.Press(IDC_ADD_FROM_CLIPBOARD);
    EXPECT_TRUE(strip.Settle());
    EXPECT_EQ(nullptr, strip.WaitDialog(A("添加快捷方式"), 0));
    strip.Press(IDC_OPEN_FROM_CLIPBOARD);
    EXPECT_TRUE(wintest::WaitUntil([] { return IsWindowVisible(FindWindowA(nullptr, "clipfiles")); }));
    // Closed again: a folder window that takes the keyboard whenever it gets round to it would
    // take the keys meant for the strip below.
    const HWND explorer = FindWindowA(nullptr, "clipfiles");
    PostMessageA(explorer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(drive::WaitGone(explorer));

    ASSERT_TRUE(PutClipboardText(A("见 ") + key.Path()));
    strip.Press(IDC_ADD_FROM_CLIPBOARD);
    HWND editor = strip.WaitDialog(A("添加快捷方式"));
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(key.Path(), drive::Text(GetDlgItem(editor, IDC_LOCATION)));
    EXPECT_EQ(A("注册表项"), drive::Text(GetDlgItem(editor, IDC_NAME)));
    drive::Press(editor, IDOK);
    EXPECT_TRUE(wintest::WaitUntil([&] { return !IsWindow(editor); }));
    EXPECT_EQ(std::vector<std::string>{A("注册表项")}, strip.PickerItems());  // (its file: the strip's tests)

    ASSERT_TRUE(PutClipboardText(std::wstring(folder.begin(), folder.end()) + L"a\uD55Cb.txt"));  // Korean
    wintest::MessageBoxWatcher boxes(IDOK, strip.Pid());
    strip.Press(IDC_MANUAL_OPEN);
    ASSERT_TRUE(wintest::WaitUntil([&] { return IsWindowVisible(strip.Item(IDC_PATH_BOX)); }));
    const HWND box = FindWindowExA(strip.Item(IDC_PATH_BOX), nullptr, "Edit", nullptr);
    ASSERT_TRUE(drive::ClickMiddle(box));
    ASSERT_TRUE(wintest::WaitUntil([&] { return drive::Focus(strip.Strip()) == box; }));
    drive::Chord({VK_CONTROL}, 'V');
    ASSERT_TRUE(wintest::WaitUntil([&] { return !drive::Text(box).empty(); })) << "the paste went elsewhere";
    drive::Key(VK_RETURN);
    ASSERT_TRUE(boxes.WaitSeen(1));
    EXPECT_EQ("手动打开快捷方式", wintest::U(boxes.Seen()[0].caption));
    EXPECT_TRUE(strip.Close());
}

}  // namespace
