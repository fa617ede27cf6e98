// The shortcut editor through its real dialog: a second thread types into the fields and
// presses the buttons while the dialog runs its modal loop on the test's thread, and
// MessageBoxWatcher answers (and records) the validation messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "RegKeyTool.h"
#include "ShortcutDlg.h"
#include "WinTest.h"
#include "resource.h"

const EditorVariant g_editorVariant = EditorVariant::Quillet;

using wintest::A;
using wintest::U;

namespace {

struct EditorWindow {
    DWORD thread;
    HWND found;
};

BOOL CALLBACK FindEditor(HWND hwnd, LPARAM lp) {
    auto* ctx = reinterpret_cast<EditorWindow*>(lp);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDC_LOCATION)) {
        ctx->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForEditor(DWORD thread) {
    for (int i = 0; i < 500; ++i) {
        EditorWindow ctx{thread, nullptr};
        EnumThreadWindows(thread, FindEditor, reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found) return ctx.found;
        Sleep(10);
    }
    return nullptr;
}

std::string Text(HWND hwnd) {
    char buf[2048] = {};
    SendMessageA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

std::string Field(HWND dlg, int id) { return Text(GetDlgItem(dlg, id)); }

void SetField(HWND dlg, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Press(HWND dlg, int id) { PostMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

bool Sleepy(const std::function<bool()>& pred, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 10) {
        if (pred()) return true;
        Sleep(10);
    }
    return pred();
}

// What the driver saw of the dialog, read on its own thread.
struct Seen {
    bool opened = false;
    std::string caption;
    std::string location;
    std::string name;
    DWORD selStart = 0, selEnd = 0;
    bool locationHasFocus = false;
    bool stillOpenAfterOk = false;
    std::string locationAfter;
    std::string nameAfter;
};

// Runs `dlg` modally; `drive` gets the dialog window on a second thread. Whatever `drive`
// does, the dialog is cancelled afterwards if it is still open, so a failing test cannot
// hang in the modal loop.
int RunDriven(CShortcutDlg& dlg, const std::function<void(HWND)>& drive) {
    const DWORD thread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND hwnd = WaitForEditor(thread);
        if (!hwnd) return;
        drive(hwnd);
        if (IsWindow(hwnd)) {
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            Sleepy([&] { return !IsWindow(hwnd); }, 3000);
        }
    });
    int result = dlg.DoModal();
    driver.join();
    return result;
}

void ReadOpening(HWND dlg, DWORD uiThread, Seen& seen) {
    seen.opened = true;
    seen.caption = Text(dlg);
    seen.location = Field(dlg, IDC_LOCATION);
    seen.name = Field(dlg, IDC_NAME);
    SendMessageA(GetDlgItem(dlg, IDC_LOCATION), EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selStart),
                 reinterpret_cast<LPARAM>(&seen.selEnd));
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(uiThread, &info)) seen.locationHasFocus = info.hwndFocus == GetDlgItem(dlg, IDC_LOCATION);
}

// Types the two fields, presses OK and waits for either a message box or the dialog's end.
void TypeAndOk(HWND dlg, const std::string& location, const std::string& name, wintest::MessageBoxWatcher& boxes,
               Seen& seen) {
    const size_t before = boxes.Seen().size();
    SetField(dlg, IDC_LOCATION, location);
    SetField(dlg, IDC_NAME, name);
    Press(dlg, IDOK);
    Sleepy([&] { return boxes.Seen().size() > before || !IsWindow(dlg); }, 5000);
    Sleep(300);  // a second box would show up by now
    seen.stillOpenAfterOk = IsWindow(dlg) != FALSE;
    if (seen.stillOpenAfterOk) {
        seen.locationAfter = Field(dlg, IDC_LOCATION);
        seen.nameAfter = Field(dlg, IDC_NAME);
    }
}

class ShortcutDlgTest : public ::testing::Test {
protected:
    wintest::ScratchKey exists{"ShortcutDlg\\Exists"};
    wintest::ScratchKey blankLeaf{"ShortcutDlg\\ Leading"};
    const std::string missing = "HKEY_CURRENT_USER\\Software\\QbTests\\ShortcutDlg\\Missing";
};

}  // namespace

