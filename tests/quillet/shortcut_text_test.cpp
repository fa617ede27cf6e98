// The shortcut line, the entry list and the load rules of the shortcut file. (Ids restarting
// with a replacement: the store's test; the lines written back: the strip's file at close; a
// line made from its parts: the fuzzer's round trip and the manager's import; loading to
// append: no caller.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ShortcutEntryList.h"
#include "ShortcutLine.h"

namespace {

using Entries = std::vector<std::pair<std::string, int32_t>>;

Entries Of(const CShortcutEntryList& list) {
    Entries out;
    list.ForEach([&](const ShortcutEntry& e) { out.emplace_back(e.text, e.id); });
    return out;
}

std::string P(const std::string& s) { return ::testing::PrintToString(s); }

}  // namespace

TEST(ShortcutLine, SplitTakesTheFirstSeparatorAndNeedsBothParts) {
    struct Case {
        const char *line, *location, *name;  // location null: refused, `out` untouched
    } cases[] = {
        {"HKCU\\Software\x03Soft", "HKCU\\Software", "Soft"},
        {"a\003b\003c", "a", "b\003c"},  // later separators belong to the name
        {" loc \x03 name ", " loc ", " name "},
        {"\x03name", nullptr, nullptr},
        {"loc\x03", nullptr, nullptr},
        {"no separator", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        Shortcut s{"untouched", "untouched"};
        EXPECT_EQ(SplitShortcutLine(c.line, s), c.location != nullptr) << P(c.line);
        EXPECT_EQ(s.location, c.location ? c.location : "untouched") << P(c.line);
        EXPECT_EQ(s.name, c.name ? c.name : "untouched") << P(c.line);
    }
}

TEST(ShortcutLine, FilePathReplacesTheExtensionOfTheFileNameOnly) {
    struct Case {
        const char* module;
        const char* expected;  // null: no shortcut file
    } cases[] = {
        {"C:\\Tools\\Quillet.v4.exe", "C:\\Tools\\Quillet.v4.ini"},
        {"C:\\My.Tools\\Quillet", nullptr},  // a dot in a folder name is never used
        {"Quillet.exe", nullptr},
        // The trail byte of this double-byte character is 0x5C, not a backslash.
        {"C:\\a\\b.\x95\134exe", "C:\\a\\b.ini"},
    };
    for (const Case& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(ShortcutFilePathFor(c.module, out), c.expected != nullptr) << P(c.module);
        EXPECT_EQ(out, c.expected ? c.expected : "untouched") << P(c.module);
    }
}

// (Empty texts, duplicate ids and positions out of range: no caller hands them over.)
TEST(ShortcutEntryList, PositionsIdsAndTheTailStayConsistent) {
    CShortcutEntryList list;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(list.Append("line" + std::to_string(i), 10 + i));
    // Removing the last entry must move the tail back, or the next append is lost.
    ASSERT_TRUE(list.RemoveAt(3) && list.Append("after-last", 20) && list.RemoveAt(0) && list.RemoveAt(1));
    ASSERT_TRUE(list.SetTextAt(1, "changed"));
    EXPECT_EQ(Of(list), (Entries{{"line1", 11}, {"changed", 20}}));
    EXPECT_EQ(list.IndexOfId(20), 1);
    EXPECT_EQ(list.IndexOfId(10), -1);
    // Emptied one by one, the list must still take appends.
    while (list.Count() > 0) ASSERT_TRUE(list.RemoveAt(list.Count() - 1));
    ASSERT_TRUE(list.Append("again", 1));
    EXPECT_EQ(Of(list), (Entries{{"again", 1}}));
}

TEST(ShortcutLoad, LinesAreCutAtCrLfTrimmedAndCheckedInOrder) {
    struct Case {
        const char* what;
        std::string text;
        Entries expected;
    } cases[] = {
        {"ids in file order, the last line needs no CR LF",
         "HKCU\\A\003a\r\nHKLM\\B\003b\r\nHKCR\\C\003c",
         {{"HKCU\\A\003a", 0}, {"HKLM\\B\003b", 1}, {"HKCR\\C\003c", 2}}},
        {"blanks at the ends go, blanks at the separator stay",
         " \t HKCU\\A \x03 a b \t\v\f\r\n",
         {{"HKCU\\A \x03 a b", 0}}},
        {"a lone CR or LF stays inside the line: LF-only lines arrive as one shortcut",
         "HKCU\\A\003a\rb\nHKCU\\B\003b\n",
         {{"HKCU\\A\003a\rb\nHKCU\\B\003b", 0}}},
        {"bad lines are dropped and take no id",
         "\r\n   \r\nHKCU\\A no separator\r\n\003empty location\r\nHKCU\\A\x03\r\nHKCU\\Good\x03one\r\n"
         "C:\\file.txt\003file\r\nHKCU\\\x03root only\r\nwords HKCU\\A\003w\r\nHKCU\\Good\x03two\r\n",
         {{"HKCU\\Good\x03one", 0}, {"HKCU\\Good\x03two", 1}}},
        {"a key path by syntax: it need not exist, brackets allowed",
         "HKLM\\No\\Such\x03n\r\n[hkcu\\A]\x03n",
         {{"HKLM\\No\\Such\x03n", 0}, {"[hkcu\\A]\x03n", 1}}},
        {"only blank lines give an empty list", "\r\n\r\n  \r\n", {}},
    };
    for (const Case& c : cases) {
        CShortcutEntryList list;
        ASSERT_TRUE(list.Append("HKCU\\Old\x03old", 77));  // replaced by the load
        int32_t nextId = 5;
        EXPECT_TRUE(LoadShortcutLines(list, c.text, true, nextId, IsShortcutLineSyntaxValid)) << c.what;
        EXPECT_EQ(Of(list), c.expected) << c.what;
        EXPECT_EQ(nextId, static_cast<int32_t>(c.expected.size())) << c.what;
    }
}
