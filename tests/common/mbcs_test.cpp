// Double-byte aware searches (code page 936): trail bytes are never taken for a backslash or a
// bracket. (Upper-casing: the viewer's column of key_path_text_test; where characters start: the
// search fuzzer, which asks it of every candidate, going down and up.)
#include <gtest/gtest.h>

#include "Mbcs.h"

namespace {

using mbcs::npos;

TEST(Mbcs, SearchesStepOverDoubleByteCharacters) {
    struct Case {
        const char* text;
        size_t last, twice, lastChar;
    } cases[] = {
        // text                        last '\'  "\\\\"  last character
        {"a\\b\\c", 3, npos, 4},
        {"\x95\x5C", npos, npos, 0},  // trail byte only
        {"\x95\x5C\\\\", 3, 2, 3},
        {"\\\x95\x5C\\", 3, npos, 3},
        {"x\\\x81", 1, npos, 2},                     // a lone lead byte at the end
        {"\xB1\xED\x81\x81\x81\x5C\\", 6, npos, 6},  // lead-range trail bytes
        {"", npos, npos, npos},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(mbcs::FindLastChar(c.text, '\\'), c.last);
        EXPECT_EQ(mbcs::FindDoubleBackslash(c.text), c.twice);
        EXPECT_EQ(mbcs::LastCharPos(c.text), c.lastChar);
    }
}

}  // namespace
