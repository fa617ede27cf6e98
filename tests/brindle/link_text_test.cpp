// The viewer's text rules: line kinds, the file-name test and the command-line argument.
// Double-byte text is written as GBK bytes.
#include <gtest/gtest.h>

#include <string>

#include "LinkDoc.h"
#include "LinkText.h"

namespace {

TEST(Classify, Table) {
    const struct {
        std::string line;
        int32_t kind;
    } cases[] = {
        {"[HKEY_CURRENT_USER\\Software\\Demo]", LINE_KEY},
        {"[HKEY_CURRENT_USER\\Software\\Demo] ", LINE_TEXT},
        {"[-HKEY_CURRENT_USER\\Software\\Demo]", LINE_TEXT},
        {"hkcu\\software", LINE_KEY},
        {"HKCU\\", LINE_KEY},
        {"HKCU", LINE_TEXT},
        {" \t\r\n\v\fHKU\\x", LINE_KEY},
        {"\xA1\xA1HKLM\\Software", LINE_TEXT} /* full-width space */,
        {"HKLM\\a]", LINE_KEY},  // only a line starting with '[' needs the closing one
        {"c:\\temp", LINE_FILE},
        {"C:\\a", LINE_FILE},
        {"C:\\", LINE_TEXT},
        {"C:/temp", LINE_TEXT},
        {"C:\\a/b", LINE_TEXT},
        {"C:\\a?b", LINE_TEXT},
        {"C:\\a<b", LINE_TEXT},
        {"C:\\a>b", LINE_TEXT},
        {"C:\\a\"b", LINE_TEXT},
        {"1:\\a", LINE_TEXT},
        {"   ", LINE_TEXT},
        // Double-byte characters (a trail byte 0x5C, 0x3A or 0x22 is no backslash, colon or quote);
        // two backslashes, a colon or a quote in a key, '*', '|' or a tab in a file: the long lines below.
        {"[HKCU\\Software\\\x81\x5D", LINE_TEXT},  // 0x5D: the parser's rule
        {"HKCU\\Software\\\x81", LINE_KEY},        // a lead byte as the last byte stands alone
        {"HKCU\\\x80\\\\x", LINE_TEXT},            // 0x80 (the euro sign) is a byte of its own
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyLine(c.line), c.kind) << "line: " << c.line;
}

// Long lines are walked 16 bytes a step: what decides the kind counts wherever it stands.
TEST(Classify, EveryPositionInALongLine) {
    const std::string key = "HKLM\\" + std::string(60, 'k'), file = "C:\\" + std::string(60, 'f');
    const struct {
        std::string what;
        int32_t kind;
    } inserts[] = {
        // into a key line, then into a file line
        {"\\\\", LINE_TEXT}, {":", LINE_TEXT},          {"\"", LINE_TEXT},       {"*", LINE_KEY},
        {"\\k\\", LINE_KEY}, {"\x95\\\\\\", LINE_TEXT}, {"\x95\\\\k", LINE_KEY}, {"\x81:", LINE_KEY},
        {"*", LINE_TEXT},    {"|", LINE_TEXT},          {"\t", LINE_TEXT},       {":", LINE_FILE},
        {"\\\\", LINE_TEXT}, {"\x81\"", LINE_FILE},
    };
    for (size_t at = 6; at + 2 < key.size(); ++at)
        for (const auto& c : inserts) {
            std::string line = &c < inserts + 8 ? key : file;
            EXPECT_EQ(ClassifyLine(line.replace(at, c.what.size(), c.what)), c.kind) << line;
        }
}

TEST(HasExtension, Table) {
    const struct {
        const char *path, *ext;
        bool yes;
    } cases[] = {
        {"C:\\a\\b.reg", ".REG", true}, {"C:\\a\\b.REG", ".reg", true}, {"C:\\a\\b.reg.bak", ".REG", false},
        {".reg", ".REG", true},         {"reg", ".REG", false},         {"g", "G", true} /* shorter than four: whole */,
        {nullptr, ".REG", false},       {"a.reg", nullptr, false},      {"\xC4\xE3.reg", ".REG", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasExtension(c.path, c.ext), c.yes)
            << (c.path ? c.path : "(null)") << " " << (c.ext ? c.ext : "(null)");
}

TEST(CommandLineArgument, Table) {
    const struct {
        std::string line;
        bool has;
        std::string arg;
    } cases[] = {
        {"\"C:\\Program Files\\b.exe\" \"C:\\My Files\\a.reg\"", true, "C:\\My Files\\a.reg"},
        {"\"C:\\b.exe\" C:\\a.reg C:\\second.reg", true, "C:\\a.reg"},
        {"\"C:\\b.exe\"  \"C:\\a b.reg\"", false, ""},  // two blanks: the argument is empty
        {"\"C:\\b.exe\"", false, ""},
        {"\"C:\\b.exe\" ", false, ""},
        {"", false, ""},
        {"\"C:\\b.exe\" \"", false, ""},
        {"\"C:\\b.exe", false, ""},  // program path never closed
        {"\"C:\\b.exe\" \"C:\\open ended.reg", true, "C:\\open ended.reg"},
        {"\"C:\\b.exe\"xC:\\a.reg", true, "C:\\a.reg"},  // whatever follows the quote is skipped
        {"C:\\b.exe \"C:\\a b.reg\"", true, "C:\\a b.reg"},
        {"C:\\b.exe", false, ""},
    };
    for (const auto& c : cases) {
        std::string_view arg;
        EXPECT_EQ(CommandLineArgument(c.line, arg), c.has) << c.line;
        if (c.has) EXPECT_EQ(std::string(arg), c.arg) << c.line;
    }
}

}  // namespace
