// Key paths against Wine's live registry, with keys the tests create and remove. The grammar
// itself (brackets, blanks, labels) is tested natively (key_path_text_test); here only what the
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

// Key path or not, and existence, wherever the root name may stand: what decides whether the
// text goes on to the navigator (the long form it hands over: the navigator's tests, which
// type it).
TEST(RegKeyTool, KeyPathAndExistenceAgainstTheRegistry) {
    wintest::ScratchKey key("Exist\\Sub"), dbcs(A("Exist\\表") + "\x95\x5C");
    ASSERT_TRUE(key.Ok() && dbcs.Ok());
    struct Case {
        std::string text;
        bool keyPath, exists;
    } cases[] = {
        {Short("Exist\\Sub"), true, true},
        {Short("Exist\\Sub "), true, false},  // missing: trailing blanks stay in the name
        {Short(A("Exist\\表") + "\x95\x5C"), true, true},
        {"HKCU\\", false, false},  // a root alone
        {"HKCR\\*", true, true},
        {"HKU\\.Default", true, true},
        {"HKLM\\System", true, true},  // under no other root
        {"HKCC\\Software\\Fonts", true, true},
    };
    const CRegKeyTool tool, atStart(RootNamePlace::AtStart);
    for (const Case& c : cases) {
        SCOPED_TRACE(wintest::U(c.text));
        EXPECT_EQ(tool.IsValidKeyPath(c.text.c_str(), false), c.keyPath);
        EXPECT_EQ(tool.IsValidKeyPath(c.text.c_str(), true), c.exists);
        std::string out;
        EXPECT_EQ(tool.GetFullKeyPath(c.text.c_str(), out), c.exists);
        EXPECT_EQ(atStart.GetFullKeyPath(c.text.c_str(), out), c.exists);
    }
}

}  // namespace
