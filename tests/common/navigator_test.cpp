// The registry-editor navigator against the stand-in editor (tests/fixtures), both programs'
// variants side by side: finding or starting the editor, the keystrokes and pauses it
// receives, where its tree ends, and the failures with and without message boxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "RegKeyTool.h"
#include "StandIn.h"
#include "WinTest.h"

const EditorVariant g_editorVariant = EditorVariant::Quillet;

using standin::Event;

namespace {

const EditorVariant kVariants[] = {EditorVariant::Quillet, EditorVariant::Brindle};

const char* Name(EditorVariant v) { return v == EditorVariant::Quillet ? "Quillet" : "Brindle"; }

// The navigator's pauses, and how far below them a measured gap may fall: the two
// processes read one clock, but the sleep and the stamps round differently.
constexpr double kFocusPauseMs = 300;
constexpr double kOpenPauseMs = 200;
constexpr double kClockSlackMs = 1;
// A gap this long between keystrokes that should follow each other at once is a pause that
// does not belong there.
constexpr double kNoPauseMs = 180;

struct Call {
    bool result = false;
    double startMs = 0;
    double endMs = 0;
};

Call Open(const std::string& text, EditorVariant variant) {
    Call c;
    c.startMs = standin::NowMs();
    c.result = CRegKeyTool::OpenInRegEdit(text.c_str(), variant);
    c.endMs = standin::NowMs();
    return c;
}

// The pauses the log shows: 300 ms from the call to the first keystroke, 200 ms after each
// VK_RIGHT (also after the last one when the path ends in a backslash), none elsewhere.
void ExpectPauses(const std::vector<Event>& keys, const Call& call) {
    ASSERT_FALSE(keys.empty());
    EXPECT_GE(keys.front().ms - call.startMs, kFocusPauseMs - kClockSlackMs);
    for (size_t i = 0; i + 1 < keys.size(); ++i) {
        double gap = keys[i + 1].ms - keys[i].ms;
        bool opens = keys[i].kind == "KEYDOWN" && keys[i].code == VK_RIGHT;
        if (opens) {
            EXPECT_GE(gap, kOpenPauseMs - kClockSlackMs) << "after keystroke " << i;
        } else {
            EXPECT_LT(gap, kNoPauseMs) << "after keystroke " << i;
        }
    }
    if (keys.back().kind == "KEYDOWN" && keys.back().code == VK_RIGHT) {
        EXPECT_GE(call.endMs - keys.back().ms, kOpenPauseMs - kClockSlackMs);
    }
}

// Moves the system's (here: the stand-in's) editor out of the search path for a scope, so
// that starting "regedit.exe" fails.
class EditorAway {
public:
    EditorAway() {
        char dir[MAX_PATH];
        GetWindowsDirectoryA(dir, MAX_PATH);
        m_path = std::string(dir) + "\\regedit.exe";
        m_away = m_path + ".away";
        m_moved = MoveFileExA(m_path.c_str(), m_away.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~EditorAway() {
        if (m_moved) MoveFileExA(m_away.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    EditorAway(const EditorAway&) = delete;
    EditorAway& operator=(const EditorAway&) = delete;
    bool Ok() const { return m_moved; }

private:
    std::string m_path, m_away;
    bool m_moved = false;
};

}  // namespace

TEST(Navigator, StartsAnEditorThatIsNotRunning) {
    wintest::ScratchKey key("NavStart\\Target");
    ASSERT_TRUE(key.Ok());
    for (EditorVariant v : kVariants) {
        SCOPED_TRACE(Name(v));
        standin::Session s("nav_start");
        ASSERT_EQ(standin::FindEditor(), nullptr);
        Call call = Open(key.Path(), v);
        EXPECT_TRUE(call.result);
        HWND editor = standin::FindEditor();
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(IsZoomed(editor));
        std::vector<Event> all = s.Events();
        EXPECT_EQ(standin::Count(all, "START"), 1u);
        std::vector<Event> keys = standin::Keystrokes(all);
        EXPECT_EQ(standin::FinalPath(keys), key.Path());
        EXPECT_EQ(standin::StatusPath(editor), key.Path());
        // The editor was ready before anything was typed.
        ASSERT_FALSE(keys.empty());
        EXPECT_GT(keys.front().ms, all.front().ms);
    }
}

TEST(Navigator, UsesARunningEditorAndShowsItMaximised) {
    wintest::ScratchKey key("NavRunning\\Target");
    ASSERT_TRUE(key.Ok());
    struct Case {
        const char* name;
        int show;  // how the editor is left before the call
    } cases[] = {{"normal", SW_SHOWNORMAL}, {"minimised", SW_MINIMIZE}};
    for (EditorVariant v : kVariants) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(Name(v)) + " " + c.name);
            standin::Session s("nav_running");
            HWND editor = s.Start(SW_SHOWNORMAL);
            ASSERT_NE(editor, nullptr);
            ShowWindow(editor, c.show);
            ASSERT_TRUE(wintest::WaitUntil([&] { return (c.show == SW_MINIMIZE) == !!IsIconic(editor); }, 3000));
            ASSERT_FALSE(IsZoomed(editor));

            EXPECT_TRUE(Open(key.Path(), v).result);
            EXPECT_TRUE(IsZoomed(editor));
            EXPECT_FALSE(IsIconic(editor));
            EXPECT_EQ(standin::FindEditor(), editor);
            EXPECT_EQ(standin::CountEditorProcesses(), 1);
            EXPECT_EQ(standin::Count(s.Events(), "START"), 1u);
            EXPECT_EQ(standin::FinalPath(s.Keys()), key.Path());
        }
    }
}

TEST(Navigator, TypesTheKeyAndTheEditorEndsThere) {
    // Key names as created; the navigator types them upper-cased, the tree finds them
    // whatever their case. 誠 is a double-byte character whose second byte is 0x5C.
    wintest::ScratchKey deep("NavDeep\\Level2\\level3\\Leaf");
    wintest::ScratchKey wide(wintest::A("NavWide\\中文键\\誠实"));
    wintest::ScratchKey trail("NavTrail\\Open");
    ASSERT_TRUE(deep.Ok() && wide.Ok() && trail.Ok());
    const std::string base = "HKEY_CURRENT_USER\\Software\\QbTests\\";
    struct Case {
        std::string text;      // handed to the navigator
        std::string typed;     // the keystrokes after the fold (50 VK_LEFT, VK_HOME, VK_RIGHT)
        std::string selected;  // the editor's selection at the end
    } cases[] = {
        {"hkcu\\Software\\QbTests\\NavDeep\\Level2\\level3\\Leaf",
         "'HKEY_CURRENT_USER' RIGHT 'SOFTWARE' RIGHT 'QBTESTS' RIGHT 'NAVDEEP' RIGHT 'LEVEL2' RIGHT 'LEVEL3' "
         "RIGHT 'LEAF'",
         base + "NavDeep\\Level2\\level3\\Leaf"},
        {wintest::A("HKEY_CURRENT_USER\\Software\\QbTests\\NavWide\\中文键\\誠实"),
         wintest::A("'HKEY_CURRENT_USER' RIGHT 'SOFTWARE' RIGHT 'QBTESTS' RIGHT 'NAVWIDE' RIGHT '中文键' RIGHT "
                    "'誠实'"),
         base + wintest::A("NavWide\\中文键\\誠实")},
        {"HKCU\\Software\\QbTests\\NavTrail\\",
         "'HKEY_CURRENT_USER' RIGHT 'SOFTWARE' RIGHT 'QBTESTS' RIGHT 'NAVTRAIL' RIGHT", base + "NavTrail"},
    };
    for (EditorVariant v : kVariants) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(Name(v)) + " " + wintest::U(c.text));
            standin::Session s("nav_typed");
            ASSERT_NE(s.Start(), nullptr);
            Call call = Open(c.text, v);
            EXPECT_TRUE(call.result);
            std::vector<Event> keys = s.Keys();
            EXPECT_EQ(wintest::U(standin::Describe(keys)), wintest::U("LEFTx50 HOME RIGHT " + c.typed));
            EXPECT_EQ(wintest::U(standin::FinalPath(keys)), wintest::U(c.selected));
            ExpectPauses(keys, call);
        }
    }
}

