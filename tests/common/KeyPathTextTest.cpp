// The key-path grammar, both programs' parsers side by side, and the default shortcut name.
// Texts are GBK bytes: "\xB1\xED" is a double-byte character, "\x95\x5C" one whose second
// byte is the backslash, "\x81" "a" one whose second byte is a lower-case letter.
#include <gtest/gtest.h>

#include "KeyPathText.h"

namespace {

// nullptr: the parse fails.
struct ParseCase {
    const char* text;
    const char* strictFull;   // toolbar rules, root name must begin the text: long form + sub-key
    const char* lenientPath;  // toolbar rules, text before the root dropped: the normalised path
    const char* viewerFull;   // the viewer's variant: long form + upper-cased sub-key
};

const ParseCase kParseCases[] = {
    // Every root in both forms and any letter case.
    {"hkcu\\Software", "HKEY_CURRENT_USER\\Software", "hkcu\\Software", "HKEY_CURRENT_USER\\SOFTWARE"},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes",
     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES"},
    {"HkLm\\a\\b", "HKEY_LOCAL_MACHINE\\a\\b", "HkLm\\a\\b", "HKEY_LOCAL_MACHINE\\A\\B"},
    {"HKCC\\System", "HKEY_CURRENT_CONFIG\\System", "HKCC\\System", "HKEY_CURRENT_CONFIG\\SYSTEM"},
    {"hkey_current_config\\x", "HKEY_CURRENT_CONFIG\\x", "hkey_current_config\\x", "HKEY_CURRENT_CONFIG\\X"},
    {"HKCR\\.txt", "HKEY_CLASSES_ROOT\\.txt", "HKCR\\.txt", "HKEY_CLASSES_ROOT\\.TXT"},
    {"HKEY_CLASSES_ROOT\\*", "HKEY_CLASSES_ROOT\\*", "HKEY_CLASSES_ROOT\\*", "HKEY_CLASSES_ROOT\\*"},
    {"HKU\\.DEFAULT", "HKEY_USERS\\.DEFAULT", "HKU\\.DEFAULT", "HKEY_USERS\\.DEFAULT"},
    {"hkey_users\\S-1-5-18", "HKEY_USERS\\S-1-5-18", "hkey_users\\S-1-5-18", "HKEY_USERS\\S-1-5-18"},

    // Section headers of export files.
    {"[HKEY_CURRENT_USER\\Software]", "HKEY_CURRENT_USER\\Software", "HKEY_CURRENT_USER\\Software",
     "HKEY_CURRENT_USER\\SOFTWARE"},
    {"[HKCU\\Software", nullptr, nullptr, nullptr},
    {"HKCU\\Software]", "HKEY_CURRENT_USER\\Software]", "HKCU\\Software]", "HKEY_CURRENT_USER\\SOFTWARE]"},
    {"[HKCU\\Software]]", "HKEY_CURRENT_USER\\Software]", "HKCU\\Software]", "HKEY_CURRENT_USER\\SOFTWARE]"},
    {"[", nullptr, nullptr, nullptr},
    {"[]", nullptr, nullptr, nullptr},
    {"[ HKCU\\x]", "HKEY_CURRENT_USER\\x", "HKCU\\x", nullptr},
    {" [HKCU\\x]", nullptr, "HKCU\\x]", nullptr},
    // A double-byte character ending in 0x5D is not a closing bracket.
    {"[HKCU\\x\x81]", nullptr, nullptr, nullptr},

    // Root names without their backslash, or with nothing after it.
    {"HKEY_LOCAL_MACHINE", nullptr, nullptr, nullptr},
    {"HKLM", nullptr, nullptr, nullptr},
    {"HKLM\\", "HKEY_LOCAL_MACHINE\\", "HKLM\\", nullptr},
    {"[HKEY_USERS\\]", "HKEY_USERS\\", "HKEY_USERS\\", nullptr},
    {"HKCUX\\Software", nullptr, nullptr, nullptr},
    {"HKEY_PERFORMANCE_DATA\\x", nullptr, nullptr, nullptr},
    {"HKEY_DYN_DATA\\x", nullptr, nullptr, nullptr},
    {"", nullptr, nullptr, nullptr},
    {"   ", nullptr, nullptr, nullptr},

    // Two backslashes in a row anywhere.
    {"HKCU\\\\Software", nullptr, nullptr, nullptr},
    {"HKCU\\Software\\\\", nullptr, nullptr, nullptr},
    {"\\\\HKCU\\x", nullptr, nullptr, nullptr},
    {"label\\\\ HKCU\\x", nullptr, nullptr, nullptr},

    // White space: leading removed by the toolbar rules only, trailing always kept.
    {"  HKCU\\Software", "HKEY_CURRENT_USER\\Software", "HKCU\\Software", nullptr},
    {"\t\r\n\v\fHKCU\\x", "HKEY_CURRENT_USER\\x", "HKCU\\x", nullptr},
    {"HKCU\\Software  ", "HKEY_CURRENT_USER\\Software  ", "HKCU\\Software  ", "HKEY_CURRENT_USER\\SOFTWARE  "},

    // Text before the root name.
    {"Key: HKCU\\Software", nullptr, "HKCU\\Software", nullptr},
    {"label\\HKCU\\Software", nullptr, "HKCU\\Software", nullptr},
    {"XHKCU\\Software", nullptr, "HKCU\\Software", nullptr},
    // Rows are tried in table order: a local-machine name later in the text wins over the
    // current-user name that begins it.
    {"HKCU\\Software\\HKLM\\x", nullptr, "HKLM\\x", "HKEY_CURRENT_USER\\SOFTWARE\\HKLM\\X"},
    // Within a row the long form is searched first, anywhere in the text.
    {"HKCU\\a\\HKEY_CURRENT_USER\\b", nullptr, "HKEY_CURRENT_USER\\b",
     "HKEY_CURRENT_USER\\A\\HKEY_CURRENT_USER\\B"},

    // Double-byte key names.
    {"HKCU\\Software\\\xB1\xED", "HKEY_CURRENT_USER\\Software\\\xB1\xED", "HKCU\\Software\\\xB1\xED",
     "HKEY_CURRENT_USER\\SOFTWARE\\\xB1\xED"},
    {"HKCU\\\x95\x5C", "HKEY_CURRENT_USER\\\x95\x5C", "HKCU\\\x95\x5C", "HKEY_CURRENT_USER\\\x95\x5C"},
    {"HKCU\\a\x95\x5C\\b", "HKEY_CURRENT_USER\\a\x95\x5C\\b", "HKCU\\a\x95\x5C\\b",
     "HKEY_CURRENT_USER\\A\x95\x5C\\B"},
    {"HKCU\\a\x95\x5C\\\\b", nullptr, nullptr, nullptr},
    {"HKCU\\\x81" "a\x81" "z", "HKEY_CURRENT_USER\\\x81" "a\x81" "z", "HKCU\\\x81" "a\x81" "z",
     "HKEY_CURRENT_USER\\\x81" "a\x81" "z"},
    {"\xB1\xED HKCU\\x", nullptr, "HKCU\\x", nullptr},
    // "\x81H" is one character, so no root name begins at the "H".
    {"\x81HKCU\\x", nullptr, nullptr, nullptr},
    // A lone lead byte at the end stands alone.
    {"HKCU\\x\x81", "HKEY_CURRENT_USER\\x\x81", "HKCU\\x\x81", "HKEY_CURRENT_USER\\X\x81"},
};

std::string Show(const char* s) { return s ? std::string("\"") + s + "\"" : std::string("(fails)"); }

TEST(KeyPathText, ParsersSideBySide) {
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(Show(c.text));
        ParsedKeyPath strict, lenient, viewer;
        bool ok = ParseKeyPathText(c.text, false, strict);
        EXPECT_EQ(ok, c.strictFull != nullptr);
        if (ok && c.strictFull) EXPECT_EQ(FullKeyPathText(strict), c.strictFull);

        ok = ParseKeyPathText(c.text, true, lenient);
        EXPECT_EQ(ok, c.lenientPath != nullptr);
        if (ok && c.lenientPath) {
            EXPECT_EQ(lenient.path, c.lenientPath);
            EXPECT_EQ(lenient.path.substr(lenient.path.size() - lenient.subKey.size()), lenient.subKey);
        }
        if (c.strictFull) {
            // Where the root begins the text, allowing leading text changes nothing.
            EXPECT_EQ(lenient.row, strict.row);
            EXPECT_EQ(lenient.path, strict.path);
            EXPECT_EQ(lenient.subKey, strict.subKey);
        }

        ok = ParseKeyPathUpper(c.text, viewer);
        EXPECT_EQ(ok, c.viewerFull != nullptr);
        if (ok && c.viewerFull) EXPECT_EQ(FullKeyPathText(viewer), c.viewerFull);
    }
}

