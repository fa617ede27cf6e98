// The registry-editor navigator against the stand-in editor (tests/fixtures), as both programs
// make it side by side: finding or starting the editor, the keystrokes and pauses, and the
// failures.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "RegKeyTool.h"
#include "StandIn.h"
#include "WinTest.h"

using standin::Event;
using wintest::U;

namespace {

// The strip's tool (the defaults) and the viewer's.
struct Tool {
    RootNamePlace rootName;
    EditorFailures failures;
    const char* name;
};
const Tool kTools[] = {{RootNamePlace::AfterBlanks, EditorFailures::Quiet, "strip "},
                       {RootNamePlace::AtStart, EditorFailures::Told, "viewer "}};

struct Call {
    bool result;
    double startMs, endMs;
};
Call Open(const std::string& text, const Tool& made, EditorSendFn send = nullptr, HWND owner = nullptr) {
    double start = standin::NowMs();
    CRegKeyTool tool(made.rootName, made.failures, send);
    tool.SetOwner(owner);
    bool result = tool.OpenInRegEdit(text.c_str());
    return {result, start, standin::NowMs()};
}

int g_refused = 0;
DWORD RefuseKey(HWND, UINT, WPARAM) {
    ++g_refused;
    return ERROR_ACCESS_DENIED;
}

}  // namespace

// Paths several levels deep, with double-byte key names (誠's second byte is 0x5C, 0x81 0x61's
// a lower-case letter that must stay so; an English keyboard layout must not change either),
// or ending in a backslash, each against an editor not running (started and waited for),
// running, or running minimised: one editor process, shown maximised, typed into upper-case
// with the pauses, and ending on the key. A missing key: the editor neither brought up nor
// typed into, nothing said.
TEST(Navigator, DrivesTheEditorToTheKey) {
    const std::string wideName = wintest::A("NavWide\\中文键\\") + "\201a\\" + wintest::A("誠实");
    wintest::ScratchKey deep("NavDeep\\Level2\\level3\\Leaf"), wide(wideName), trail("NavTrail\\Open");
    ASSERT_TRUE(deep.Ok() && wide.Ok() && trail.Ok());
    // Run again by wine.navigator_test.english_layout: the same characters must reach the tree.
    if (getenv("QB_USER_LOCALE")) { ASSERT_EQ(LOWORD(GetKeyboardLayout(0)), 0x0409); }
    const std::string typedBase = "LEFTx50 HOME RIGHT 'HKEY_CURRENT_USER' RIGHT 'SOFTWARE' RIGHT 'QBTESTS' RIGHT ";
    const std::string missing = "HKEY_CURRENT_USER\\Software\\QbTests\\NoSuchKey\\Below";
    struct Case {
        int show;                           // how the editor is left before the call; -1: not running
        std::string text, typed, selected;  // typed "": not opened
    } cases[] = {
        {-1, "hkcu\\Software\\QbTests\\NavDeep\\Level2\\level3\\Leaf",
         "'NAVDEEP' RIGHT 'LEVEL2' RIGHT 'LEVEL3' RIGHT 'LEAF'", deep.Path()},
        {SW_SHOWNORMAL, "HKEY_CURRENT_USER\\Software\\QbTests\\" + wideName,
         wintest::A("'NAVWIDE' RIGHT '中文键' RIGHT '") + "\201a" + wintest::A("' RIGHT '誠实'"), wide.Path()},
        {SW_MINIMIZE, "HKCU\\Software\\QbTests\\NavTrail\\", "'NAVTRAIL' RIGHT",
         "HKEY_CURRENT_USER\\Software\\QbTests\\NavTrail"},
        {SW_MINIMIZE, missing, "", ""},
    };
    for (const Tool& t : kTools) {
        for (const Case& c : cases) {
            SCOPED_TRACE(t.name + U(c.text));
            const bool opens = !c.typed.empty();
            wintest::MessageBoxWatcher boxes;
            standin::Session s("nav_drive");
            HWND before = c.show < 0 ? nullptr : s.Start();
            if (before) ShowWindow(before, c.show);
            ASSERT_TRUE(wintest::WaitUntil([&] { return (c.show == SW_MINIMIZE) == !!IsIconic(before); }));
            ASSERT_FALSE(IsZoomed(before));
            ASSERT_EQ(standin::FindEditor(), before);
            standin::Noted().clear();  // the viewer's walk timed; the strip's by the navigator's own send
            Call call = Open(c.text, t, t.failures == EditorFailures::Told ? standin::SendNoted : nullptr);
            EXPECT_EQ(call.result, opens);
            HWND editor = standin::FindEditor();
            if (before) { EXPECT_EQ(editor, before); }
            EXPECT_EQ(!!IsZoomed(editor), opens);
            EXPECT_EQ(!!IsIconic(editor), !opens && c.show == SW_MINIMIZE);
            std::vector<Event> all = s.Events(), keys = standin::Keystrokes(all);
            EXPECT_EQ(standin::Count(all, "START"), opens || before ? 1u : 0u);  // no second editor
            EXPECT_TRUE(boxes.Seen().empty());
            if (!opens) {
                EXPECT_TRUE(keys.empty());
                continue;
            }
            EXPECT_EQ(U(standin::Describe(keys)), U(typedBase + c.typed));
            EXPECT_EQ(U(standin::FinalPath(keys)), U(c.selected));
            // The pauses: 300 ms from the call to the first keystroke, 200 ms after each VK_RIGHT
            // (also after the last one when the path ends in a backslash), none elsewhere. Sleeps
            // and stamps round differently: 1 ms of slack.
            const std::vector<standin::Sent>& sent = standin::Noted();
            if (t.failures != EditorFailures::Told) continue;
            ASSERT_EQ(sent.size(), keys.size());
            EXPECT_GE(sent.front().went - call.startMs, 299);
            for (size_t i = 0; i < keys.size(); ++i) {
                bool right = keys[i].kind == "KEYDOWN" && keys[i].code == VK_RIGHT;
                double gap = (i + 1 < keys.size() ? sent[i + 1].went : call.endMs) - sent[i].back;
                if (right) { EXPECT_GE(gap, 199) << "after keystroke " << i; }
                if (!right && i + 1 < keys.size()) { EXPECT_LT(gap, 180) << "after keystroke " << i; }
            }
        }
    }
}