TEST(Navigator, SendsNothingForAKeyThatIsMissingOrNoKeyPath) {
    const char* texts[] = {"HKEY_CURRENT_USER\\Software\\QbTests\\NoSuchKey\\Below", "HKCU\\", "not a key", ""};
    for (EditorVariant v : kVariants) {
        SCOPED_TRACE(Name(v));
        wintest::MessageBoxWatcher boxes;
        {
            // No editor running: none is started.
            standin::Session s("nav_missing");
            for (const char* t : texts) EXPECT_FALSE(Open(t, v).result) << t;
            EXPECT_EQ(standin::FindEditor(), nullptr);
            EXPECT_EQ(standin::CountEditorProcesses(), 0);
            EXPECT_TRUE(s.Events().empty());
        }
        {
            // A minimised editor is neither brought up nor typed into.
            standin::Session s("nav_missing_running");
            HWND editor = s.Start();
            ASSERT_NE(editor, nullptr);
            ShowWindow(editor, SW_MINIMIZE);
            ASSERT_TRUE(wintest::WaitUntil([&] { return !!IsIconic(editor); }, 3000));
            for (const char* t : texts) EXPECT_FALSE(Open(t, v).result) << t;
            EXPECT_TRUE(IsIconic(editor));
            EXPECT_TRUE(s.Keys().empty());
        }
        EXPECT_TRUE(boxes.Seen().empty());
    }
}

