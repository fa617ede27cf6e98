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

// Start of the character that holds byte `pos` (pos itself when it starts one, and for
// pos >= size). Looks back only over the lead-range bytes just before pos: the byte before
// them, not a lead byte, ends a character, so cost does not grow with the distance from
// the start of the text.
size_t CharStart(std::string_view text, size_t pos);

// Position of the last character's first byte, or npos for an empty text.
size_t LastCharPos(std::string_view text);

// Upper-cases the 26 ASCII letters; double-byte characters (whose trail byte may look like
// a letter) are left as they are.
void MakeUpperAscii(std::string& text);
std::string UpperAscii(std::string_view text);

}  // namespace mbcs
