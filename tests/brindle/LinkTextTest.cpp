// The viewer's text rules: line kinds, cutting long lines, the file-name test and the
// command-line argument. Tables of cases; double-byte text is written as GBK bytes.
#include <gtest/gtest.h>

#include <string>

#include "LinkDoc.h"
#include "LinkText.h"

namespace {

// GBK characters whose second byte looks like ASCII: 0x5C backslash, 0x3A colon, 0x22 quote
// is below the trail range, so that one is a lead byte followed by a quote.
const std::string kBackslashTrail = "\x95\x5C";  // a CJK character ending in 0x5C
const std::string kColonTrail = "\x81\x3A";       // lead byte + 0x3A
const std::string kQuoteTrail = "\x81\x22";       // lead byte + 0x22
const std::string kWideSpace = "\xA1\xA1";        // full-width space

struct KindCase {
    std::string line;
    int32_t kind;
};

TEST(Classify, Table) {
    const KindCase cases[] = {
        {"[HKEY_CURRENT_USER\\Software\\Demo]", LINE_KEY},
        {"[HKEY_CURRENT_USER\\Software\\Demo] ", LINE_TEXT},
        {"[-HKEY_CURRENT_USER\\Software\\Demo]", LINE_TEXT},
        {"hkcu\\software", LINE_KEY},
        {"HKCU\\", LINE_KEY},
        {"HKCU", LINE_TEXT},
        {"[HKCU]", LINE_TEXT},
        {"[HKCU\\]", LINE_KEY},
        {"\t\tHKLM\\Software", LINE_KEY},
        {" \r\n\v\fHKU\\x", LINE_KEY},
        {kWideSpace + "HKLM\\Software", LINE_TEXT},
        {"HKLM:\\Software", LINE_TEXT},
        {"C:\\Windows\\notepad.exe", LINE_FILE},
        {"c:\\temp", LINE_FILE},
        {"C:\\a", LINE_FILE},
        {"C:\\", LINE_TEXT},
        {"C:/temp", LINE_TEXT},
        {"C:\\a*b", LINE_TEXT},
        {"C:\\a/b", LINE_TEXT}, {"C:\\a?b", LINE_TEXT}, {"C:\\a<b", LINE_TEXT},
        {"C:\\a>b", LINE_TEXT}, {"C:\\a\"b", LINE_TEXT}, {"C:\\a|b", LINE_TEXT},
        {"C:\\a\tb", LINE_TEXT},
        {"C:\\a:b", LINE_FILE},  // a further colon is accepted
        {"1:\\a", LINE_TEXT},
        {"\\\\server\\share", LINE_TEXT},
        {"HKLM\\Software\\\\Demo", LINE_TEXT},
        {"C:\\dir\\\\file", LINE_TEXT},
        {"\"Name\"=\"Value\"", LINE_TEXT},
        {"HKLM\\Soft\"ware", LINE_TEXT},
        {"HKLM\\Soft:ware", LINE_TEXT},
        {"Windows Registry Editor Version 5.00", LINE_TEXT},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE", LINE_KEY},
        {"hkey_classes_root\\.txt", LINE_KEY},
        {"HKEY_CURRENT_CONFIG\\System", LINE_KEY},
        {"HKEY_USERS\\.DEFAULT", LINE_KEY},
        {"HKEY_PERFORMANCE_DATA\\x", LINE_TEXT},
        {"HKCUX\\Software", LINE_TEXT},
        {"[HKLM\\a", LINE_TEXT},
        {"HKLM\\a]", LINE_KEY},  // only a line starting with '[' needs the closing one
        {"  \"@\"=hex:00", LINE_TEXT},
        {"", LINE_TEXT},
        {"   ", LINE_TEXT},
        {"HKCU\\Software  ", LINE_KEY},  // trailing blanks are kept, not judged
    };
    for (const KindCase& c : cases) EXPECT_EQ(CLinkDoc::Classify(c.line), c.kind) << "line: " << c.line;
}

// Searches step over double-byte characters: a trail byte equal to a backslash, colon or
// quote is not one. Fixed-position tests (drive letter, brackets) look at raw bytes.
TEST(Classify, DoubleByteTrailBytes) {
    const KindCase cases[] = {
        // 0x5C trail followed by a real backslash: not two backslashes in a row.
        {"HKCU\\Software\\" + kBackslashTrail + "\\Demo", LINE_KEY},
        {"C:\\" + kBackslashTrail + "\\file.txt", LINE_FILE},
        // A real double backslash after a double-byte character still counts.
        {"HKCU\\" + kBackslashTrail + "\\\\x", LINE_TEXT},
        // 0x3A and 0x22 trail bytes are no colon or quote.
        {"HKCU\\Software\\" + kColonTrail, LINE_KEY},
        {"HKCU\\Software\\" + kQuoteTrail, LINE_KEY},
        {"C:\\dir\\" + kQuoteTrail + ".txt", LINE_FILE},
        {"[HKCU\\Software\\" + kColonTrail + "]", LINE_KEY},
        // A trail byte 0x5D (']') closes a section header: the last byte is tested raw.
        {"[HKCU\\Software\\\x81\x5D", LINE_KEY},
        // A lead byte as the last byte stands alone.
        {"HKCU\\Software\\\x81", LINE_KEY},
        // Lower-case letters as trail bytes are left alone by upper-casing; the root must
        // still be ASCII.
        {"HKCU\\\x81" "a", LINE_KEY},
        {"\x81HKCU\\x", LINE_TEXT},
    };
    for (const KindCase& c : cases) EXPECT_EQ(CLinkDoc::Classify(c.line), c.kind) << "line: " << c.line;
}

// Long lines are walked 16 bytes at a time: what decides the kind must count wherever it
// stands, also across the steps.
TEST(Classify, EveryPositionInALongLine) {
    const std::string key = "HKLM\\" + std::string(60, 'k');
    const std::string file = "C:\\" + std::string(60, 'f');
    for (size_t at = 6; at + 2 < key.size(); ++at) {
        auto with = [&](const std::string& base, const std::string& what) {
            std::string line = base;
            line.replace(at, what.size(), what);
            return line;
        };
        EXPECT_EQ(ClassifyLine(with(key, "\\\\")), LINE_TEXT) << at;
        EXPECT_EQ(ClassifyLine(with(key, ":")), LINE_TEXT) << at;
        EXPECT_EQ(ClassifyLine(with(key, "\"")), LINE_TEXT) << at;
        EXPECT_EQ(ClassifyLine(with(key, "*")), LINE_KEY) << at;
        EXPECT_EQ(ClassifyLine(with(key, "\\k\\")), LINE_KEY) << at;
        EXPECT_EQ(ClassifyLine(with(key, "\x95\\\\\\")), LINE_TEXT) << at;  // trail 0x5C, then two real ones
        EXPECT_EQ(ClassifyLine(with(key, "\x95\\\\k")), LINE_KEY) << at;    // trail 0x5C, then one real one
        EXPECT_EQ(ClassifyLine(with(key, "\x81:")), LINE_KEY) << at;         // trail 0x3A
        EXPECT_EQ(ClassifyLine(with(file, "*")), LINE_TEXT) << at;
        EXPECT_EQ(ClassifyLine(with(file, "|")), LINE_TEXT) << at;
        EXPECT_EQ(ClassifyLine(with(file, "\t")), LINE_TEXT) << at;
        EXPECT_EQ(ClassifyLine(with(file, ":")), LINE_FILE) << at;
        EXPECT_EQ(ClassifyLine(with(file, "\\\\")), LINE_TEXT) << at;
        EXPECT_EQ(ClassifyLine(with(file, "\x81\"")), LINE_FILE) << at;     // lead byte + 0x22
    }
}

struct CutCase {
    std::string text;
    int32_t n;
    int32_t cut;
};

TEST(SafeCutLength, Table) {
    const std::string wide = "\xC4\xE3";  // one double-byte character
    const CutCase cases[] = {
        {"", 5, -1},
        {"abc", 5, 3},
        {"abcde", 5, 5},
        {"abcdef", 5, 5},
        {"ab" + wide + "cd", 3, 2},          // byte 2 starts a character that byte 3 ends
        {"ab" + wide + "cd", 4, 4},
        {wide + wide + wide, 3, 2},
        {"a" + wide + "\x81\x5C" "xyz", 4, 3},  // trail byte 0x5C does not restart the walk
        {"a\x81", 1, 1},
    };
    for (const CutCase& c : cases) EXPECT_EQ(SafeCutLength(c.text, c.n), c.cut) << "text: " << c.text << " n " << c.n;
    EXPECT_EQ(SafeCutLength(static_cast<const char*>(nullptr), 5), -1);
}

// The painting cut of a line just over 64512 bytes: 64512 + 1, or 64511 + 2 when the
// byte at 64511 is the second half of a character whose lead byte is at 64510.
TEST(SafeCutLength, LongLineAtTheDrawingLimit) {
    std::string ascii(64513, 'x');
    EXPECT_EQ(SafeCutLength(ascii, 64512), 64512);
    std::string split(64510, 'x');
    split += "\xC4\xE3x";
    EXPECT_EQ(SafeCutLength(split, 64512), 64512);  // the character fits: 64510..64511
    std::string straddle(64511, 'x');
    straddle += "\xC4\xE3";
    EXPECT_EQ(SafeCutLength(straddle, 64512), 64511);
}

TEST(HasExtension, Table) {
    struct Case {
        const char* path;
        const char* ext;
        bool yes;
    } cases[] = {
        {"C:\\a\\b.reg", ".REG", true},   {"C:\\a\\b.Txt", ".TXT", true},
        {"C:\\a\\b.REG", ".reg", true},   {"x.rEg", ".REG", true},
        {"C:\\a\\b.reg.bak", ".REG", false}, {"C:\\a\\b.txt", ".REG", false},
        {".reg", ".REG", true},           {"reg", ".REG", false},
        {"g", "G", true},                 // shorter than four bytes: compared whole
        {"", ".REG", false},              {"a.reg", "", false},
        {nullptr, ".REG", false},         {"a.reg", nullptr, false},
        {"\xC4\xE3.reg", ".REG", true},   {"\xC4\xE3" "reg", ".REG", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasExtension(c.path, c.ext), c.yes) << (c.path ? c.path : "(null)") << " " << (c.ext ? c.ext : "(null)");
}

TEST(CommandLineArgument, Table) {
    struct Case {
        std::string line;
        bool has;
        std::string arg;
    } cases[] = {
        {"\"C:\\Program Files\\b.exe\" \"C:\\My Files\\a.reg\"", true, "C:\\My Files\\a.reg"},
        {"\"C:\\b.exe\" C:\\a.reg", true, "C:\\a.reg"},
        {"\"C:\\b.exe\" C:\\a.reg C:\\second.reg", true, "C:\\a.reg"},
        {"\"C:\\b.exe\" \"C:\\a b.reg\" \"C:\\c.reg\"", true, "C:\\a b.reg"},
        {"\"C:\\b.exe\"  \"C:\\a b.reg\"", false, ""},  // two blanks: the argument is empty
        {"\"C:\\b.exe\"", false, ""},
        {"\"C:\\b.exe\" ", false, ""},
        {"", false, ""},
        {"\"C:\\b.exe", false, ""},                     // program path never closed
        {"\"C:\\b.exe\" \"C:\\open ended.reg", true, "C:\\open ended.reg"},
        {"\"C:\\b.exe\" \"", false, ""},
        {"\"C:\\b.exe\"xC:\\a.reg", true, "C:\\a.reg"}, // whatever stands after the quote is skipped
        {"C:\\b.exe C:\\a.reg", true, "C:\\a.reg"},     // a bare program path ends at the blank
        {"C:\\b.exe \"C:\\a b.reg\"", true, "C:\\a b.reg"},
        {"C:\\b.exe", false, ""},
    };
    for (const Case& c : cases) {
        std::string_view arg;
        const bool has = CommandLineArgument(c.line, arg);
        EXPECT_EQ(has, c.has) << c.line;
        if (has) EXPECT_EQ(std::string(arg), c.arg) << c.line;
    }
}

// An unterminated quote must not make the search run past the text it was given.
TEST(CommandLineArgument, StaysInsideTheGivenText) {
    const std::string backing = "\"C:\\b.exe\" \"C:\\a.reg\" tail\"";
    const std::string_view line(backing.data(), 17);  // cut inside the quoted argument
    std::string_view arg;
    ASSERT_TRUE(CommandLineArgument(line, arg));
    EXPECT_EQ(std::string(arg), "C:\\a.");
    EXPECT_LE(arg.data() + arg.size(), line.data() + line.size());
}

}  // namespace
