// The shortcut line, the entry list and the load/write rules of the shortcut file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ShortcutEntryList.h"
#include "ShortcutLine.h"

namespace {

struct Entry {
    std::string text;
    int32_t id;
    bool operator==(const Entry& o) const { return text == o.text && id == o.id; }
};

std::vector<Entry> Entries(const CShortcutEntryList& list) {
    std::vector<Entry> out;
    list.ForEach([&](const ShortcutEntry& e) { out.push_back({e.text, e.id}); });
    return out;
}

std::string Printable(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == 3)
            out += "<03>";
        else if (c == '\r')
            out += "<CR>";
        else if (c == '\n')
            out += "<LF>";
        else if (c < 0x20 || c >= 0x80) {
            char buf[8];
            snprintf(buf, sizeof buf, "<%02X>", c);
            out += buf;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

void PrintTo(const Entry& e, std::ostream* os) { *os << "{" << Printable(e.text) << ", " << e.id << "}"; }

bool SyntaxCheck(const std::string& line) { return IsShortcutLineSyntaxValid(line); }

}  // namespace

TEST(ShortcutLine, SplitTakesTheFirstSeparatorAndNeedsBothParts) {
    struct Case {
        const char* line;
        bool ok;
        const char* location;
        const char* name;
    } cases[] = {
        {"HKCU\\Software\x03Soft", true, "HKCU\\Software", "Soft"},
        {"a\x03" "b\x03" "c", true, "a", "b\x03" "c"},  // later separators belong to the name
        {" loc \x03 name ", true, " loc ", " name "},       // blanks next to 0x03 stay
        {"\x03name", false, "", ""},
        {"loc\x03", false, "", ""},
        {"\x03", false, "", ""},
        {"no separator", false, "", ""},
        {"", false, "", ""},
        {"\x03\x03", false, "", ""},
        {"x\x03\x03", true, "x", "\x03"},
    };
    for (const Case& c : cases) {
        Shortcut s{"untouched", "untouched"};
        EXPECT_EQ(SplitShortcutLine(c.line, s), c.ok) << Printable(c.line);
        if (c.ok) {
            EXPECT_EQ(s.location, c.location) << Printable(c.line);
            EXPECT_EQ(s.name, c.name) << Printable(c.line);
        } else {
            EXPECT_EQ(s.location, "untouched") << Printable(c.line);
            EXPECT_EQ(s.name, "untouched") << Printable(c.line);
        }
    }
}

TEST(ShortcutLine, MakeIsTheInverseOfSplitAndStopsAtZeroBytes) {
    EXPECT_EQ(MakeShortcutLine("HKLM\\A", "n"), "HKLM\\A\x03n");
    EXPECT_EQ(MakeShortcutLine(std::string("HK\0CU", 5), std::string("na\0me", 5)), "HK\x03na");
    Shortcut s;
    ASSERT_TRUE(SplitShortcutLine(MakeShortcutLine("HKCU\\\xD6\xD0\\x", "\xC3\xFB\x03y"), s));
    EXPECT_EQ(s.location, "HKCU\\\xD6\xD0\\x");
    EXPECT_EQ(s.name, "\xC3\xFB\x03y");
}

TEST(ShortcutLine, SyntaxCheckWantsAKeyPathAtTheStartWithASubKey) {
    struct Case {
        const char* line;
        bool valid;
    } cases[] = {
        {"HKEY_CURRENT_USER\\Software\x03n", true},
        {"hklm\\software\x03n", true},
        {"HKCU\\No\\Such\\Key\\Anywhere\x03n", true},  // existence is not asked here
        {"[HKCU\\Software]\x03n", true},
        {"HKCU\\\xD6\xD0\xCE\xC4\x03n", true},
        {"HKCU\\\x03n", false},            // root alone
        {"HKCU\x03n", false},              // root without its backslash
        {"HKCU\\A\\\\B\x03n", false},      // doubled backslash
        {"label HKCU\\Software\x03n", false},
        {"C:\\Windows\x03n", false},
        {"HKCU\\Software", false},         // not a shortcut line
        {"HKCU\\Software\x03", false},
        {"[HKCU\\Software\x03n", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsShortcutLineSyntaxValid(c.line), c.valid) << Printable(c.line);
}

TEST(ShortcutLine, FilePathReplacesTheExtensionOfTheFileNameOnly) {
    struct Case {
        const char* module;
        const char* expected;  // null: no shortcut file
    } cases[] = {
        {"C:\\Tools\\Quillet.exe", "C:\\Tools\\Quillet.ini"},
        {"C:\\Tools\\Quillet.v4.exe", "C:\\Tools\\Quillet.v4.ini"},
        {"C:\\Tools\\Quillet.", "C:\\Tools\\Quillet.ini"},
        {"C:\\My.Tools\\Quillet", nullptr},  // a dot in a folder name is never used
        {"Quillet.exe", nullptr},             // no backslash
        {"\\\\server\\share\\q.exe", "\\\\server\\share\\q.ini"},
        // The trail byte of this double-byte character is 0x5C: the file name is all of
        // "b.<char>exe", not "exe".
        {"C:\\a\\b.\x95\x5C" "exe", "C:\\a\\b.ini"},
    };
    for (const Case& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(ShortcutFilePathFor(c.module, out), c.expected != nullptr) << Printable(c.module);
        EXPECT_EQ(out, c.expected ? c.expected : "untouched") << Printable(c.module);
    }
}

TEST(ShortcutEntryList, PositionsIdsAndTheTailStayConsistent) {
    CShortcutEntryList list;
    EXPECT_FALSE(list.Append("", 9));
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(list.Append("line" + std::to_string(i), 10 + i));
    EXPECT_EQ(list.Count(), 5);

    // Removing the last entry must move the tail back, or the next append is lost.
    ASSERT_TRUE(list.RemoveAt(4));
    ASSERT_TRUE(list.Append("after-last", 20));
    // Removing the first and a middle one.
    ASSERT_TRUE(list.RemoveAt(0));
    ASSERT_TRUE(list.RemoveAt(1));
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{"line1", 11}, {"line3", 13}, {"after-last", 20}}));

    for (int bad : {-1, 3, 1000}) {
        std::string text = "x";
        int32_t id = -7;
        EXPECT_FALSE(list.RemoveAt(bad)) << bad;
        EXPECT_FALSE(list.GetAt(bad, text, id)) << bad;
        EXPECT_FALSE(list.TextAt(bad, text)) << bad;
        EXPECT_FALSE(list.SetTextAt(bad, "y")) << bad;
        EXPECT_EQ(text, "x");
        EXPECT_EQ(id, -7);
    }
    EXPECT_EQ(list.Count(), 3);

    std::string text;
    int32_t id = 0;
    ASSERT_TRUE(list.GetAt(2, text, id));
    EXPECT_EQ(text, "after-last");
    EXPECT_EQ(id, 20);
    EXPECT_EQ(list.IndexOfId(13), 1);
    EXPECT_EQ(list.IndexOfId(10), -1);
    EXPECT_FALSE(list.SetTextAt(1, ""));
    ASSERT_TRUE(list.SetTextAt(1, "changed"));
    ASSERT_TRUE(list.TextAt(1, text));
    EXPECT_EQ(text, "changed");

    // Duplicate ids: the first one wins.
    ASSERT_TRUE(list.Append("dup", 11));
    EXPECT_EQ(list.IndexOfId(11), 0);

    // Removing everything one by one, then appending, must give a list of one.
    while (list.Count() > 0) ASSERT_TRUE(list.RemoveAt(list.Count() - 1));
    ASSERT_TRUE(list.Append("again", 1));
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{"again", 1}}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    ASSERT_TRUE(list.Append("fresh", 2));
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{"fresh", 2}}));
}

