#include "ShortcutEntryList.h"

#include <new>

#include "ShortcutLine.h"

CShortcutEntryList::~CShortcutEntryList() { Clear(); }

bool CShortcutEntryList::Append(std::string_view text, int32_t id) {
    if (text.empty()) return false;
    ShortcutEntry* entry = new (std::nothrow) ShortcutEntry;
    if (!entry) return false;
    try {
        entry->text.assign(text.data(), text.size());
    } catch (const std::bad_alloc&) {
        delete entry;
        return false;
    }
    entry->id = id;
    if (m_tail) m_tail->next = entry;
    else m_head = entry;
    m_tail = entry;
    ++m_count;
    return true;
}

ShortcutEntry* CShortcutEntryList::EntryAt(int position) const {
    if (position < 0 || position >= m_count) return nullptr;
    ShortcutEntry* entry = m_head;
    while (position-- > 0) entry = entry->next;
    return entry;
}

bool CShortcutEntryList::RemoveAt(int position) {
    if (position < 0 || position >= m_count) return false;
    ShortcutEntry* previous = position == 0 ? nullptr : EntryAt(position - 1);
    ShortcutEntry* entry = previous ? previous->next : m_head;
    if (previous) previous->next = entry->next;
    else m_head = entry->next;
    if (m_tail == entry) m_tail = previous;
    --m_count;
    delete entry;
    return true;
}

bool CShortcutEntryList::GetAt(int position, std::string& text, int32_t& id) const {
    const ShortcutEntry* entry = EntryAt(position);
    if (!entry) return false;
    text = entry->text;
    id = entry->id;
    return true;
}

int CShortcutEntryList::IndexOfId(int32_t id) const {
    int position = 0;
    for (const ShortcutEntry* entry = m_head; entry; entry = entry->next, ++position) {
        if (entry->id == id) return position;
    }
    return -1;
}

bool CShortcutEntryList::TextAt(int position, std::string& text) const {
    const ShortcutEntry* entry = EntryAt(position);
    if (!entry) return false;
    text = entry->text;
    return true;
}

bool CShortcutEntryList::SetTextAt(int position, std::string_view text) {
    ShortcutEntry* entry = EntryAt(position);
    if (!entry || text.empty()) return false;
    try {
        entry->text.assign(text.data(), text.size());
    } catch (const std::bad_alloc&) { return false; }
    return true;
}

void CShortcutEntryList::Clear() {
    // Iteratively: a recursive release would put every entry of a long list on the stack.
    ShortcutEntry* entry = m_head;
    while (entry) {
        ShortcutEntry* next = entry->next;
        delete entry;
        entry = next;
    }
    m_head = m_tail = nullptr;
    m_count = 0;
}

void CShortcutEntryList::ForEach(const std::function<void(const ShortcutEntry&)>& visit) const {
    for (const ShortcutEntry* entry = m_head; entry; entry = entry->next) visit(*entry);
}

bool LoadShortcutLines(CShortcutEntryList& list, std::string_view text, bool replace, int32_t& nextId,
                       const ShortcutLineCheck& isValidLine) {
    if (text.empty()) return false;
    if (replace) {
        list.Clear();
        nextId = 0;
    }
    std::string piece;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        bool last = end == std::string_view::npos;
        std::string_view trimmed = TrimShortcutBlanks(text.substr(pos, last ? std::string_view::npos : end - pos));
        if (!trimmed.empty()) {
            piece.assign(trimmed.data(), trimmed.size());
            if (isValidLine(piece)) {
                list.Append(piece, nextId);
                ++nextId;
            }
        }
        if (last) break;
        pos = end + 2;
    }
    return true;
}

bool SerializeShortcutLines(const CShortcutEntryList& list, std::string& out) {
    size_t total = 0;
    list.ForEach([&](const ShortcutEntry& entry) { total += entry.text.size() + 2; });
    out.clear();
    out.reserve(total);
    list.ForEach([&](const ShortcutEntry& entry) {
        out += entry.text;
        out += "\r\n";
    });
    return !out.empty();
}
