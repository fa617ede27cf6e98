// The ordered list of shortcut lines with their ids, and the list's text rules: loading a
// text of CR LF separated lines and writing the list back in the file's layout. No
// windows.h: the registry-dependent store (ShortcutStore.h) builds on this.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// One element of the list, owned by it.
struct ShortcutEntry {
    std::string text;  // the shortcut line
    int32_t id = 0;
    ShortcutEntry* next = nullptr;
};

// Entries in insertion order; only ever appended at the end. Positions are 0-based and a
// position outside 0..Count()-1 fails. Appending and counting take constant time (the list
// keeps its tail and its length), so loading a long file stays linear; look-ups by position
// or id walk from the head.
class CShortcutEntryList {
public:
    CShortcutEntryList() = default;
    virtual ~CShortcutEntryList();
    CShortcutEntryList(const CShortcutEntryList&) = delete;
    CShortcutEntryList& operator=(const CShortcutEntryList&) = delete;

    // False for an empty text or when memory runs out (nothing is then added).
    bool Append(std::string_view text, int32_t id);
    bool RemoveAt(int position);
    bool GetAt(int position, std::string& text, int32_t& id) const;
    int IndexOfId(int32_t id) const;  // first entry with that id, or -1
    bool TextAt(int position, std::string& text) const;
    bool SetTextAt(int position, std::string_view text);  // false for an empty text
    int Count() const { return m_count; }
    void Clear();

    // Visits every entry in order; for the whole-list passes (writing, filling a window).
    void ForEach(const std::function<void(const ShortcutEntry&)>& visit) const;

private:
    ShortcutEntry* EntryAt(int position) const;

    ShortcutEntry* m_head = nullptr;
    ShortcutEntry* m_tail = nullptr;
    int m_count = 0;
};

// Decides whether a trimmed line may enter the list.
using ShortcutLineCheck = std::function<bool(const std::string& line)>;

// The load rules. An empty text returns false and leaves the list alone, even with
// `replace`. Otherwise: with `replace` the list is cleared and `nextId` reset to 0; the text
// is cut into pieces at CR LF only (a lone CR or LF stays inside its piece); each piece is
// trimmed of blanks at both ends and, when non-empty and accepted by `isValidLine`,
// appended with id `nextId`, which then grows by one. Returns true whether or not any line
// was taken.
bool LoadShortcutLines(CShortcutEntryList& list, std::string_view text, bool replace, int32_t& nextId,
                       const ShortcutLineCheck& isValidLine);

// Every entry's line followed by CR LF, in list order, the last one included. True when the
// result is non-empty.
bool SerializeShortcutLines(const CShortcutEntryList& list, std::string& out);
