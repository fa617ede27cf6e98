#include "LinkDoc.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "LinkText.h"
#include "RegText.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

size_t FindByte(const char* p, size_t n, char c) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i want = _mm_set1_epi8(c);
    for (; i + 16 <= n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, want)));
        if (mask) return i + static_cast<size_t>(__builtin_ctz(mask));
    }
#endif
    for (; i < n; ++i)
        if (p[i] == c) return i;
    return n;
}

CLinkDoc::~CLinkDoc() { std::free(m_buf); }

void CLinkDoc::Clear() {
    std::free(m_buf);
    m_buf = nullptr;
    m_size = m_cap = 0;
    // swap, not clear(): a few million lines' index should not outlive the text.
    std::vector<std::unique_ptr<IndexBlock>>().swap(m_index);
    m_count = 0;
    m_nMaxLineLen = 0;
    m_pending = 0;
    m_noLink.clear();
    m_noLinkNext = 0;
    m_pendingNoLink = false;
    m_feeding = false;
    m_export = Export::Unknown;
    std::vector<int32_t>().swap(m_sections);
    std::vector<Wrapped>().swap(m_wrapped);
    m_wrapping = false;
}

bool CLinkDoc::Fail() {
    Clear();
    return false;
}

bool CLinkDoc::Reserve(size_t total) {
    if (total <= m_cap) return true;
    size_t cap = m_cap + m_cap / 2;
    if (cap < total) cap = total;
    char* grown = static_cast<char*>(std::realloc(m_buf, cap));
    if (!grown) return false;
    m_buf = grown;
    m_cap = cap;
    return true;
}

bool CLinkDoc::PushLine(size_t start, size_t end) {
    if (m_count >= static_cast<size_t>(INT32_MAX)) return false;  // indexes are 32-bit
    if (end > kMaxEnd) return false;
    const size_t slot = m_count & (kBlockLines - 1);
    if (slot == 0) {
        // bad_alloc is the only exception here, and it must not leave this class, which runs
        // inside window procedures.
        std::unique_ptr<IndexBlock> fresh(new (std::nothrow) IndexBlock);
        if (!fresh) return false;
        try {
            m_index.push_back(std::move(fresh));
        } catch (const std::bad_alloc&) { return false; }
    }
    IndexBlock& block = *m_index.back();
    bool noLink = m_pendingNoLink;
    m_pendingNoLink = false;
    for (; m_noLinkNext < m_noLink.size() && m_noLink[m_noLinkNext] < end; ++m_noLinkNext) noLink = true;
    const std::string_view text(m_buf + start, end - start);
    const int32_t kind = noLink ? kLostKind : ClassifyLine(text);
    if (!RecordExportLine(text, static_cast<int32_t>(m_count))) return false;
    block.low[slot] = static_cast<uint32_t>(end);
    const uint32_t endHigh = static_cast<uint32_t>(end >> 32) & kEndHighBits;
    block.high[slot] = static_cast<uint8_t>(endHigh | (static_cast<uint32_t>(kind) << kKindShift));
    ++m_count;
    if (end - start > m_nMaxLineLen) m_nMaxLineLen = end - start;
    return true;
}

bool CLinkDoc::RecordExportLine(std::string_view text, int32_t index) {
    const RegLine kind = RegLineOf(text);
    if (m_export == Export::Unknown && kind != RegLine::Blank)
        m_export = IsExportHeader(text) ? Export::Yes : Export::No;
    try {
        if (m_wrapping) m_wrapped.back().last = index;
        else if (kind == RegLine::Section) m_sections.push_back(index);
        const bool runsOn = (m_wrapping || kind == RegLine::Value) && RunsOn(text);
        if (runsOn && !m_wrapping) m_wrapped.push_back({index, index});
        m_wrapping = runsOn;
    } catch (const std::bad_alloc&) { return false; }
    return true;
}

int32_t CLinkDoc::SectionAbove(int32_t index) const {
    const auto after = std::upper_bound(m_sections.begin(), m_sections.end(), index);
    return after == m_sections.begin() ? -1 : *(after - 1);
}

int32_t CLinkDoc::WrappedValueStart(int32_t index) const {
    const auto after = std::upper_bound(m_wrapped.begin(), m_wrapped.end(), index,
                                        [](int32_t i, const Wrapped& w) { return i < w.first; });
    return after != m_wrapped.begin() && index <= (after - 1)->last ? (after - 1)->first : index;
}

bool CLinkDoc::SetText(std::string_view text) {
    if (!BeginText(text.size() + 2)) return false;
    if (!text.empty()) {
        char* area = AppendArea(text.size());
        if (!area) return false;
        std::memcpy(area, text.data(), text.size());
        if (!AppendCommit(text.size())) return false;
    }
    return EndText();
}

