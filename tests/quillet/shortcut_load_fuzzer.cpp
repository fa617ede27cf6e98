// Loads arbitrary bytes as a shortcut file and checks the invariants of the result: every
// entry passes the line check, ids run from 0 in order, and writing the list and loading
// that text again gives the same text (a loaded list is a fixed point of write + load).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ShortcutEntryList.h"
#include "ShortcutLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The file reader hands the loader a zero-terminated text.
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));

    auto check = [](const std::string& line) { return IsShortcutLineSyntaxValid(line); };
    CShortcutEntryList list;
    int32_t nextId = 0;
    bool loaded = LoadShortcutLines(list, text, true, nextId, check);
    if (loaded != !text.empty()) abort();

    int32_t expectedId = 0;
    list.ForEach([&](const ShortcutEntry& entry) {
        if (entry.id != expectedId++) abort();
        if (!IsShortcutLineSyntaxValid(entry.text)) abort();
        if (TrimShortcutBlanks(entry.text).size() != entry.text.size()) abort();
        Shortcut parts;
        if (!SplitShortcutLine(entry.text, parts)) abort();
        if (MakeShortcutLine(parts.location, parts.name) != entry.text) abort();
    });
    if (expectedId != list.Count() || nextId != list.Count()) abort();

    std::string first;
    bool any = SerializeShortcutLines(list, first);
    if (any != (list.Count() > 0)) abort();
    if (!any) return 0;
    CShortcutEntryList again;
    int32_t againId = 0;
    if (!LoadShortcutLines(again, first, true, againId, check)) abort();
    std::string second;
    SerializeShortcutLines(again, second);
    if (first != second || again.Count() != list.Count()) abort();
    return 0;
}