TEST(ShortcutLoad, LinesAreCutAtCrLfTrimmedAndCheckedInOrder) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<Entry> expected;
    } cases[] = {
        {"three lines get ids in file order",
         "HKCU\\A\x03" "a\r\nHKLM\\B\x03" "b\r\nHKCR\\C\x03" "c\r\n",
         {{"HKCU\\A\x03" "a", 0}, {"HKLM\\B\x03" "b", 1}, {"HKCR\\C\x03" "c", 2}}},
        {"the last line needs no CR LF", "HKCU\\A\x03" "a\r\nHKCU\\B\x03" "b",
         {{"HKCU\\A\x03" "a", 0}, {"HKCU\\B\x03" "b", 1}}},
        {"blanks at the ends go, blanks at the separator stay",
         " \t HKCU\\A \x03 a b \t\v\f\r\n",
         {{"HKCU\\A \x03 a b", 0}}},
        {"LF-only lines arrive as one shortcut with a long name",
         "HKCU\\A\x03" "a\nHKCU\\B\x03" "b\n",
         {{"HKCU\\A\x03" "a\nHKCU\\B\x03" "b", 0}}},
        {"a lone CR stays inside the line", "HKCU\\A\x03" "a\rb\r\n", {{"HKCU\\A\x03" "a\rb", 0}}},
        {"CR CR LF: the first CR is trimmed", "HKCU\\A\x03" "a\r\r\n", {{"HKCU\\A\x03" "a", 0}}},
        {"a second 0x03 stays in the name", "HKCU\\A\x03" "x\x03y\r\n", {{"HKCU\\A\x03" "x\x03y", 0}}},
        {"bad lines are dropped and take no id",
         "\r\n"
         "   \r\n"
         "HKCU\\A no separator\r\n"
         "\x03" "empty location\r\n"
         "HKCU\\A\x03\r\n"
         "HKCU\\Good\x03one\r\n"
         "C:\\file.txt\x03" "file\r\n"
         "HKCU\\\x03root only\r\n"
         "words HKCU\\A\x03" "leading text\r\n"
         "HKCU\\A\\\\B\x03" "double\r\n"
         "HKCU\\Good\x03two\r\n",
         {{"HKCU\\Good\x03one", 0}, {"HKCU\\Good\x03two", 1}}},
        {"a key that does not exist survives", "HKLM\\No\\Such\\Key\x03n\r\n", {{"HKLM\\No\\Such\\Key\x03n", 0}}},
        {"duplicates are kept in order", "HKCU\\A\x03n\r\nHKCU\\A\x03n\r\nHKCU\\B\x03n\r\n",
         {{"HKCU\\A\x03n", 0}, {"HKCU\\A\x03n", 1}, {"HKCU\\B\x03n", 2}}},
        {"double-byte names and keys", "HKCU\\\xD6\xD0\xCE\xC4\x03\xC3\xFB\x5C\r\n",
         {{"HKCU\\\xD6\xD0\xCE\xC4\x03\xC3\xFB\x5C", 0}}},
        {"only blank lines give an empty list", "\r\n\r\n  \r\n", {}},
    };
    for (const Case& c : cases) {
        CShortcutEntryList list;
        ASSERT_TRUE(list.Append("HKCU\\Old\x03old", 77));  // replaced by the load
        int32_t nextId = 5;
        EXPECT_TRUE(LoadShortcutLines(list, c.text, true, nextId, SyntaxCheck)) << c.what;
        EXPECT_EQ(Entries(list), c.expected) << c.what;
        EXPECT_EQ(nextId, static_cast<int32_t>(c.expected.size())) << c.what;
    }
}

