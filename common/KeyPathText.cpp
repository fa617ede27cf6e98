#include "KeyPathText.h"

#include "Mbcs.h"

// The values are those of the predefined HKEY_* roots; the performance-data and dynamic-data
// roots have no row on purpose: a path under them is no key path.
const RootKeyName kRootKeyNames[kRootKeyCount] = {
    {"HKLM\\", "HKEY_LOCAL_MACHINE\\", static_cast<int32_t>(0x80000002u)},
    {"HKCU\\", "HKEY_CURRENT_USER\\", static_cast<int32_t>(0x80000001u)},
    {"HKCC\\", "HKEY_CURRENT_CONFIG\\", static_cast<int32_t>(0x80000005u)},
    {"HKCR\\", "HKEY_CLASSES_ROOT\\", static_cast<int32_t>(0x80000000u)},
    {"HKU\\", "HKEY_USERS\\", static_cast<int32_t>(0x80000003u)},
};

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The checks both parsers share: no doubled backslash anywhere, and a text that opens with
// "[" (a section header of an export file) must close with "]" and is taken without them.
// The closing bracket must be a character of its own: a double-byte character whose second
// byte happens to be 0x5D does not close the header.
bool UnwrapBrackets(std::string& text) {
    if (text.empty()) return false;
    if (mbcs::FindDoubleBackslash(text) != mbcs::npos) return false;
    if (text.front() == '[') {
        size_t last = mbcs::LastCharPos(text);
        if (last == 0 || text[last] != ']' || last + 1 != text.size()) return false;
        text = text.substr(1, text.size() - 2);
    }
    return true;
}

}  // namespace

bool ParseKeyPathText(std::string text, bool allowLeadingText, ParsedKeyPath& out) {
    if (!UnwrapBrackets(text)) return false;

    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    text.erase(0, start);
    if (text.empty()) return false;

    // Match on an upper-cased copy; the text itself keeps the user's letter case. The root
    // name that stands leftmost decides: a key name may itself read like a root name
    // ("HKCU\\Tools\\HKLM\\Leaf" is a key under HKCU). No two forms can match at one position,
    // since every form ends in its backslash and none begins another.
    const std::string upper = mbcs::UpperAscii(text);
    int row = -1;
    size_t rootPos = 0;
    size_t rootLen = 0;
    for (size_t pos = 0; pos < upper.size() && row < 0; pos += mbcs::CharLength(upper, pos)) {
        if (upper[pos] != 'H') continue;  // every form begins with HK
        for (int r = 0; r < kRootKeyCount && row < 0; ++r) {
            for (std::string_view form : {kRootKeyNames[r].longForm, kRootKeyNames[r].shortForm}) {
                if (upper.compare(pos, form.size(), form) != 0) continue;
                row = r;
                rootPos = pos;
                rootLen = form.size();
                break;
            }
        }
    }
    if (row < 0) return false;
    if (rootPos != 0) {
        if (!allowLeadingText) return false;
        text.erase(0, rootPos);
    }

    // The root forms hold no backslash but their last byte, so the first backslash of the
    // cut text is the one that ends the root name.
    out.row = row;
    out.subKey = text.substr(rootLen);
    out.path = std::move(text);
    return true;
}

bool ParseKeyPathUpper(std::string text, ParsedKeyPath& out) {
    if (!UnwrapBrackets(text)) return false;
    mbcs::MakeUpperAscii(text);

    for (int r = 0; r < kRootKeyCount; ++r) {
        for (std::string_view form : {kRootKeyNames[r].shortForm, kRootKeyNames[r].longForm}) {
            if (text.compare(0, form.size(), form) != 0) continue;
            if (text.size() == form.size()) return false;  // nothing after the root
            out.row = r;
            out.subKey = text.substr(form.size());
            out.path = std::move(text);
            return true;
        }
    }
    return false;
}

std::string FullKeyPathText(const ParsedKeyPath& parsed) {
    if (parsed.row < 0 || parsed.row >= kRootKeyCount) return std::string();
    std::string full(kRootKeyNames[parsed.row].longForm);
    full += parsed.subKey;
    return full;
}

bool KeyPathTextToShortcut(std::string_view text, std::string& location, std::string& name) {
    if (text.empty()) return false;
    ParsedKeyPath parsed;
    if (!ParseKeyPathText(std::string(text), true, parsed)) return false;
    if (parsed.subKey.empty() || parsed.path.empty()) return false;

    location = parsed.path;
    // The last key name: a double-byte character whose second byte is 0x5C is part of the
    // name, not a separator.
    size_t lastSep = mbcs::FindLastChar(parsed.subKey, '\\');
    name = lastSep == mbcs::npos ? parsed.subKey : parsed.subKey.substr(lastSep + 1);
    return !location.empty() && !name.empty();
}