// After the walk to its key, a value selected in the list as a click would select it: alone,
// focused, the keyboard in the list; found without regard to letter case. Names of every kind
// side by side in one key, each call after the one before in one editor (started by the
// first): double-byte, blanks, a backslash, "=", quotes, the default value's label; the default
// value itself; one of thousands; the viewer's tool with an export's header. A value that is not
// there: the editor at its key, nothing selected. (Scrolled into view and the selection mark:
// Wine's list view does both itself as the row is focused.)
TEST(Navigator, SelectsTheValueInTheList) {
    wintest::ScratchKey key(wintest::A("NavValues\\值键")), many("NavValues\\Many");
    const std::string names[] = {wintest::A("中文 值"), " two  blanks ", "back\\slash", "a=b", "\"q\"",
                                 wintest::A("(默认)")};
    ASSERT_TRUE(key.Ok() && many.Ok() && key.SetValue(""));
    for (int i = 0; i < 3000; ++i) ASSERT_TRUE(many.SetValue("v" + std::to_string(10000 + i)));
    struct Case {
        const Tool& tool;
        std::string keyPath, name, shown;  // shown "": nothing selected
    };
    const std::string header = "[" + key.Path() + "]";
    std::vector<Case> cases = {{kTools[0], key.Path(), "", names[5]},
                               {kTools[0], key.Path(), "missing", ""},
                               {kTools[1], header, "A=B", names[3]},
                               {kTools[1], header, "", names[5]},
                               {kTools[0], many.Path(), "V12345", "v12345"}};
    for (const std::string& n : names) {
        ASSERT_TRUE(key.SetValue(n));
        cases.push_back({kTools[0], key.Path(), n, n});
    }
    standin::Session s("nav_values");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool.name + U(c.keyPath + " " + c.name));
        const size_t before = standin::Count(s.Events(), "VALUE");
        CRegKeyTool tool(c.tool.rootName, c.tool.failures);
        EXPECT_EQ(tool.OpenValueInRegEdit(c.keyPath.c_str(), c.name), !c.shown.empty());
        const std::string at = c.keyPath == many.Path() ? many.Path() : key.Path();
        EXPECT_EQ(U(standin::FinalPath(s.Keys())), U(at));
        // The list is filled a moment after the walk: what is selected once it shows the key.
        const std::vector<Event> all = s.WaitListed(at);
        EXPECT_EQ(standin::Count(all, "VALUE"), before + (c.shown.empty() ? 0 : 1));
        if (c.shown.empty()) continue;
        const Event selected = standin::Session::LastValue(all);
        EXPECT_EQ(U(selected.text), U(c.shown));
        EXPECT_EQ(selected.code == 0, c.name.empty());
        HWND list = standin::ValueList(standin::FindEditor());
        EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED), (LRESULT)selected.code);
        EXPECT_EQ(standin::KeyboardFocus(list), list);
    }
}

