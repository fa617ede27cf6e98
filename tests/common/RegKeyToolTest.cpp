// Key paths against Wine's live registry, with keys the tests create and remove, and the
// navigator's keystrokes recorded from an editor-shaped window inside this process.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegKeyTool.h"
#include "WinTest.h"

const EditorVariant g_editorVariant = EditorVariant::Quillet;

namespace {

using wintest::A;
using wintest::ScratchKey;

const char kBase[] = "HKEY_CURRENT_USER\\Software\\QbTests\\";

// "HKCU\Software\QbTests\<rel>" in the short form and another letter case.
std::string Short(const std::string& rel) { return "hkcu\\Software\\QbTests\\" + rel; }

TEST(RegKeyTool, ExistenceAgainstTheRegistry) {
    ScratchKey key("Exist\\Sub");
    ScratchKey dbcs(A("Exist\\表") + "\x95\x5C");
    ASSERT_TRUE(key.Ok());
    ASSERT_TRUE(dbcs.Ok());
    CRegKeyTool tool;
    struct Case {
        std::string text;
        bool syntax;  // mustExist false
        bool exists;  // mustExist true
    } cases[] = {
        {key.Path(), true, true},
        {Short("Exist\\Sub"), true, true},
        {"[" + key.Path() + "]", true, true},
        {"   " + key.Path(), true, true},
        {Short("Exist\\Missing"), true, false},
        {Short("Exist\\Sub "), true, false},        // trailing blanks stay in the name
        {Short(A("Exist\\表") + "\x95\x5C"), true, true},
        {"Key: " + key.Path(), false, false},       // leading text is not allowed here
        {"HKCU\\", false, false},                    // a root alone
        {"HKCU", false, false},
        {Short("Exist\\\\Sub"), false, false},
        {"HKEY_PERFORMANCE_DATA\\x", false, false},
        {"HKCR\\*", true, true},
        {"HKLM\\Software", true, true},
        {"HKU\\.Default", true, true},
        {"", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(wintest::U(c.text));
        EXPECT_EQ(tool.IsValidKeyPath(c.text.c_str(), false), c.syntax);
        EXPECT_EQ(tool.IsValidKeyPath(c.text.c_str(), true), c.exists);
    }
    EXPECT_FALSE(tool.IsValidKeyPath(nullptr, false));
}

TEST(RegKeyTool, ParseFillsOnlyWhatIsAsked) {
    CRegKeyTool tool;
    const struct {
        const char* text;
        HKEY root;
    } roots[] = {{"HKLM\\x", HKEY_LOCAL_MACHINE}, {"hkcu\\x", HKEY_CURRENT_USER},
                 {"HKCC\\x", HKEY_CURRENT_CONFIG}, {"HKEY_CLASSES_ROOT\\x", HKEY_CLASSES_ROOT},
                 {"HKU\\x", HKEY_USERS}};
    for (const auto& r : roots) {
        KeyPathParts parts;
        parts.nWant = KP_ROOT;
        ASSERT_TRUE(tool.ParseKeyPath(r.text, false, parts)) << r.text;
        EXPECT_EQ(parts.hRoot, r.root) << r.text;
    }

    KeyPathParts parts;
    parts.nWant = KP_ROOTNAME | KP_SUBKEY;
    parts.strPath = "stale";
    ASSERT_TRUE(tool.ParseKeyPath("[ hkcu\\Software\\x]", false, parts));
    EXPECT_EQ(parts.hRoot, nullptr);
    EXPECT_EQ(parts.strRootName, "HKEY_CURRENT_USER\\");
    EXPECT_EQ(parts.strSubKey, "Software\\x");
    EXPECT_EQ(parts.strPath, "");

    parts.nWant = KP_SUBKEY | KP_PATH;
    ASSERT_TRUE(tool.ParseKeyPath("label HKCU\\a", true, parts));
    EXPECT_EQ(parts.strRootName, "");
    EXPECT_EQ(parts.strPath, "HKCU\\a");

    // A failed parse leaves the record as it was.
    parts.nWant = KP_ROOT | KP_ROOTNAME | KP_SUBKEY | KP_PATH;
    EXPECT_FALSE(tool.ParseKeyPath("label HKCU\\a", false, parts));
    EXPECT_EQ(parts.strPath, "HKCU\\a");
    EXPECT_EQ(parts.strSubKey, "a");
}

TEST(RegKeyTool, FullKeyPathBothVariants) {
    ScratchKey key("Full\\Mixed");
    ASSERT_TRUE(key.Ok());
    struct Case {
        std::string text;
        bool toolbarOk;
        std::string toolbarOut;  // "" = left unchanged
        bool viewerOk;
        std::string viewerOut;
    } cases[] = {
        {"hkcu\\Software", true, "HKEY_CURRENT_USER\\Software", true, "HKEY_CURRENT_USER\\SOFTWARE"},
        {Short("Full\\Mixed"), true, std::string(kBase) + "Full\\Mixed", true,
         "HKEY_CURRENT_USER\\SOFTWARE\\QBTESTS\\FULL\\MIXED"},
        // Missing key: the toolbar's long form is written anyway, the viewer's is not.
        {Short("Full\\Gone"), false, std::string(kBase) + "Full\\Gone", false, ""},
        {"  " + key.Path(), true, key.Path(), false, ""},
        {"[" + key.Path() + "]", true, key.Path(), true, "HKEY_CURRENT_USER\\SOFTWARE\\QBTESTS\\FULL\\MIXED"},
        {"x " + key.Path(), false, "", false, ""},
        {"HKCU\\", false, "", false, ""},
        {"HKCU\\\\Software", false, "", false, ""},
        {"", false, "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string out = "unchanged";
        EXPECT_EQ(CRegKeyTool::GetFullKeyPathQuillet(c.text.c_str(), out), c.toolbarOk);
        EXPECT_EQ(out, c.toolbarOut.empty() ? "unchanged" : c.toolbarOut);
        out = "unchanged";
        EXPECT_EQ(CRegKeyTool::GetFullKeyPathBrindle(c.text.c_str(), out), c.viewerOk);
        EXPECT_EQ(out, c.viewerOut.empty() ? "unchanged" : c.viewerOut);
    }
    std::string out = "unchanged";
    EXPECT_FALSE(CRegKeyTool::GetFullKeyPathQuillet(nullptr, out));
    EXPECT_FALSE(CRegKeyTool::GetFullKeyPathBrindle(nullptr, out));
    // The member follows the program's variant.
    EXPECT_TRUE(CRegKeyTool().GetFullKeyPath("hkcu\\Software", out));
    EXPECT_EQ(out, "HKEY_CURRENT_USER\\Software");
}

TEST(RegKeyTool, ShortcutFromText) {
    CRegKeyTool tool;
    Shortcut s;
    EXPECT_TRUE(tool.KeyPathToShortcut(A("复制：HKLM\\SOFTWARE\\表").c_str(), s));
    EXPECT_EQ(s.location, A("HKLM\\SOFTWARE\\表"));
    EXPECT_EQ(s.name, A("表"));
    // No registry access: a key that does not exist still gives a shortcut.
    EXPECT_TRUE(tool.KeyPathToShortcut("HKCU\\No\\Such\\Key", s));
    EXPECT_EQ(s.name, "Key");
    s = Shortcut{"name", "loc"};
    EXPECT_FALSE(tool.KeyPathToShortcut(nullptr, s));
    EXPECT_FALSE(tool.KeyPathToShortcut("HKCU\\", s));
    EXPECT_EQ(s.name, "name");
    EXPECT_EQ(s.location, "loc");
}

// --- The keystrokes, recorded from an editor-shaped window of this process -----------------

struct Keystroke {
    UINT msg;
    WPARAM code;
    DWORD at;  // GetTickCount when it arrived
};
std::vector<Keystroke> g_keys;

// An ANSI window that records what it is sent, so that a double-byte character arrives as
// the two bytes the navigator sends (a Unicode tree would see them joined into one).
LRESULT CALLBACK RecordingTree(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN || msg == WM_CHAR) {
        g_keys.push_back({msg, wp, GetTickCount()});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// A minimised top-level window of the editor's class with a child of the tree's class
// (registered locally, so it is found ahead of the common controls' class).
class FakeEditor {
public:
    FakeEditor() {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.lpszClassName = "RegEdit_RegEdit";
        RegisterClassA(&wc);
        wc.lpfnWndProc = RecordingTree;
        wc.lpszClassName = "SysTreeView32";
        RegisterClassA(&wc);
        m_main = CreateWindowA("RegEdit_RegEdit", "fake", WS_OVERLAPPEDWINDOW | WS_MINIMIZE, 0, 0, 300, 200,
                               nullptr, nullptr, instance, nullptr);
        CreateWindowA("SysTreeView32", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, m_main, nullptr, instance, nullptr);
        g_keys.clear();
    }
    ~FakeEditor() { DestroyWindow(m_main); }
    HWND Main() const { return m_main; }

private:
    HWND m_main = nullptr;
};

// The keystrokes as text: L=VK_LEFT, H=VK_HOME, R=VK_RIGHT, characters as themselves.
std::string Render(const std::vector<Keystroke>& keys) {
    std::string s;
    for (const Keystroke& k : keys) {
        if (k.msg == WM_CHAR) {
            s += static_cast<char>(k.code);
        } else {
            s += k.code == VK_LEFT ? 'L' : k.code == VK_HOME ? 'H' : k.code == VK_RIGHT ? 'R' : '?';
        }
    }
    return s;
}

TEST(Navigator, TypesTheLongFormKeyByKey) {
    ScratchKey key(A("Nav\\ab表") + "\x95\x5C" + "c");
    ASSERT_TRUE(key.Ok());
    for (EditorVariant variant : {EditorVariant::Quillet, EditorVariant::Brindle}) {
        SCOPED_TRACE(variant == EditorVariant::Quillet ? "toolbar" : "viewer");
        FakeEditor editor;
        ASSERT_TRUE(editor.Main());
        DWORD start = GetTickCount();
        ASSERT_TRUE(CRegKeyTool::OpenInRegEdit(Short(A("nav\\ab表") + "\x95\x5C" + "c\\").c_str(), variant));
        DWORD took = GetTickCount() - start;

        // Upper case, the double-byte characters whole (0x5C as a second byte is no separator),
        // and the final backslash opening the target key.
        std::string expected = std::string(50, 'L') + "HR" + "HKEY_CURRENT_USER" + "R" + "SOFTWARE" + "R" +
                               "QBTESTS" + "R" + "NAV" + "R" + "AB" + A("表") + "\x95\x5C" + "C" + "R";
        EXPECT_EQ(Render(g_keys), expected);
        // 300 ms after the focus calls, 200 ms after the top item and after each backslash.
        EXPECT_GE(took, 300u + 200u + 5 * 200u - 50u);
        EXPECT_LT(took, 3000u);
        ASSERT_GE(g_keys.size(), 53u);
        EXPECT_GE(g_keys[52].at - g_keys[51].at, 190u);  // pause after VK_HOME, VK_RIGHT
        EXPECT_LE(g_keys[51].at - g_keys[0].at, 50u);    // the folding is not paced
        EXPECT_TRUE(IsZoomed(editor.Main()));            // a minimised editor comes back maximised
    }
}

}  // namespace
