// Find's rules on the document's buffer (lines each followed by CR LF): case folding of ASCII
// letters only, starts and ends on characters of code page 936, up and down from a position
// without wrapping, matches inside one line. The fuzzer checks the same against a plain
// search on random texts (long enough for the sixteen-at-a-time scan).
#include <gtest/gtest.h>

#include "TextSearch.h"

namespace {

constexpr size_t no = CTextSearch::npos;

TEST(TextSearch, Rules) {
    const struct Case {
        std::string text, needle;
        bool matchCase, down;
        size_t from, found;
    } cases[] = {
        {"Hello World\r\n", "WORLD", false, true, 0, 6},
        {"Hello World\r\n", "WORLD", true, true, 0, no},
        {"Hello World\r\nworld\r\n", "world", true, true, 0, 13},
        {"@[\r\n`{\r\n", "`{", false, true, 0, 4},                   // only letters fold
        {"\xD5\x5C\\\r\n", "\\", false, true, 0, 2},                  // not the trail of D5 5C
        {"\xD5\x5C\r\n", "\\", false, true, 0, no},
        {"\xD5\x5C\\\r\n", "\\", false, false, 3, 2},
        {"\x81\x61\x81\x41\r\n", "\x81\x41", false, true, 0, 2},      // trail letters compare exactly
        {"\x81\x61" "a\r\n", "A", false, true, 0, 2},
        {"\x81\x81\x81\x81\x81\x81\r\n", "\x81\x81", false, true, 1, 2},  // lead-range trail bytes
        {"\x81\x81\x81\x81\x81\x81\r\n", "\x81\x81", false, false, 5, 2},
        {"x\xB1\xED\r\n", "\xB1", false, true, 0, no},                // never ends inside a character
        {"x\x81\r\nz\r\n", "\x81", false, true, 0, 1},                // a lone lead byte ends its line
        {"abc abc\r\n", "abc", false, true, 1, 4},                    // down from a position
        {"abc abc\r\n", "abc", false, true, 5, no},                   // no wrapping
        {"abc abc\r\n", "abc", false, false, 7, 4},                   // up: ends at or before
        {"abc abc\r\n", "abc", false, false, 6, 0},
        {"abc abc\r\n", "abc", false, false, 2, no},
        {"ab\r\ncd\r\n", "b\r\nc", false, true, 0, no},               // one line only
        {"ab\rcd\r\n", "b\rc", false, true, 0, 1},                    // a lone CR is in the line
        {"abc\r\n", "", false, true, 0, no},
        {"ab\r\n", "abc", false, true, 0, no},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.needle);
        EXPECT_EQ(CTextSearch(c.needle, c.matchCase).Search(c.text, c.from, c.down), c.found);
    }
}

}  // namespace