// The viewer's tool tells each failure of the editor in a box of its own; the strip's fails
// silently but for an editor of higher rights, which gets no key at all (the system refuses
// them across integrity levels, which Wine does not: a refusing send plays it) and whose reason
// the strip names. Each box belongs to the window the tool was given (the strip: not behind another
// window). An editor that starts but never becomes ready holds neither for ever; one that has
// stopped answering, one message's limit at most (5 s; at once once the system counts it hung).
TEST(Navigator, EditorFailuresAreToldOnlyByTheViewer) {
    wintest::ScratchKey key("NavFail\\Target");
    ASSERT_TRUE(key.Ok());
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string editor = std::string(windows) + "\\regedit.exe";
    const std::string notReady = "打开注册表编辑器失败！";
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const struct {
        const char *option, *value;
        bool running;
        EditorSendFn send;
        std::string quillet, brindle;
        double limitMs;
    } cases[] = {
        {nullptr, nullptr, false, nullptr, "", "运行注册表编辑器失败！", 30000},  // cannot be started
        {"QB_STANDIN_BUSY", "40000", false, nullptr, "", notReady, 30000},
        {"QB_STANDIN_NO_TREE", "1", false, nullptr, "", "无效的注册表编辑器", 30000},
        {"QB_STANDIN_HANG", "300", true, nullptr, "", notReady, 7000},
        {nullptr, nullptr, true, RefuseKey,
         "注册表编辑器以更高的权限运行，不接受本程序发送的按键，无法打开该键。\n请以管理员身份运行 Quillet。", notReady,
         7000},
    };
    for (const auto& c : cases) {
        for (const Tool& t : kTools) {
            const std::string told = t.failures == EditorFailures::Told ? c.brindle : c.quillet;
            SCOPED_TRACE(t.name + std::string(c.option ? c.option : c.running ? "refusing" : "not started"));
            standin::Session s("nav_fail");
            const bool hung = c.running && !c.send, noTree = c.option && std::string(c.option) == "QB_STANDIN_NO_TREE";
            standin::ScopedEnv option(c.option ? c.option : "QB_STANDIN_BUSY", c.value);
            HWND running = c.running ? s.Start() : nullptr;
            ASSERT_TRUE(!c.running || (running && (!hung || standin::WaitHung(running))));
            wintest::MessageBoxWatcher boxes;
            // Not started: the editor moved out of the search path, so starting it fails.
            bool away = !c.option && !c.running && MoveFileExA(editor.c_str(), (editor + ".away").c_str(), 0);
            ASSERT_EQ(away, !c.option && !c.running);
            g_refused = 0;
            Call call = Open(key.Path(), t, c.send, owner);
            if (away) MoveFileExA((editor + ".away").c_str(), editor.c_str(), 0);
            EXPECT_FALSE(call.result);
            EXPECT_LT(call.endMs - call.startMs, c.limitMs);
            EXPECT_EQ(g_refused, c.send ? 1 : 0);
            // Every box seen: the shell must not add one of its own to ours.
            std::vector<wintest::SeenBox> seen = boxes.Seen();
            ASSERT_EQ(seen.size(), told.empty() ? 0u : 1u);
            if (!seen.empty()) {
                EXPECT_EQ(U(seen[0].caption + " " + seen[0].text), "错误 " + told);
                EXPECT_EQ(seen[0].owner, owner);
            }
            if (noTree) {  // shown (without waiting on it) before the tree is looked for
                EXPECT_TRUE(wintest::WaitUntil([] { return !!IsZoomed(standin::FindEditor()); }));
            }
            if (!hung) { EXPECT_TRUE(s.Keys().empty()); }
        }
    }
}
