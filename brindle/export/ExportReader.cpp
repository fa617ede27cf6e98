#include "ExportReader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char16_t kHeader4[] = u"REGEDIT4";
constexpr char16_t kHeader5[] = u"Windows Registry Editor Version 5.00";

// Where the first CR, LF or zero stands in p[0, n), or n. Lines are found 8 units or 16
// bytes a step: the whole of both files passes through here.
size_t FindBreak(const char16_t* p, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    // First the units up to 13 (13 taken away leaves none): in most steps there are none.
    const __m128i cr = _mm_set1_epi16(13), lf = _mm_set1_epi16(10), zero = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (!_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(v, cr), zero))) continue;
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)), _mm_cmpeq_epi16(v, zero));
        if (const int mask = _mm_movemask_epi8(hit)) return i + static_cast<size_t>(__builtin_ctz(mask)) / 2;
    }
#endif
    while (i < n && p[i] != 13 && p[i] != 10 && p[i] != 0) ++i;
    return i;
}

// The same in bytes of an ANSI file, each byte before the break widened into out at the same
// place (16 a step: some after it too), and `high` given the top bits of those bytes.
size_t FindBreak(const char* p, size_t n, char16_t* out, unsigned& high) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8(13), lf = _mm_set1_epi8(10), zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(v, zero));
        const unsigned top = static_cast<unsigned>(_mm_movemask_epi8(v));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)), _mm_cmpeq_epi8(v, zero));
        if (const int mask = _mm_movemask_epi8(hit)) {
            const unsigned at = static_cast<unsigned>(__builtin_ctz(static_cast<unsigned>(mask)));
            high |= top & ((1u << at) - 1);
            return i + at;
        }
        high |= top;
    }
#endif
    for (; i < n && p[i] != 13 && p[i] != 10 && p[i] != 0; ++i) {
        out[i] = static_cast<unsigned char>(p[i]);
        high |= static_cast<unsigned char>(p[i]) & 0x80;
    }
    return i;
}

// Where the first and the last byte from 0x80 up stand in p[0, n), which holds one: 16 bytes a
// step from either end, the last few one by one.
std::pair<size_t, size_t> HighBytes(const char* p, size_t n) {
    size_t first = 0, last = n;  // `last` one past it until the end
#if defined(__SSE2__)
    for (int top; first + 16 <= n; first += 16)
        if ((top = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + first))))) {
            first += static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(top)));
            break;
        }
    for (int top; last >= 16; last -= 16)
        if ((top = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + last - 16))))) {
            last -= static_cast<size_t>(__builtin_clz(static_cast<unsigned>(top)) - 16);
            break;
        }
#endif
    while (static_cast<unsigned char>(p[first]) < 0x80) ++first;
    --last;
    while (static_cast<unsigned char>(p[last]) < 0x80) --last;
    return {first, last};
}

bool IsHeader(const char16_t* p, size_t n, const char16_t* header, size_t headerLength) {
    while (n > 0 && (*p == ' ' || *p == '\t')) ++p, --n;
    return n == headerLength && std::equal(p, p + n, header);
}

}  // namespace

CExportReader::CExportReader(CExportSource& source, AnsiDecoder decode, void* context)
    : m_source(source), m_decode(decode), m_context(context) {}

void CExportReader::Watch(std::atomic<uint64_t>* done, const std::atomic<bool>* stop) {
    m_done = done;
    m_stop = stop;
}

bool CExportReader::Open(size_t pieceBytes) {
    unsigned char mark[2] = {};
    size_t got = 0;
    while (got < 2) {
        size_t part = 0;
        if (!m_source.Read(got, mark + got, 2 - got, part)) {
            m_failed = true;
            return false;
        }
        if (part == 0) break;
        got += part;
    }
    m_utf16 = got == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    Seek(m_utf16 ? 2 : 0, pieceBytes);
    const char16_t* line;
    size_t length;
    uint64_t offset;
    if (!Next(line, length, offset)) {
        m_empty = !m_failed && !m_stopped && m_filled == 0;
        return false;
    }
    if (IsHeader(line, length, kHeader5, std::size(kHeader5) - 1)) m_format = ExportFormat::Version5;
    else if (IsHeader(line, length, kHeader4, std::size(kHeader4) - 1)) m_format = ExportFormat::Regedit4;
    else return false;
    return true;
}

void CExportReader::Seek(uint64_t offset, size_t pieceBytes) {
    const size_t unit = m_utf16 ? 2 : 1;
    m_piece = std::max<size_t>(pieceBytes, 64);
    m_scanned = 0;
    m_ended = false;
    if (offset >= m_base && offset - m_base < m_filled && (offset - m_base) % unit == 0) {
        m_pos = static_cast<size_t>(offset - m_base) / unit;
        return;
    }
    m_base = offset;
    m_filled = m_pos = 0;
    m_eof = false;
}

