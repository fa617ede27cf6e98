// The key-path grammar, both programs' parsers side by side, and the default shortcut name.
// Texts are GBK bytes: "\xB1\xED" is a double-byte character, "\x95\x5C" one whose second
// byte is the backslash, "\201a" one whose second byte is a lower-case letter (in octal, since a
// hex escape would take the "a" in).
#include <gtest/gtest.h>

#include "KeyPathText.h"

namespace {

const char* const N = nullptr;  // the parse fails and leaves its outputs alone

struct Case {
    const char* text;
    const char* strictFull;   // toolbar rules, root at the start: long form + sub-key
    const char* lenientPath;  // toolbar rules, text before the root dropped: the normalised path
    const char* viewerFull;   // the viewer's variant: long form + upper-cased sub-key
    const char* name;         // the shortcut's name (location: the lenient path); "": no shortcut
};

const Case kCases[] = {
    {"hkcu\\Ab", "HKEY_CURRENT_USER\\Ab", "hkcu\\Ab", "HKEY_CURRENT_USER\\AB", "Ab"},
    {"HkLm\\a\\b", "HKEY_LOCAL_MACHINE\\a\\b", "HkLm\\a\\b", "HKEY_LOCAL_MACHINE\\A\\B", "b"},
    {"hkey_current_config\\x", "HKEY_CURRENT_CONFIG\\x", "hkey_current_config\\x", "HKEY_CURRENT_CONFIG\\X", "x"},
    {"HKCR\\.txt", "HKEY_CLASSES_ROOT\\.txt", "HKCR\\.txt", "HKEY_CLASSES_ROOT\\.TXT", ".txt"},
    // Section headers of export files; a double-byte character ending in 0x5D closes nothing.
    {"[HKCU\\S]]", "HKEY_CURRENT_USER\\S]", "HKCU\\S]", "HKEY_CURRENT_USER\\S]", "S]"},
    {"[ HKCU\\x]", "HKEY_CURRENT_USER\\x", "HKCU\\x", N, "x"},
    {" [HKCU\\x]", N, "HKCU\\x]", N, "x]"},
    {"[HKCU\\S", N, N, N, N},
    {"[HKCU\\x\x81]", N, N, N, N},
    // A root name alone, or one not known; a trailing backslash.
    {"HKLM\\", "HKEY_LOCAL_MACHINE\\", "HKLM\\", N, N},
    {"HKCU\\S\\", "HKEY_CURRENT_USER\\S\\", "HKCU\\S\\", "HKEY_CURRENT_USER\\S\\", ""},
    {"HKCUX\\S", N, N, N, N},
    {"", N, N, N, N},
    // Two backslashes in a row anywhere.
    {"HKCU\\S\\\\", N, N, N, N},
    {"label\\\\ HKCU\\x", N, N, N, N},
    // White space: leading removed by the toolbar rules only, trailing always kept.
    {"\t\r\n\v\f HKCU\\x", "HKEY_CURRENT_USER\\x", "HKCU\\x", N, "x"},
    {"HKCU\\S  ", "HKEY_CURRENT_USER\\S  ", "HKCU\\S  ", "HKEY_CURRENT_USER\\S  ", "S  "},
    // Text before the root name; a root name further on, in either form, is part of a key name.
    {"label\\HKU\\a\\HKLM\\b", N, "HKU\\a\\HKLM\\b", N, "b"},
    {"HKU\\S\\Tools HKEY_CURRENT_USER\\Sub", "HKEY_USERS\\S\\Tools HKEY_CURRENT_USER\\Sub",
     "HKU\\S\\Tools HKEY_CURRENT_USER\\Sub", "HKEY_USERS\\S\\TOOLS HKEY_CURRENT_USER\\SUB", "Sub"},
    // Upper-casing touches the letters, not their neighbours (in GUID-named keys, for one).
    {"HKCU\\`az{", "HKEY_CURRENT_USER\\`az{", "HKCU\\`az{", "HKEY_CURRENT_USER\\`AZ{", "`az{"},
    // Double-byte key names.
    {"HKCU\\a\x95\x5C\\b", "HKEY_CURRENT_USER\\a\x95\x5C\\b", "HKCU\\a\x95\x5C\\b", "HKEY_CURRENT_USER\\A\x95\x5C\\B",
     "b"},
    {"HKCU\\a\\\x95\x5C", "HKEY_CURRENT_USER\\a\\\x95\x5C", "HKCU\\a\\\x95\x5C", "HKEY_CURRENT_USER\\A\\\x95\x5C",
     "\x95\x5C"},
    {"HKCU\\\201a\201z", "HKEY_CURRENT_USER\\\201a\201z", "HKCU\\\201a\201z", "HKEY_CURRENT_USER\\\201a\201z",
     "\201a\201z"},
    {"\xB8\xB4\xD6\xC6: HKCU\\x", N, "HKCU\\x", N, "x"},
    {"\x81HKCU\\x", N, N, N, N},  // "\x81H" is one character
    {"HKCU\\x\x81", "HKEY_CURRENT_USER\\x\x81", "HKCU\\x\x81", "HKEY_CURRENT_USER\\X\x81", "x\x81"},  // lone lead byte
};

// What a parse gave (the long form, or the normalised path); "kept" for a record left alone.
std::string Got(const ParsedKeyPath& p, bool full) { return full && p.row >= 0 ? FullKeyPathText(p) : p.path; }
std::string Want(const char* expected) { return expected ? expected : "kept"; }

TEST(KeyPathText, ParsersAndShortcutSideBySide) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        ParsedKeyPath strict, lenient, viewer;
        strict.path = lenient.path = viewer.path = "kept";
        EXPECT_EQ(ParseKeyPathText(c.text, false, strict), c.strictFull != nullptr);
        EXPECT_EQ(Got(strict, true), Want(c.strictFull));
        EXPECT_EQ(ParseKeyPathText(c.text, true, lenient), c.lenientPath != nullptr);
        EXPECT_EQ(Got(lenient, false), Want(c.lenientPath));
        EXPECT_EQ(ParseKeyPathUpper(c.text, viewer), c.viewerFull != nullptr);
        EXPECT_EQ(Got(viewer, true), Want(c.viewerFull));

        std::string location = "kept", name = "kept";
        EXPECT_EQ(KeyPathTextToShortcut(c.text, location, name), c.name && *c.name);
        EXPECT_EQ(location, Want(c.name ? c.lenientPath : nullptr));
        EXPECT_EQ(name, Want(c.name));
    }
}

}  // namespace
