// Find's rules on the document's buffer (lines each followed by CR LF): case folding of ASCII
// letters only, starts and ends on characters of code page 936, up and down from a position
// without wrapping, matches inside one line. The fuzzer checks the rest against a plain
// search on random texts (long enough for the sixteen-at-a-time scan): lead bytes, trail
// letters, positions and directions.
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
        {"@[\r\n`{\r\n", "`{", false, true, 0, 4},                   // only letters fold
        {"\xD5\x5C\\\r\n", "\\", false, true, 0, 2},                  // not the trail of D5 5C
        {"abc abc\r\n", "abc", false, false, 7, 4},                   // up: ends at or before
        {"ab\r\ncd\r\n", "b\r\nc", false, true, 0, no},               // one line only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.needle);
        EXPECT_EQ(CTextSearch(c.needle, c.matchCase).Search(c.text, c.from, c.down), c.found);
    }
}

}  // namespace
