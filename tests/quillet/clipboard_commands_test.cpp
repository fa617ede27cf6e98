// The strip's clipboard side as a user meets it: the real Quillet.exe, the real clipboard,
// the stand-in registry editor recording where it was taken, and clipboard viewers of the
// test's own in the same chain as the strip.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "StandIn.h"
#include "StripHarness.h"
#include "TestViewer.h"
#include "WinTest.h"

using striptest::StripRun;
using wintest::A;

namespace {

constexpr int kAddFromClipboard = 1008;
constexpr int kOpenFromClipboard = 1009;
constexpr int kAutoOpen = 1010;
constexpr int kClearClipboard = 1011;

// The path the editor ends on, once its keystrokes have stopped coming (or "").
std::string WaitEditorPath(const standin::Session& s, const std::string& want, DWORD timeoutMs = 20000) {
    std::string path;
    wintest::WaitUntil(
        [&] {
            path = standin::FinalPath(s.Keys());
            return path == want;
        },
        timeoutMs);
    return path;
}

size_t KeyCount(const standin::Session& s) { return s.Keys().size(); }

// The number of keystrokes once the navigator has finished typing (none for a while).
size_t SettledKeyCount(const standin::Session& s) {
    size_t count = KeyCount(s);
    for (int i = 0; i < 20; ++i) {
        wintest::PumpFor(1000);
        size_t now = KeyCount(s);
        if (now == count) break;
        count = now;
    }
    return count;
}

// Nothing more reaches the editor within the time (the log stays as it was).
bool NothingOpened(const standin::Session& s, size_t keysBefore, DWORD ms = 2500) {
    wintest::PumpFor(ms);
    return KeyCount(s) == keysBefore && standin::Count(s.Events(), "START") <= (keysBefore ? 1u : 0u);
}

bool Put(const std::string& ansi) { return PutClipboardText(ansi.c_str()); }

// Explorer windows that were not there before: their titles.
bool IsExplorer(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    char image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    bool ok = QueryFullProcessImageNameA(process, 0, image, &size) != FALSE;
    CloseHandle(process);
    std::string name = ok ? std::string(image, size) : std::string();
    name = name.substr(name.find_last_of('\\') + 1);
    return lstrcmpiA(name.c_str(), "explorer.exe") == 0;
}

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM lp) {
    if (IsWindowVisible(hwnd)) reinterpret_cast<std::set<HWND>*>(lp)->insert(hwnd);
    return TRUE;
}

