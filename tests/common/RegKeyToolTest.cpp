// Key paths against Wine's live registry, with keys the tests create and remove. The grammar
// itself (brackets, blanks, labels) is tested natively (KeyPathTextTest); here only what the
// registry adds.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "RegKeyTool.h"
#include "WinTest.h"

namespace {

using wintest::A;

// "HKCU\Software\QbTests\<rel>" in the short form and another letter case.
std::string Short(const std::string& rel) { return "hkcu\\Software\\QbTests\\" + rel; }

// Existence, and the long form each program hands to the navigator: the toolbar's is written
// whenever the text is a key path (also for a missing key), the viewer's only for an existing key.
TEST(RegKeyTool, ExistenceAndLongFormAgainstTheRegistry) {
    wintest::ScratchKey key("Exist\\Sub"), dbcs(A("Exist\\表") + "\x95\x5C");
    ASSERT_TRUE(key.Ok() && dbcs.Ok());
    const std::string upper = "HKEY_CURRENT_USER\\SOFTWARE\\QBTESTS\\EXIST\\";
    struct Case { std::string text; bool exists; std::string toolbar, viewer; } cases[] = {  // "": none
        {Short("Exist\\Sub"), true, key.Path(), upper + "SUB"},
        {Short("Exist\\Missing"), false, "HKEY_CURRENT_USER\\Software\\QbTests\\Exist\\Missing", ""},
        {Short("Exist\\Sub "), false, key.Path() + " ", ""},  // trailing blanks stay in the name
        {Short(A("Exist\\表") + "\x95\x5C"), true, dbcs.Path(), upper + A("表") + "\x95\x5C"},
        {"HKCU\\", false, "", ""},              // a root alone
        {"HKCR\\*", true, "HKEY_CLASSES_ROOT\\*", "HKEY_CLASSES_ROOT\\*"},
        {"HKU\\.Default", true, "HKEY_USERS\\.Default", "HKEY_USERS\\.DEFAULT"},
        {"HKLM\\System", true, "HKEY_LOCAL_MACHINE\\System", "HKEY_LOCAL_MACHINE\\SYSTEM"},  // under no other root
        {"HKCC\\Software\\Fonts", true, "HKEY_CURRENT_CONFIG\\Software\\Fonts", "HKEY_CURRENT_CONFIG\\SOFTWARE\\FONTS"},
    };
    CRegKeyTool tool;
    for (const Case& c : cases) {
        SCOPED_TRACE(wintest::U(c.text));
        EXPECT_EQ(tool.IsValidKeyPath(c.text.c_str(), false), !c.toolbar.empty());
        EXPECT_EQ(tool.IsValidKeyPath(c.text.c_str(), true), c.exists);
        std::string out = "unchanged";
        EXPECT_EQ(CRegKeyTool::GetFullKeyPathQuillet(c.text.c_str(), out), c.exists);
        EXPECT_EQ(out, c.toolbar.empty() ? "unchanged" : c.toolbar);
        out = "unchanged";
        EXPECT_EQ(CRegKeyTool::GetFullKeyPathBrindle(c.text.c_str(), out), !c.viewer.empty());
        EXPECT_EQ(out, c.viewer.empty() ? "unchanged" : c.viewer);
    }
    std::string out;
    EXPECT_FALSE(tool.IsValidKeyPath(nullptr, false));
    EXPECT_FALSE(CRegKeyTool::GetFullKeyPathQuillet(nullptr, out));
    EXPECT_FALSE(CRegKeyTool::GetFullKeyPathBrindle(nullptr, out));
}

}  // namespace
