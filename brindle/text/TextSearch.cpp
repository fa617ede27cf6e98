#include "TextSearch.h"

#include <algorithm>

#include "Mbcs.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// Small enough that Esc is felt at once, large enough that the checks cost nothing.
constexpr size_t kSlice = size_t(4) << 20;

#if defined(__SSE2__)
// Sixteen starts a step: a start's bit is set when the needle's first and last bytes fit there
// (either case where the needle folds); only those starts are compared whole.
class CandidateScan {
public:
    CandidateScan(const std::string& needle, const std::string& fold) : m_lastAt(needle.size() - 1) {
        const unsigned char first = static_cast<unsigned char>(needle[0]);
        const unsigned char last = static_cast<unsigned char>(needle[m_lastAt]);
        m_f0 = _mm_set1_epi8(static_cast<char>(first));
        m_l0 = _mm_set1_epi8(static_cast<char>(last));
        m_f1 = _mm_set1_epi8(static_cast<char>(fold[0] ? first & ~0x20 : first));
        m_l1 = _mm_set1_epi8(static_cast<char>(fold[m_lastAt] ? last & ~0x20 : last));
    }
    unsigned Mask(const char* at) const {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + m_lastAt));
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, m_f0), _mm_cmpeq_epi8(a, m_f1)),
                                            _mm_or_si128(_mm_cmpeq_epi8(b, m_l0), _mm_cmpeq_epi8(b, m_l1)))));
    }

private:
    size_t m_lastAt;
    __m128i m_f0, m_f1, m_l0, m_l1;
};
#endif

}  // namespace

CTextSearch::CTextSearch(std::string_view needle, bool matchCase) : m_needle(needle), m_fold(needle.size(), 0) {
    for (size_t i = 0; i < m_needle.size(); i += mbcs::CharLength(m_needle, i)) {
        const unsigned char c = static_cast<unsigned char>(m_needle[i]);
        if (!matchCase && mbcs::CharLength(m_needle, i) == 1 && IsLetter(c)) {
            m_needle[i] = static_cast<char>(c | 0x20);
            m_fold[i] = 1;
        }
    }
    m_hasLineBreak = m_needle.find_first_of("\r\n") != std::string::npos;
}

bool CTextSearch::Matches(std::string_view text, size_t at, mbcs::CharStarts& starts) const {
    const size_t n = m_needle.size();
    if (n == 0 || at + n > text.size()) return false;
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data()) + at;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char want = static_cast<unsigned char>(m_needle[i]);
        if ((m_fold[i] ? (t[i] | 0x20) : t[i]) != want || (m_fold[i] && !IsLetter(t[i]))) return false;
    }
    // On a character (a line's CR LF ends one).
    if (starts.Start(at) != at) return false;
    // Ends on a character: the last needle character is whole (a needle ending in a lone lead
    // byte matches only a lone lead byte at the end of a line).
    const size_t end = at + n;
    const size_t last = mbcs::LastCharPos(m_needle);
    if (mbcs::CharLength(m_needle, last) == 1 && mbcs::IsLeadByte(static_cast<unsigned char>(m_needle[last])) &&
        end < text.size() && !(text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n'))
        return false;
    // Within one line: every CR LF of the text ends a line.
    if (m_hasLineBreak) {
        const std::string_view span = text.substr(at, n);
        if (span.find("\r\n") != std::string_view::npos) return false;
        if (span.front() == '\n' && at > 0 && text[at - 1] == '\r') return false;
        if (span.back() == '\r' && end < text.size() && text[end] == '\n') return false;
    }
    return true;
}

size_t CTextSearch::FindFirst(std::string_view text, size_t from, size_t to, mbcs::CharStarts& starts) const {
    const size_t n = m_needle.size();
    if (n == 0 || n > text.size()) return npos;
    to = std::min(to, text.size() - n + 1);  // the last start that leaves room for the needle
    size_t at = from;
#if defined(__SSE2__)
    const CandidateScan scan(m_needle, m_fold);
    for (; at + 16 <= to; at += 16) {
        for (unsigned mask = scan.Mask(text.data() + at); mask;) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
            if (Matches(text, at + bit, starts)) return at + bit;
            mask &= mask - 1;
        }
    }
#endif
    for (; at < to; ++at)
        if (Matches(text, at, starts)) return at;
    return npos;
}

size_t CTextSearch::FindLast(std::string_view text, size_t from, size_t to, mbcs::CharStarts& starts) const {
    const size_t n = m_needle.size();
    if (n == 0 || n > text.size()) return npos;
    to = std::min(to, text.size() - n + 1);
    size_t end = to;  // candidates below it are still to be looked at
#if defined(__SSE2__)
    const CandidateScan scan(m_needle, m_fold);
    for (; end >= from + 16; end -= 16) {
        const size_t at = end - 16;
        for (unsigned mask = scan.Mask(text.data() + at); mask;) {
            const unsigned bit = 31u - static_cast<unsigned>(__builtin_clz(mask));
            if (Matches(text, at + bit, starts)) return at + bit;
            mask &= ~(1u << bit);
        }
    }
#endif
    while (end > from)
        if (Matches(text, --end, starts)) return end;
    return npos;
}

size_t CTextSearch::Search(std::string_view text, size_t from, bool down, const std::atomic<bool>* cancel,
                           size_t* examined) const {
    from = std::min(from, text.size());
    mbcs::CharStarts starts(text, from);
    size_t found = npos;
    auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    const size_t n = m_needle.size();
    if (n > 0 && down) {
        for (size_t at = from; at < text.size() && found == npos && !cancelled(); at += kSlice)
            found = FindFirst(text, at, std::min(text.size(), at + kSlice), starts);
    } else if (n > 0 && from >= n) {
        for (size_t to = from - n + 1; to > 0 && found == npos && !cancelled();) {
            const size_t lo = to > kSlice ? to - kSlice : 0;
            found = FindLast(text, lo, to, starts);
            to = lo;
        }
    }
    if (examined) *examined = starts.Examined();
    return found;
}
