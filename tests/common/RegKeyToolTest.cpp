// Key paths against Wine's live registry, with keys the tests create and remove. The grammar
// itself is tested natively (KeyPathTextTest); here only what the registry adds.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "RegKeyTool.h"
#include "WinTest.h"

const EditorVariant g_editorVariant = EditorVariant::Quillet;

namespace {

using wintest::A;
using wintest::ScratchKey;

// "HKCU\Software\QbTests\<rel>" in the short form and another letter case.
std::string Short(const std::string& rel) { return "hkcu\\Software\\QbTests\\" + rel; }

TEST(RegKeyTool, ExistenceAgainstTheRegistry) {
    ScratchKey key("Exist\\Sub");
    ScratchKey dbcs(A("Exist\\表") + "\x95\x5C");
    ASSERT_TRUE(key.Ok() && dbcs.Ok());
    CRegKeyTool tool;
    struct Case { std::string text; bool syntax, exists; } cases[] = {  // mustExist false, true
        {Short("Exist\\Sub"), true, true},
        {"[" + key.Path() + "]", true, true},
        {Short("Exist\\Missing"), true, false},
        {Short("Exist\\Sub "), true, false},  // trailing blanks stay in the name
        {Short(A("Exist\\表") + "\x95\x5C"), true, true},
        {"Key: " + key.Path(), false, false},  // leading text is not allowed here
        {"HKCU\\", false, false},              // a root alone
        {"HKCR\\*", true, true},
        {"HKU\\.Default", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(wintest::U(c.text));
        EXPECT_EQ(tool.IsValidKeyPath(c.text.c_str(), false), c.syntax);
        EXPECT_EQ(tool.IsValidKeyPath(c.text.c_str(), true), c.exists);
    }
    EXPECT_FALSE(tool.IsValidKeyPath(nullptr, false));
}

TEST(RegKeyTool, RootNamesGiveTheirPredefinedHandles) {
    const struct { const char* text; HKEY root; } roots[] = {
        {"HKLM\\x", HKEY_LOCAL_MACHINE}, {"hkcu\\x", HKEY_CURRENT_USER}, {"HKCC\\x", HKEY_CURRENT_CONFIG},
        {"HKEY_CLASSES_ROOT\\x", HKEY_CLASSES_ROOT}, {"HKU\\x", HKEY_USERS}};
    for (const auto& r : roots) {
        KeyPathParts parts;
        parts.nWant = KP_ROOT;
        EXPECT_TRUE(CRegKeyTool().ParseKeyPath(r.text, false, parts)) << r.text;
        EXPECT_EQ(parts.hRoot, r.root) << r.text;
    }
}

TEST(RegKeyTool, FullKeyPathBothVariants) {
    ScratchKey key("Full\\Mixed");
    ASSERT_TRUE(key.Ok());
    const std::string upper = "HKEY_CURRENT_USER\\SOFTWARE\\QBTESTS\\FULL\\MIXED";
    struct Case {  // an empty out: left unchanged
        std::string text;
        bool toolbarOk;
        std::string toolbarOut;
        bool viewerOk;
        std::string viewerOut;
    } cases[] = {
        {Short("Full\\Mixed"), true, key.Path(), true, upper},
        // Missing key: the toolbar's long form is written anyway, the viewer's is not.
        {Short("Full\\Gone"), false, "HKEY_CURRENT_USER\\Software\\QbTests\\Full\\Gone", false, ""},
        {"  " + key.Path(), true, key.Path(), false, ""},
        {"[" + key.Path() + "]", true, key.Path(), true, upper},
        {"x " + key.Path(), false, "", false, ""},
        {"HKCU\\", false, "", false, ""},
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
}

}  // namespace