TEST_F(ShortcutDlgTest, RefusesBadInputWithOneMessageAndStaysOpenUnchanged) {
    ASSERT_TRUE(exists.Ok());
    ASSERT_TRUE(blankLeaf.Ok());
    const std::string note = A("注意"), error = A("错误");
    struct Case {
        const char* what;
        std::string location, name;
        std::string text, caption;
    } cases[] = {
        {"empty location", "", "name", A("键值位置不能为空"), note},
        {"key that does not exist", missing, "name", A("无效的键值位置，请检查该键值是否存在"), error},
        {"file path", "C:\\windows", "name", A("无效的键值位置，请检查该键值是否存在"), error},
        {"root name alone", "HKCU\\", "name", A("无效的键值位置，请检查该键值是否存在"), error},
        {"text before the root name", "key HKCU\\Software", "name", A("无效的键值位置，请检查该键值是否存在"), error},
        {"blank location", "   ", "name", A("无效的键值位置，请检查该键值是否存在"), error},
        {"ends in a backslash, no name", exists.Path() + "\\", "", A("软件不能获取有效的键名，请用户填写键名"), note},
        {"name starts with a space", exists.Path(), " name", A("键名的第一个字母不能为空格或制表符"), note},
        {"name starts with a tab", exists.Path(), "\tname", A("键名的第一个字母不能为空格或制表符"), note},
        {"derived name starts with a space", blankLeaf.Path(), "", A("键名的第一个字母不能为空格或制表符"), note},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        wintest::MessageBoxWatcher boxes(IDOK);
        CShortcutDlg dlg(TRUE, nullptr);
        Seen seen;
        int result = RunDriven(dlg, [&](HWND hwnd) { TypeAndOk(hwnd, c.location, c.name, boxes, seen); });
        EXPECT_EQ(result, IDCANCEL);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(U(boxes.Seen()[0].text), U(c.text));
        EXPECT_EQ(U(boxes.Seen()[0].caption), U(c.caption));
        EXPECT_TRUE(seen.stillOpenAfterOk);
        EXPECT_EQ(seen.locationAfter, c.location);
        EXPECT_EQ(seen.nameAfter, c.name);
        Shortcut result_;
        EXPECT_FALSE(dlg.GetResult(result_));
    }
}