TEST(KeyPathText, FailedParseLeavesTheResultAlone) {
    for (const char* text : {"", "HKLM", "[HKCU\\x", "HKCU\\\\x", "Key: HKCU\\x"}) {
        SCOPED_TRACE(text);
        ParsedKeyPath p;
        p.row = 3;
        p.subKey = "before";
        p.path = "kept";
        EXPECT_FALSE(ParseKeyPathText(text, false, p));
        EXPECT_FALSE(ParseKeyPathUpper(text, p));
        EXPECT_EQ(p.row, 3);
        EXPECT_EQ(p.subKey, "before");
        EXPECT_EQ(p.path, "kept");
    }
}

TEST(KeyPathText, RootTable) {
    // Long forms are what the navigator types; each carries its backslash.
    const char* longForms[] = {"HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\", "HKEY_CURRENT_CONFIG\\",
                               "HKEY_CLASSES_ROOT\\", "HKEY_USERS\\"};
    const uint32_t handles[] = {0x80000002u, 0x80000001u, 0x80000005u, 0x80000000u, 0x80000003u};
    for (int r = 0; r < kRootKeyCount; ++r) {
        EXPECT_EQ(kRootKeyNames[r].longForm, longForms[r]);
        EXPECT_EQ(static_cast<uint32_t>(kRootKeyNames[r].handleValue), handles[r]);
        EXPECT_EQ(kRootKeyNames[r].shortForm.back(), '\\');
    }
}

