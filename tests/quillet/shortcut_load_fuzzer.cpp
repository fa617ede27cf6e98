// Arbitrary bytes loaded as a shortcut file: every entry passes the line check and is
// trimmed, ids run from 0 in order, and a loaded list is a fixed point of write + load.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "ShortcutEntryList.h"
#include "ShortcutLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The file reader hands the loader a zero-terminated text.
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));

    CShortcutEntryList list;
    int32_t nextId = 0;
    if (LoadShortcutLines(list, text, true, nextId, IsShortcutLineSyntaxValid) == text.empty()) abort();

    int32_t expectedId = 0;
    list.ForEach([&](const ShortcutEntry& entry) {
        Shortcut parts;
        if (entry.id != expectedId++ || !IsShortcutLineSyntaxValid(entry.text) ||
            TrimShortcutBlanks(entry.text).size() != entry.text.size() || !SplitShortcutLine(entry.text, parts))
            abort();
        // Made again, the line keeps every byte but a lone CR or LF and a later 0x03 (a file
        // may hold them), which become blanks: one line with one separator.
        const std::string made = MakeShortcutLine(parts.location, parts.name);
        bool same = made.size() == entry.text.size() && made.find_first_of("\r\n") == std::string::npos &&
                    made.find('\x03') == parts.location.size() &&
                    made.find('\x03', made.find('\x03') + 1) == std::string::npos;
        for (size_t i = 0; same && i < made.size(); ++i)
            same = made[i] == entry.text[i] || (made[i] == ' ' && strchr("\r\n\x03", entry.text[i]));
        if (!same) abort();
    });
    if (expectedId != list.Count() || nextId != list.Count()) abort();

    std::string first, second;
    if (SerializeShortcutLines(list, first) != (list.Count() > 0)) abort();
    if (list.Count() == 0) return 0;
    CShortcutEntryList again;
    int32_t againId = 0;
    if (!LoadShortcutLines(again, first, true, againId, IsShortcutLineSyntaxValid)) abort();
    SerializeShortcutLines(again, second);
    if (first != second) abort();
    return 0;
}
