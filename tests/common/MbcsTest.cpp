// Double-byte aware searches (code page 936): trail bytes are never taken for a backslash or a
// bracket. (Upper-casing: the viewer's column of KeyPathTextTest.)
#include <gtest/gtest.h>

#include "Mbcs.h"

namespace {

using mbcs::npos;

TEST(Mbcs, SearchesStepOverDoubleByteCharacters) {
    struct Case { const char* text; size_t first, last, twice, root, lastChar; } cases[] = {
        // text                    first '\'  last '\'  "\\\\"  "HKCU\\"  last character
        {"a\\b\\c",                1,    3,    npos, npos, 4},
        {"\x95\x5C",               npos, npos, npos, npos, 0},  // trail byte only
        {"\x95\x5C\\x\x95\x5C",    2,    2,    npos, npos, 4},
        {"\x95\x5C\\\\",           2,    3,    2,    npos, 3},
        {"\\\x95\x5C\\",           0,    3,    npos, npos, 3},
        {"\x81HKCU\\",             5,    5,    npos, npos, 5},  // the H is a second byte
        {"\x81H HKCU\\",           7,    7,    npos, 3,    7},
        {"\xB1\xEDHKCU\\",         6,    6,    npos, 2,    6},
        {"x\\\x81",                1,    1,    npos, npos, 2},  // a lone lead byte at the end
        {"\xB1\xED\x81\x81\x81\x5C\\", 6, 6, npos, npos, 6},  // lead-range trail bytes
        {"",                       npos, npos, npos, npos, npos},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(mbcs::FindChar(c.text, '\\'), c.first);
        EXPECT_EQ(mbcs::FindLastChar(c.text, '\\'), c.last);
        EXPECT_EQ(mbcs::FindDoubleBackslash(c.text), c.twice);
        EXPECT_EQ(mbcs::FindText(c.text, "HKCU\\"), c.root);
        EXPECT_EQ(mbcs::LastCharPos(c.text), c.lastChar);
        const std::string_view text(c.text);
        for (size_t at = 0; at < text.size(); at += mbcs::CharLength(text, at))
            for (size_t b = at; b < at + mbcs::CharLength(text, at); ++b) EXPECT_EQ(mbcs::CharStart(text, b), at) << b;
    }
    EXPECT_EQ(mbcs::FindChar("a\\b\\c", '\\', 2), 3u);
}

}  // namespace