// Brindle tells each failure of the editor in a box of its own; Quillet fails silently.
TEST(Navigator, EditorFailuresAreToldOnlyByTheViewer) {
    wintest::ScratchKey key("NavFail\\Target");
    ASSERT_TRUE(key.Ok());
    enum Failure { kCannotStart, kNoWindow, kNoTree };
    struct Case {
        Failure failure;
        const char* brindleText;  // UTF-8
    } cases[] = {
        {kCannotStart, "运行注册表编辑器失败！"},
        {kNoWindow, "打开注册表编辑器失败！"},
        {kNoTree, "无效的注册表编辑器"},
    };
    for (const Case& c : cases) {
        for (EditorVariant v : kVariants) {
            SCOPED_TRACE(std::string(Name(v)) + " " + c.brindleText);
            standin::Session s("nav_fail");
            std::unique_ptr<EditorAway> away;
            std::unique_ptr<standin::ScopedEnv> option;
            if (c.failure == kCannotStart) {
                away = std::make_unique<EditorAway>();
                ASSERT_TRUE(away->Ok());
            } else if (c.failure == kNoWindow) {
                option = std::make_unique<standin::ScopedEnv>("QB_STANDIN_NO_WINDOW", "3000");
            } else {
                option = std::make_unique<standin::ScopedEnv>("QB_STANDIN_NO_TREE", "1");
            }
            wintest::MessageBoxWatcher boxes;
            EXPECT_FALSE(Open(key.Path(), v).result);
            // Every box seen: the shell must not add one of its own to ours.
            std::vector<wintest::SeenBox> seen = boxes.Seen();
            if (v == EditorVariant::Brindle) {
                ASSERT_EQ(seen.size(), 1u);
                EXPECT_EQ(wintest::U(seen[0].caption), "错误");
                EXPECT_EQ(wintest::U(seen[0].text), c.brindleText);
            } else {
                EXPECT_TRUE(seen.empty());
            }
            if (c.failure == kCannotStart) {
                EXPECT_EQ(standin::Count(s.Events(), "START"), 0u);
            }
            if (c.failure == kNoTree) {
                // Shown and brought up before the tree was looked for.
                HWND editor = standin::FindEditor();
                ASSERT_NE(editor, nullptr);
                EXPECT_TRUE(IsZoomed(editor));
            }
            EXPECT_TRUE(s.Keys().empty());
        }
    }
}

// An editor that starts but never becomes ready (or never answers the wait) does not hold
// the caller for ever.
TEST(Navigator, WaitForAHungEditorIsBounded) {
    wintest::ScratchKey key("NavHung\\Target");
    ASSERT_TRUE(key.Ok());
    standin::ScopedEnv noWindow("QB_STANDIN_NO_WINDOW", "40000");
    standin::ScopedEnv busy("QB_STANDIN_BUSY", "1");
    standin::Session s("nav_hung");
    wintest::MessageBoxWatcher boxes;
    Call call = Open(key.Path(), EditorVariant::Brindle);
    EXPECT_FALSE(call.result);
    EXPECT_LT(call.endMs - call.startMs, 30000.0);
    std::vector<wintest::SeenBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(wintest::U(seen[0].text), "打开注册表编辑器失败！");
}