std::set<HWND> TopWindows() {
    std::set<HWND> all;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string WaitNewExplorer(const std::set<HWND>& before, DWORD timeoutMs) {
    std::string title;
    wintest::WaitUntil(
        [&] {
            for (HWND hwnd : TopWindows()) {
                if (before.count(hwnd) || !IsExplorer(hwnd)) continue;
                char text[512] = {};
                GetWindowTextA(hwnd, text, sizeof text);
                if (!*text) continue;
                title = text;
                return true;
            }
            return false;
        },
        timeoutMs);
    return title;
}

TEST(ClipboardCommands, OpenFromClipboardTakesTheKeyAfterAnyWords) {
    wintest::ScratchKey key("Clip\\Words");
    ASSERT_TRUE(key.Ok());
    standin::Session session("clip_open");
    StripRun strip("clip_open");
    ASSERT_TRUE(strip.Start());

    // Only the first line counts: a key on the second line opens nothing.
    ASSERT_TRUE(Put(A("请看第二行\r\n") + key.Path()));
    strip.Press(kOpenFromClipboard);
    EXPECT_TRUE(NothingOpened(session, 0));

    ASSERT_TRUE(Put(A("请打开 ") + key.Path() + "\r\nmore text"));
    strip.Press(kOpenFromClipboard);
    EXPECT_EQ(key.Path(), WaitEditorPath(session, key.Path()));
    EXPECT_TRUE(strip.Close());
}

TEST(ClipboardCommands, AutoOpenOpensEveryNewKeyAndNothingElse) {
    wintest::ScratchKey first("Clip\\Auto\\First");
    wintest::ScratchKey second("Clip\\Auto\\Second");
    ASSERT_TRUE(first.Ok() && second.Ok());
    standin::Session session("clip_auto");
    StripRun strip("clip_auto");
    ASSERT_TRUE(strip.Start());

    // Already on the clipboard when the mode is switched on: opened at once.
    ASSERT_TRUE(Put(first.Path()));
    strip.Press(kAutoOpen);
    EXPECT_EQ(first.Path(), WaitEditorPath(session, first.Path()));

    ASSERT_TRUE(Put(A("复制的路径：") + second.Path()));
    EXPECT_EQ(second.Path(), WaitEditorPath(session, second.Path()));

    // Emptying, words alone, and a key on the second line open nothing.
    size_t keys = SettledKeyCount(session);
    strip.Press(kClearClipboard);
    EXPECT_TRUE(NothingOpened(session, keys));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(Put(A("只是一些文字")));
    ASSERT_TRUE(Put(A("第一行\r\n") + first.Path()));
    EXPECT_TRUE(NothingOpened(session, keys));

    // Switched off: copying a key opens nothing.
    strip.Press(kAutoOpen);
    ASSERT_TRUE(wintest::WaitUntil([&] { return GetClipboardViewer() != strip.Strip(); }, 5000));
    ASSERT_TRUE(Put(first.Path()));
    EXPECT_TRUE(NothingOpened(session, keys));
    EXPECT_TRUE(strip.Close());
}

TEST(ClipboardCommands, AddFromClipboardOffersTheKeyNamedAfterItsLastNode) {
    wintest::ScratchKey key(A("Clip\\Add\\注册表项"));
    ASSERT_TRUE(key.Ok());
    StripRun strip("clip_add");
    ASSERT_TRUE(strip.Start());

    ASSERT_TRUE(Put(A("见 ") + key.Path()));
    strip.Press(kAddFromClipboard);
    HWND editor = strip.WaitDialog(A("添加快捷方式"));
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(key.Path(), striptest::WindowText(GetDlgItem(editor, 1016)));
    EXPECT_EQ(A("注册表项"), striptest::WindowText(GetDlgItem(editor, 1017)));
    PostMessageA(editor, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(editor, IDOK)));
    EXPECT_TRUE(wintest::WaitUntil([&] { return !IsWindow(editor); }, 5000));
    EXPECT_EQ(std::vector<std::string>{A("注册表项")}, strip.PickerItems());

    // Cancelled: nothing is added.
    strip.Press(kAddFromClipboard);
    editor = strip.WaitDialog(A("添加快捷方式"));
    ASSERT_NE(nullptr, editor);
    PostMessageA(editor, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(wintest::WaitUntil([&] { return !IsWindow(editor); }, 5000));
    EXPECT_EQ(1u, strip.PickerItems().size());

    // Text without a key path, and a root alone, offer nothing.
    for (const char* text : {"no key here", "HKEY_CURRENT_USER"}) {
        ASSERT_TRUE(Put(text));
        strip.Press(kAddFromClipboard);
        EXPECT_EQ(nullptr, strip.WaitDialog(A("添加快捷方式"), 1500)) << text;
    }
    EXPECT_TRUE(strip.Close());
    EXPECT_EQ(key.Path() + '\x03' + A("注册表项") + "\r\n", strip.ReadIni());
}

TEST(ClipboardCommands, AFilePathOpensExplorerWithOpenButIsNeverAdded) {
    std::string folder = wintest::ScratchDir("clipfiles");
    std::string file = folder + "picked.txt";
    ASSERT_TRUE(wintest::WriteFileBytes(file, "x"));
    standin::Session session("clip_file");
    StripRun strip("clip_file");
    ASSERT_TRUE(strip.Start());
    ASSERT_TRUE(Put(file));

    strip.Press(kAddFromClipboard);
    EXPECT_EQ(nullptr, strip.WaitDialog(A("添加快捷方式"), 1500));

    std::set<HWND> before = TopWindows();
    strip.Press(kOpenFromClipboard);
    EXPECT_EQ("clipfiles", WaitNewExplorer(before, 15000));
    EXPECT_TRUE(NothingOpened(session, 0, 500));
    EXPECT_TRUE(strip.Close());
}

TEST(ClipboardCommands, OtherViewersKeepHearingThroughTheStrip) {
    ASSERT_TRUE(Put("words only"));
    TestViewer tail;
    tail.Join();
    StripRun strip("clip_chain");
    ASSERT_TRUE(strip.Start());

    // On, off, on: the strip is in the chain once, so the viewer after it hears every
    // change exactly once.
    for (int i = 0; i < 3; ++i) {
        strip.Press(kAutoOpen);
        wintest::PumpFor(300);
    }
    int before = tail.Draws();
    ASSERT_TRUE(Put("words only"));
    wintest::WaitUntil([&] { return tail.Draws() > before; }, 5000);
    wintest::PumpFor(500);
    EXPECT_EQ(before + 1, tail.Draws());

    // Closing the strip takes it out of the chain; the viewer still hears changes.
    EXPECT_TRUE(strip.Close());
    before = tail.Draws();
    ASSERT_TRUE(Put("after the strip"));
    EXPECT_TRUE(wintest::WaitUntil([&] { return tail.Draws() == before + 1; }, 5000));
    EXPECT_EQ(tail.Handle(), GetClipboardViewer());
}

TEST(ClipboardCommands, ViewersLeavingTheChainAreHandled) {
    // Chain, head first: head -> strip -> middle -> tail.
    ASSERT_TRUE(Put("words only"));
    TestViewer tail, middle, head;
    tail.Join();
    middle.Join();
    StripRun strip("clip_leave");
    ASSERT_TRUE(strip.Start());
    strip.Press(kAutoOpen);
    ASSERT_TRUE(wintest::WaitUntil([&] { return GetClipboardViewer() == strip.Strip(); }, 5000));
    head.Join();
    ASSERT_EQ(strip.Strip(), head.Next());

    // The tail leaves: the news passes head -> strip -> middle, which must drop its link.
    tail.Leave();
    EXPECT_TRUE(wintest::WaitUntil([&] { return middle.Next() == nullptr; }, 5000));

    // The strip's own successor leaves: the strip must link past it to nobody, and the
    // others still hear changes.
    middle.Leave();
    int headDraws = head.Draws();
    int leftDraws = middle.Draws();
    ASSERT_TRUE(Put("words only"));
    EXPECT_TRUE(wintest::WaitUntil([&] { return head.Draws() == headDraws + 1; }, 5000));
    wintest::PumpFor(500);
    EXPECT_EQ(leftDraws, middle.Draws());  // not told any more once it left

    // Rejoin middle after the head: head2(middle) -> head -> strip; the strip leaving at
    // close links head past it.
    middle.Join();
    EXPECT_TRUE(strip.Close());
    EXPECT_TRUE(wintest::WaitUntil([&] { return head.Next() == nullptr; }, 5000));
    int middleDraws = middle.Draws();
    headDraws = head.Draws();
    ASSERT_TRUE(Put("after the strip"));
    EXPECT_TRUE(wintest::WaitUntil(
        [&] { return middle.Draws() == middleDraws + 1 && head.Draws() == headDraws + 1; }, 5000));
}

}  // namespace