TEST_F(ShortcutDlgTest, AcceptedValuesComeBackAsTyped) {
    ASSERT_TRUE(exists.Ok());
    const std::string sub = "Software\\QbTests\\ShortcutDlg\\Exists";
    struct Case {
        const char* what;
        std::string location, name;
        std::string expectedName;
    } cases[] = {
        {"short root in lower case", "hkcu\\software\\qbtests\\shortcutdlg\\exists", "Mine", "Mine"},
        {"trailing blanks of the name stay", exists.Path(), "Mine  ", "Mine  "},
        {"empty name: the last key name", exists.Path(), "", "Exists"},
        {"leading blanks of the location stay", "  HKCU\\" + sub, "", "Exists"},
        {"brackets stay", "[HKEY_CURRENT_USER\\" + sub + "]", "", "Exists"},
        {"double-byte name", exists.Path(), A("中文名称"), A("中文名称")},
        {"a name like another one's", exists.Path(), "Exists", "Exists"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        wintest::MessageBoxWatcher boxes(IDOK);
        CShortcutDlg dlg(TRUE, nullptr);
        Seen seen;
        int result = RunDriven(dlg, [&](HWND hwnd) { TypeAndOk(hwnd, c.location, c.name, boxes, seen); });
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(boxes.Seen().empty()) << U(boxes.Seen().empty() ? "" : boxes.Seen()[0].text);
        Shortcut got{"untouched", "untouched"};
        ASSERT_TRUE(dlg.GetResult(got));
        EXPECT_EQ(got.location, c.location);
        EXPECT_EQ(U(got.name), U(c.expectedName));
    }
}

TEST_F(ShortcutDlgTest, OpensWithTheModeCaptionAndTheLocationSelected) {
    ASSERT_TRUE(exists.Ok());
    const DWORD uiThread = GetCurrentThreadId();
    {
        CShortcutDlg dlg(TRUE, nullptr);
        Seen seen;
        EXPECT_EQ(RunDriven(dlg, [&](HWND hwnd) { ReadOpening(hwnd, uiThread, seen); }), IDCANCEL);
        ASSERT_TRUE(seen.opened);
        EXPECT_EQ(U(seen.caption), "添加快捷方式");
        EXPECT_EQ(seen.location, "");
        EXPECT_EQ(seen.name, "");
        EXPECT_TRUE(seen.locationHasFocus);
    }
    {
        Shortcut initial{A("我的键"), exists.Path()};
        CShortcutDlg dlg(FALSE, &initial);
        Seen seen;
        EXPECT_EQ(RunDriven(dlg, [&](HWND hwnd) { ReadOpening(hwnd, uiThread, seen); }), IDCANCEL);
        ASSERT_TRUE(seen.opened);
        EXPECT_EQ(U(seen.caption), "编辑快捷方式");
        EXPECT_EQ(seen.location, exists.Path());
        EXPECT_EQ(U(seen.name), "我的键");
        EXPECT_EQ(seen.selStart, 0u);
        EXPECT_EQ(seen.selEnd, exists.Path().size());
        EXPECT_TRUE(seen.locationHasFocus);
        Shortcut got;
        EXPECT_FALSE(dlg.GetResult(got));  // cancelled
    }
    {
        // Add mode with initial values (the add-from-clipboard case): add caption, values shown.
        Shortcut initial{"Exists", exists.Path()};
        CShortcutDlg dlg(TRUE, &initial);
        Seen seen;
        EXPECT_EQ(RunDriven(dlg, [&](HWND hwnd) { ReadOpening(hwnd, uiThread, seen); }), IDCANCEL);
        EXPECT_EQ(U(seen.caption), "添加快捷方式");
        EXPECT_EQ(seen.location, exists.Path());
        EXPECT_EQ(seen.name, "Exists");
    }
}

TEST_F(ShortcutDlgTest, EditAcceptsUnchangedValuesAndAKeyDeletedMeanwhileIsRefused) {
    wintest::ScratchKey doomed("ShortcutDlg\\Doomed");
    ASSERT_TRUE(doomed.Ok());
    Shortcut initial{"Doomed", doomed.Path()};
    {
        wintest::MessageBoxWatcher boxes(IDOK);
        CShortcutDlg dlg(FALSE, &initial);
        EXPECT_EQ(RunDriven(dlg, [&](HWND hwnd) { Press(hwnd, IDOK); Sleepy([&] { return !IsWindow(hwnd); }, 5000); }),
                  IDOK);
        Shortcut got;
        ASSERT_TRUE(dlg.GetResult(got));
        EXPECT_EQ(got.location, initial.location);
        EXPECT_EQ(got.name, initial.name);
    }
    {
        wintest::MessageBoxWatcher boxes(IDOK);
        CShortcutDlg dlg(FALSE, &initial);
        Seen seen;
        int result = RunDriven(dlg, [&](HWND hwnd) {
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QbTests\\ShortcutDlg\\Doomed");
            TypeAndOk(hwnd, initial.location, initial.name, boxes, seen);
        });
        EXPECT_EQ(result, IDCANCEL);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(U(boxes.Seen()[0].text), "无效的键值位置，请检查该键值是否存在");
        Shortcut got;
        EXPECT_FALSE(dlg.GetResult(got));
    }
}

TEST_F(ShortcutDlgTest, EnterInAFieldRunsTheChecksAndEscCancels) {
    ASSERT_TRUE(exists.Ok());
    auto key = [](HWND target, UINT vk) {
        PostMessageA(target, WM_KEYDOWN, vk, 1);
        PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
    };
    {
        wintest::MessageBoxWatcher boxes(IDOK);
        CShortcutDlg dlg(TRUE, nullptr);
        bool closedByEnter = false;
        int result = RunDriven(dlg, [&](HWND hwnd) {
            HWND location = GetDlgItem(hwnd, IDC_LOCATION);
            key(location, VK_RETURN);  // empty location: refused
            Sleepy([&] { return !boxes.Seen().empty(); }, 5000);
            SetField(hwnd, IDC_LOCATION, exists.Path());
            Sleep(300);  // let the message box go before the next key
            key(GetDlgItem(hwnd, IDC_NAME), VK_RETURN);
            closedByEnter = Sleepy([&] { return !IsWindow(hwnd); }, 5000);
        });
        EXPECT_TRUE(closedByEnter);
        EXPECT_EQ(result, IDOK);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(U(boxes.Seen()[0].text), "键值位置不能为空");
        Shortcut got;
        ASSERT_TRUE(dlg.GetResult(got));
        EXPECT_EQ(got.location, exists.Path());
        EXPECT_EQ(got.name, "Exists");
    }
    {
        Shortcut initial{"Exists", exists.Path()};
        CShortcutDlg dlg(FALSE, &initial);
        bool closedByEsc = false;
        int result = RunDriven(dlg, [&](HWND hwnd) {
            key(GetDlgItem(hwnd, IDC_LOCATION), VK_ESCAPE);
            closedByEsc = Sleepy([&] { return !IsWindow(hwnd); }, 5000);
        });
        EXPECT_TRUE(closedByEsc);
        EXPECT_EQ(result, IDCANCEL);
        Shortcut got;
        EXPECT_FALSE(dlg.GetResult(got));
    }
}
