// Byte-string helpers for the ANSI code page 936 (GBK) that the programs run under.
//
// A GBK character is one byte, or two when the first byte is a lead byte (0x81..0xFE).
// The second (trail) byte may be any value from 0x40 up, including 0x5C, the backslash,
// and the ASCII letters; so every search for a backslash, a bracket or a quote, and every
// upper-casing, must walk the text character by character, never byte by byte.
// No windows.h here: these rules are unit-tested and fuzzed on the build machine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mbcs {

constexpr size_t npos = std::string_view::npos;

// True for the first byte of a double-byte character.
constexpr bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Length in bytes (1 or 2) of the character that starts at `pos`. A lead byte that is the
// last byte of the text stands alone.
size_t CharLength(std::string_view text, size_t pos);

// Position of the last character equal to `c`, or npos.
size_t FindLastChar(std::string_view text, char c);

// Position of the first two backslash characters in a row, or npos.
size_t FindDoubleBackslash(std::string_view text);

// Where characters start in one text, for a walk that asks about many of its positions in
// turn (a search, down or up; the pieces of a long line as it is painted). Whether a byte
// starts a character depends on the lead-range bytes before it, back to the start of their
// run: the byte before the run, not a lead byte, ends a character. In a broken or binary file
// read as text such a run may be hundreds of MB long, so the walker keeps what it has learnt,
// a stretch of lead-range bytes whose first byte starts a character, and a later question
// walks only up to that stretch, from either side. Seeded with a position known to start a
// character (a line's start, the edge of a match), no walk goes past it.
class CharStarts {
public:
    explicit CharStarts(std::string_view text, size_t known = 0);

    // Start of the character that holds byte `pos` (pos itself when it starts one, and for
    // pos >= size).
    size_t Start(size_t pos);
    // Bytes looked at so far to answer: what the walk cost, for the tests that bound it.
    size_t Examined() const { return m_examined; }

private:
    std::string_view m_text;
    size_t m_lo;  // starts a character; the bytes [m_lo, m_hi) are all lead-range bytes
    size_t m_hi;
    size_t m_examined = 0;
};

// Position of the last character's first byte, or npos for an empty text.
size_t LastCharPos(std::string_view text);

// Upper-cases the 26 ASCII letters; double-byte characters (whose trail byte may look like
// a letter) are left as they are.
void MakeUpperAscii(std::string& text);
std::string UpperAscii(std::string_view text);

}  // namespace mbcs
