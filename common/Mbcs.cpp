#include "Mbcs.h"

namespace mbcs {

size_t CharLength(std::string_view text, size_t pos) {
    if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos]))) return 2;
    return 1;
}

size_t FindLastChar(std::string_view text, char c) {
    size_t found = npos;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (text[i] == c) found = i;
    }
    return found;
}

size_t FindDoubleBackslash(std::string_view text) {
    bool previousWasBackslash = false;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        bool backslash = text[i] == '\\';
        if (backslash && previousWasBackslash) return i - 1;
        previousWasBackslash = backslash;
    }
    return npos;
}

// The end of the text is no character's start (the text may end in a lone lead byte).
CharStarts::CharStarts(std::string_view text, size_t known)
    : m_text(text), m_lo(known < text.size() ? known : 0), m_hi(m_lo) {}

size_t CharStarts::Start(size_t pos) {
    if (pos >= m_text.size() || pos == 0) return pos;
    auto lead = [this](size_t at) {
        ++m_examined;
        return IsLeadByte(static_cast<unsigned char>(m_text[at]));
    };
    if (pos > m_hi) {
        // Back to the stretch, or to the byte below the lead range that starts this run.
        size_t run = pos;
        while (run > m_hi && lead(run - 1)) --run;
        if (run > m_hi) m_lo = run;
        m_hi = pos;
    } else if (pos < m_lo) {
        // Up to the stretch: all lead-range bytes, and pos pairs up with its start.
        size_t up = pos;
        while (up < m_lo && lead(up)) ++up;
        if (up == m_lo) {
            // An odd count leaves pos a trail byte, whose lead byte joins the stretch.
            m_lo = (m_lo - pos) % 2 ? pos - 1 : pos;
            return m_lo;
        }
        // A byte below the lead range lies between: this run starts further down.
        size_t run = pos;
        while (run > 0 && lead(run - 1)) --run;
        m_lo = run;
        m_hi = pos;
    }
    // From m_lo the lead-range bytes pair up: an odd count leaves pos a trail byte.
    return (pos - m_lo) % 2 ? pos - 1 : pos;
}

size_t LastCharPos(std::string_view text) {
    size_t last = npos;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) last = i;
    return last;
}

void MakeUpperAscii(std::string& text) {
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        char& c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    MakeUpperAscii(upper);
    return upper;
}

}  // namespace mbcs