bool CLinkDoc::BeginText(size_t expectedBytes) {
    m_nMaxLineLen = 0;
    m_feeding = true;
    m_pending = m_size;
    m_textStart = m_size;
    m_noLink.clear();
    m_noLinkNext = 0;
    m_pendingNoLink = false;
    m_wrapping = false;
    // Room for the text and the CR LF the last line may need.
    if (expectedBytes && !Reserve(m_size + expectedBytes + 2)) return Fail();
    return true;
}

char* CLinkDoc::AppendArea(size_t n) {
    if (!m_feeding) return nullptr;
    if (!Reserve(m_size + n + 2)) {
        Fail();
        return nullptr;
    }
    return m_buf + m_size;
}

bool CLinkDoc::AppendCommit(size_t used) {
    if (!m_feeding || m_size + used + 2 > m_cap) return Fail();
    const size_t from = m_size;
    m_size += used;
    if (!SplitFrom(from)) return Fail();
    // Marks past the lines completed so far fall in the unfinished one.
    if (m_noLinkNext < m_noLink.size()) m_pendingNoLink = true;
    m_noLink.clear();
    m_noLinkNext = 0;
    return true;
}

bool CLinkDoc::MarkNoLink(size_t at) {
    if (!m_feeding) return false;
    try {
        m_noLink.push_back(m_size + at);
    } catch (const std::bad_alloc&) { return Fail(); }
    return true;
}

// Ends a line at every CR LF whose LF is among the bytes added since `from`. The CR may be
// the last byte of the previous piece, but it must lie within the pending line: in CR LF LF
// the second LF ends nothing.
bool CLinkDoc::SplitFrom(size_t from) {
    size_t pos = from;
    while (pos < m_size) {
        const size_t lf = pos + FindByte(m_buf + pos, m_size - pos, '\n');
        if (lf >= m_size) break;
        pos = lf + 1;
        if (lf == 0 || lf - 1 < m_pending || m_buf[lf - 1] != '\r') continue;
        if (!PushLine(m_pending, lf - 1)) return false;
        m_pending = lf + 1;
    }
    return true;
}

bool CLinkDoc::EndText() {
    if (!m_feeding) return false;
    m_feeding = false;
    const bool any = m_size > m_textStart;
    if (m_pending < m_size) {
        // The last line had no CR LF after it: give it one, as every stored line has.
        if (!Reserve(m_size + 2)) return Fail();
        m_buf[m_size] = '\r';
        m_buf[m_size + 1] = '\n';
        if (!PushLine(m_pending, m_size)) return Fail();
        m_size += 2;
    }
    m_pending = m_size;
    return any;
}

bool CLinkDoc::GetLine(int32_t index, LineItem& item) const {
    if (index < 0 || index >= GetLineCount()) return false;
    try {
        item.text.assign(LineText(index));
    } catch (const std::bad_alloc&) { return false; }
    item.kind = LineKind(index);
    return true;
}

std::string_view CLinkDoc::LineText(int32_t index) const {
    const size_t i = static_cast<size_t>(index);
    const size_t start = i == 0 ? 0 : static_cast<size_t>(EndOf(i - 1)) + 2;
    return std::string_view(m_buf + start, static_cast<size_t>(EndOf(i)) - start);
}

int32_t CLinkDoc::LineAt(size_t offset) const {
    // The first line whose CR LF ends after the offset.
    size_t lo = 0, hi = m_count;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (EndOf(mid) + 2 > offset) hi = mid;
        else lo = mid + 1;
    }
    return static_cast<int32_t>(std::min(lo, m_count ? m_count - 1 : 0));
}

TextMatch MatchInLine(int32_t line, size_t lineStart, size_t offset, size_t length) {
    TextMatch match;
    match.line = line;
    match.start = offset - lineStart;
    match.length = static_cast<uint32_t>(length);
    return match;
}

TextMatch CLinkDoc::MatchAt(size_t offset, size_t length) const {
    if (m_count == 0 || m_feeding || offset >= m_size) return TextMatch();
    const int32_t line = LineAt(offset);
    return MatchInLine(line, LineStart(line), offset, length);
}

bool CLinkDoc::Holds(const TextMatch& match) const {
    return match.line >= 0 && match.line < GetLineCount() && match.start + match.length <= LineText(match.line).size();
}

size_t CLinkDoc::SearchStart(const TextMatch& shown, bool down, int32_t topLine) const {
    if (Holds(shown)) return LineStart(shown.line) + shown.start + (down ? shown.length : 0);
    return m_count == 0 ? 0 : LineStart(std::clamp(topLine, 0, GetLineCount() - 1));
}

int32_t CLinkDoc::GetMaxLineLength() const {
    // The view adds 2 to this for its horizontal range; a line of 2 GB must not overflow it.
    return m_nMaxLineLen > static_cast<size_t>(INT32_MAX - 2) ? INT32_MAX - 2 : static_cast<int32_t>(m_nMaxLineLen);
}
