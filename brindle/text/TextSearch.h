// Find in the viewer's text: what counts as a match, searched over the document's own buffer
// in place (no copy of the text, nothing allocated per line). No windows.h: tested natively
// and fuzzed.
//
// A match lies within one line, starts on a character and ends on one (code page 936: a
// lead byte takes the next byte with it), so a search for "\" never stops inside a character
// whose trail byte is 0x5C. Unless the case must match, the 26 ASCII letters match either
// case; every other byte, those of double-byte characters among them, compares exactly.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

#include "Mbcs.h"

class CTextSearch {
public:
    static constexpr size_t npos = std::string_view::npos;

    CTextSearch(std::string_view needle, bool matchCase);

    size_t Length() const { return m_needle.size(); }

    // A whole search as the view runs it, without wrapping: down, the first match that starts
    // at or after `from`; up, the last one that ends at or before it; npos when there is none.
    // `text` is the document's (lines each followed by CR LF). `from` starts a character (a
    // line's start, a match's edge): what the search knows of where characters start grows
    // from there and is carried from slice to slice, so no byte is walked over twice however
    // long a run of lead-range bytes is. Reads `cancel` between slices of a few MB and gives
    // up (npos) once it is set. `examined`, when given, receives the bytes looked at to find
    // where characters start.
    size_t Search(std::string_view text, size_t from, bool down, const std::atomic<bool>* cancel = nullptr,
                  size_t* examined = nullptr) const;

private:
    // The first match that starts in [from, to), or the last one; npos when there is none. A
    // match may run past `to` but not past the text's end.
    size_t FindFirst(std::string_view text, size_t from, size_t to, mbcs::CharStarts& starts) const;
    size_t FindLast(std::string_view text, size_t from, size_t to, mbcs::CharStarts& starts) const;
    bool Matches(std::string_view text, size_t at, mbcs::CharStarts& starts) const;

    std::string m_needle;  // letters lower-cased where they fold
    std::string m_fold;    // per needle byte: 1 where either case of a letter matches
    bool m_hasLineBreak = false;
};