TEST(ShortcutLoad, EmptyTextLeavesTheListAloneEvenInReplaceMode) {
    CShortcutEntryList list;
    ASSERT_TRUE(list.Append("HKCU\\A\x03" "a", 4));
    int32_t nextId = 5;
    EXPECT_FALSE(LoadShortcutLines(list, "", true, nextId, SyntaxCheck));
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{"HKCU\\A\x03" "a", 4}}));
    EXPECT_EQ(nextId, 5);
}

TEST(ShortcutLoad, AppendModeContinuesIdsAndReplaceRestartsThem) {
    CShortcutEntryList list;
    int32_t nextId = 0;
    ASSERT_TRUE(LoadShortcutLines(list, "HKCU\\A\x03" "a\r\nHKCU\\B\x03" "b\r\nHKCU\\C\x03" "c\r\n", true, nextId,
                                  SyntaxCheck));
    ASSERT_TRUE(LoadShortcutLines(list, "HKCU\\D\x03" "d\r\n", false, nextId, SyntaxCheck));
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{"HKCU\\A\x03" "a", 0},
                                                 {"HKCU\\B\x03" "b", 1},
                                                 {"HKCU\\C\x03" "c", 2},
                                                 {"HKCU\\D\x03" "d", 3}}));
    ASSERT_TRUE(LoadShortcutLines(list, "HKCU\\E\x03" "e\r\nHKCU\\F\x03" "f", true, nextId, SyntaxCheck));
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{"HKCU\\E\x03" "e", 0}, {"HKCU\\F\x03" "f", 1}}));
    EXPECT_EQ(nextId, 2);
}

TEST(ShortcutSerialize, WritesEveryLineWithCrLfAndRoundTrips) {
    CShortcutEntryList list;
    std::string out = "stale";
    EXPECT_FALSE(SerializeShortcutLines(list, out));
    EXPECT_EQ(out, "");

    const std::string file = "HKCU\\A\x03" "x\x03y\r\n"
                             "HKLM\\B \x03 spaced\r\n"
                             "HKCU\\\xD6\xD0\x03\xC3\xFB\r\n";
    int32_t nextId = 0;
    ASSERT_TRUE(LoadShortcutLines(list, "  " + file + "\r\n\r\n", true, nextId, SyntaxCheck));
    ASSERT_TRUE(SerializeShortcutLines(list, out));
    EXPECT_EQ(out, file);
    EXPECT_EQ(list.Count(), 3);  // writing does not empty the list by itself
}
