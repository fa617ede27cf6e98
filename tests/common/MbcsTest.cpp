// Double-byte aware searches and upper-casing (code page 936).
#include <gtest/gtest.h>

#include "Mbcs.h"

namespace {

using mbcs::npos;

TEST(Mbcs, LeadBytes) {
    struct Case { unsigned char c; bool lead; } cases[] = {
        {0x00, false}, {0x5C, false}, {0x7F, false}, {0x80, false},
        {0x81, true},  {0xB1, true},  {0xFE, true},  {0xFF, false},
    };
    for (const Case& c : cases) EXPECT_EQ(mbcs::IsLeadByte(c.c), c.lead) << int(c.c);
}

TEST(Mbcs, SearchesStepOverDoubleByteCharacters) {
    struct Case {
        const char* text;
        char c;
        size_t first, last;
    } cases[] = {
        {"a\\b\\c", '\\', 1, 3},
        {"\x95\x5C", '\\', npos, npos},               // trail byte only
        {"\x95\x5C\\x", '\\', 2, 2},
        {"\x95\x5C\\x\x95\x5C", '\\', 2, 2},
        {"\x81]x]", ']', 3, 3},
        {"\x81", '\x81', 0, 0},                       // lone lead byte at the end
        {"\x81\x81\x81", '\x81', 0, 2},               // the third stands alone
        {"", '\\', npos, npos},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(mbcs::FindChar(c.text, c.c), c.first);
        EXPECT_EQ(mbcs::FindLastChar(c.text, c.c), c.last);
    }
    EXPECT_EQ(mbcs::FindChar("a\\b\\c", '\\', 2), 3u);
}

TEST(Mbcs, DoubleBackslash) {
    struct Case { const char* text; size_t pos; } cases[] = {
        {"a\\\\b", 1},
        {"a\\b\\", npos},
        {"\\\\", 0},
        {"x\\\\", 1},
        {"\x95\x5C\\", npos},       // one character, then one backslash
        {"\x95\x5C\\\\", 2},
        {"\\\x95\x5C", npos},
        {"", npos},
    };
    for (const Case& c : cases) EXPECT_EQ(mbcs::FindDoubleBackslash(c.text), c.pos) << c.text;
}

TEST(Mbcs, FindTextOnlyAtCharacterBoundaries) {
    struct Case { const char* text; const char* needle; size_t pos; } cases[] = {
        {"xHKCU\\", "HKCU\\", 1},
        {"\x81HKCU\\", "HKCU\\", npos},      // the H is the second byte of a character
        {"\x81H HKCU\\", "HKCU\\", 3},
        {"\xB1\xEDHKCU\\", "HKCU\\", 2},
        {"HKC", "HKCU\\", npos},
    };
    for (const Case& c : cases) EXPECT_EQ(mbcs::FindText(c.text, c.needle), c.pos) << c.text;
}

TEST(Mbcs, UpperCasingLeavesDoubleByteCharactersAlone) {
    struct Case { const char* in; const char* out; } cases[] = {
        {"hkey_current_user\\software", "HKEY_CURRENT_USER\\SOFTWARE"},
        {"\x81" "a\x81" "z", "\x81" "a\x81" "z"},    // trail bytes that look like letters
        {"a\x81" "ab", "A\x81" "aB"},
        {"\xE0\xE1", "\xE0\xE1"},                    // no Latin-1 case mapping
        {"z\x81", "Z\x81"},
        {"{|}~@[`", "{|}~@[`"},
    };
    for (const Case& c : cases) EXPECT_EQ(mbcs::UpperAscii(c.in), c.out) << c.in;
}

TEST(Mbcs, LastCharacter) {
    EXPECT_EQ(mbcs::LastCharPos(""), npos);
    EXPECT_EQ(mbcs::LastCharPos("ab"), 1u);
    EXPECT_EQ(mbcs::LastCharPos("a\x81]"), 1u);
    EXPECT_EQ(mbcs::LastCharPos("a\x81]]"), 3u);
}

}  // namespace