struct ShortcutCase {
    const char* text;
    bool ok;
    const char* location;  // nullptr: left as it was
    const char* name;
};

const ShortcutCase kShortcutCases[] = {
    {"HKCU\\Software\\Microsoft", true, "HKCU\\Software\\Microsoft", "Microsoft"},
    {"hkcu\\Software", true, "hkcu\\Software", "Software"},
    {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]", true, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", "Classes"},
    {"Copied: HKLM\\SOFTWARE\\x", true, "HKLM\\SOFTWARE\\x", "x"},
    {"\xB8\xB4\xD6\xC6: HKLM\\SOFTWARE\\\xB1\xED", true, "HKLM\\SOFTWARE\\\xB1\xED", "\xB1\xED"},
    {" HKCU\\a ", true, "HKCU\\a ", "a "},
    // A trailing backslash leaves the last key name empty: no shortcut, location written.
    {"HKCU\\Software\\", false, "HKCU\\Software\\", ""},
    // Root alone, or no key path at all: nothing written.
    {"HKCU\\", false, nullptr, nullptr},
    {"HKCU", false, nullptr, nullptr},
    {"", false, nullptr, nullptr},
    {"HKCU\\a\\\\b", false, nullptr, nullptr},
    // The last key name is found character by character: 0x5C as a second byte is no separator.
    {"HKCU\\a\\\x95\x5C", true, "HKCU\\a\\\x95\x5C", "\x95\x5C"},
    {"HKCU\\a\\\x95\x5C" "b", true, "HKCU\\a\\\x95\x5C" "b", "\x95\x5C" "b"},
    {"HKCU\\\x95\x5C", true, "HKCU\\\x95\x5C", "\x95\x5C"},
};

TEST(KeyPathText, ShortcutFromText) {
    for (const ShortcutCase& c : kShortcutCases) {
        SCOPED_TRACE(c.text);
        std::string location = "old location", name = "old name";
        EXPECT_EQ(KeyPathTextToShortcut(c.text, location, name), c.ok);
        EXPECT_EQ(location, c.location ? c.location : "old location");
        EXPECT_EQ(name, c.name ? c.name : "old name");
    }
}

}  // namespace