template <typename Unit>
bool CExportReader::Refill(std::vector<Unit>& buffer) {
    if (m_stop && m_stop->load(std::memory_order_relaxed)) {
        m_stopped = true;
        return false;
    }
    // The line begun stays; a line longer than the buffer doubles it, so that a line of
    // megabytes is scanned a few times at most.
    const size_t kept = m_filled - m_pos * sizeof(Unit);
    if (m_pos > 0) {
        std::memmove(buffer.data(), buffer.data() + m_pos, kept);
        m_base += m_pos * sizeof(Unit);
        m_filled = kept;
        m_pos = 0;
    }
    // A piece, or as much as the line begun, but no more than the file still holds.
    const uint64_t size = m_source.Size(), at = m_base + m_filled;
    const size_t want = static_cast<size_t>(
        std::min<uint64_t>(std::max(m_piece, kept), std::max<uint64_t>(size > at ? size - at : 0, 64)));
    if (buffer.size() * sizeof(Unit) < kept + want) buffer.resize((kept + want) / sizeof(Unit) + 1);
    size_t got = 0;
    if (!m_source.Read(m_base + m_filled, reinterpret_cast<char*>(buffer.data()) + m_filled,
                       std::min(want, buffer.size() * sizeof(Unit) - m_filled), got)) {
        m_failed = true;
        return false;
    }
    if (got == 0) m_eof = true;
    m_filled += got;
    if (m_done) m_done->fetch_add(got, std::memory_order_relaxed);
    return true;
}

template <typename Unit>
bool CExportReader::NextIn(std::vector<Unit>& buffer, const Unit*& text, size_t& length, uint64_t& offset,
                           bool notEmpty) {
    if (m_ended) return false;
    for (;;) {
        const size_t end = m_filled / sizeof(Unit);
        const Unit* p = buffer.data();
        // A line that starts with its break has no units: each CR or LF there ends one.
        if (notEmpty && m_scanned == 0)
            while (m_pos < end && (p[m_pos] == 13 || p[m_pos] == 10)) ++m_pos;
        const size_t at = m_pos + m_scanned + Scan(p + m_pos + m_scanned, end - m_pos - m_scanned);
        // A CR at the end of what was read may be the first half of a CR LF.
        const bool more = at == end || (p[at] == 13 && at + 1 == end);
        if (!more || m_eof) {
            if (at == end && m_filled % sizeof(Unit)) m_break = ExportBreak::OddByte;
            if (at == m_pos && at == end) return false;
            text = p + m_pos;
            length = at - m_pos;
            offset = m_base + m_pos * sizeof(Unit);
            if (at == end || p[at] == 0) m_ended = true;
            if (at < end && p[at] == 0 && m_base + (at + 1) * sizeof(Unit) < m_source.Size())
                m_break = ExportBreak::ZeroCharacter;
            else m_pos = at + 1 + (p[at] == 13 && at + 1 < end && p[at + 1] == 10);
            m_scanned = 0;
            return true;
        }
        m_scanned = at - m_pos;
        if (!Refill(buffer)) return false;
    }
}

size_t CExportReader::Scan(const char16_t* p, size_t n) { return FindBreak(p, n); }

size_t CExportReader::Scan(const char* p, size_t n) {
    if (m_scanned == 0) m_high = 0;
    if (m_line.size() < m_scanned + n + 16) m_line.resize(m_scanned + n + 16);
    return FindBreak(p, n, m_line.data() + m_scanned, m_high);
}

bool CExportReader::Next(const char16_t*& text, size_t& length, uint64_t& offset) {
    return NextLine(text, length, offset, false);
}

bool CExportReader::NextNotEmpty(const char16_t*& text, size_t& length, uint64_t& offset) {
    return NextLine(text, length, offset, true);
}

bool CExportReader::NextLine(const char16_t*& text, size_t& length, uint64_t& offset, bool notEmpty) {
    if (m_utf16) return NextIn(m_wide, text, length, offset, notEmpty);
    const char* bytes;
    if (!NextIn(m_bytes, bytes, length, offset, notEmpty)) return false;
    // Registry exports are almost all ASCII: the line's bytes were widened as its end was looked
    // for (Scan); a line with any other byte then has that part converted (a double-byte
    // character's second byte may look like ASCII).
    if (m_high) {
        // Converted from its first byte above ASCII up to the character of its last (that
        // byte's own, or the one it begins with the ASCII byte after it): the bytes before and
        // after are characters of their own, widened already. Most such lines hold a name or two
        // of Chinese among ASCII.
        const auto [first, last] = HighBytes(bytes, length);
        const size_t end = std::min(length, last + 2);
        const size_t units = m_decode(bytes + first, end - first, m_line.data() + first, m_context);
        if (units != end - first)
            std::memmove(m_line.data() + first + units, m_line.data() + end, (length - end) * sizeof(char16_t));
        length -= end - first - units;
    }
    text = m_line.data();
    return true;
}
