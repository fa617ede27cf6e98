// The text form of registry key paths: the root-name table, the two parsers (one that skips
// leading blanks and keeps the key names' letter case, one that wants the root name at the
// very start and upper-cases), and the default shortcut name. Pure text, no windows.h: the
// registry half lives in RegKeyTool.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One row of the root-name table. Both forms are held upper case with the backslash that
// must follow them, so "HKLM" at the very end of a text (no backslash) is no root name.
struct RootKeyName {
    std::string_view shortForm;  // "HKLM\\"
    std::string_view longForm;   // "HKEY_LOCAL_MACHINE\\"
    int32_t handleValue;         // the predefined root handle's value (sign-extended on 64 bits)
};

// ParseKeyPathUpper tries the rows in this order; ParseKeyPathText takes the root name that
// stands leftmost, which no two rows can share.
constexpr int kRootKeyCount = 5;
extern const RootKeyName kRootKeyNames[kRootKeyCount];

// What the parser found. `row` indexes kRootKeyNames.
struct ParsedKeyPath {
    int row = -1;
    std::string subKey;  // after the root name's backslash; may be empty or end in a backslash
    std::string path;    // the normalised text, root in the form and case the input used
};

// For typed, pasted and stored paths (RootNamePlace::AfterBlanks, and the shortcut a free
// text stands for): "[...]" unwrapped, leading white space removed, then the leftmost root
// name (either form) decides. With allowLeadingText, any text before it is dropped; without
// it the root name must begin the text. A root name further on is part of a key name.
// On failure `out` is left as it was.
bool ParseKeyPathText(std::string text, bool allowLeadingText, ParsedKeyPath& out);

// For a text that must be a key path as a whole (RootNamePlace::AtStart: a viewer's line):
// no white space removed, the whole text upper-cased, and a root name (short form, then long
// form, row by row) only at the very start. An empty sub-key fails.
// On success `out.subKey` and `out.path` are upper case (FullKeyPathText gives the long
// form). On failure `out` is left as it was.
bool ParseKeyPathUpper(std::string text, ParsedKeyPath& out);

// Long form of the root followed by the sub-key: what the navigator types.
std::string FullKeyPathText(const ParsedKeyPath& parsed);

// The shortcut a free text stands for: location = the normalised path from its root name on
// (text before the root name dropped), name = the last key name. Returns true only when both
// are non-empty. When the parse succeeds both outputs are written, even if the result is false.
bool KeyPathTextToShortcut(std::string_view text, std::string& location, std::string& name);
