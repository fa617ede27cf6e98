#include "TextDecode.h"

#include <algorithm>
#include <cstring>

#include "LinkDoc.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

TextEncoding DetectEncoding(const unsigned char* first, size_t n) {
    return (n >= 2 && first[0] == 0xFF && first[1] == 0xFE) ? TextEncoding::Utf16 : TextEncoding::Ansi;
}

namespace {
// Out of memory or a broken call: the decoder takes nothing more.
bool Fail(bool& ended, bool& failed) {
    ended = failed = true;
    return false;
}
}  // namespace

CTextDecoder::CTextDecoder(CLinkDoc& doc, TextEncoding encoding, WideRunConverter convert, void* context,
                           size_t maxBytesPerUnit)
    : m_doc(doc), m_encoding(encoding), m_convert(convert), m_context(context),
      m_maxBytes(std::clamp<size_t>(maxBytesPerUnit, 2, 8)) {}

bool CTextDecoder::Begin(uint64_t dataSize) {
    // UTF-16 never grows in code page 936: a unit gives at most two bytes (a code page
    // with larger characters, UTF-8, may need more). Pages reserved beyond what the text
    // needs are never touched, so they cost address space only. The few bytes more cover
    // the room the conversion asks for ahead of its last piece, so that the buffer never
    // has to grow (and be copied) near the end of a large file.
    if (dataSize > SIZE_MAX / 16) return Fail(m_ended, m_failed);
    const uint64_t room = (m_encoding == TextEncoding::Utf16 ? (dataSize + 1) / 2 * m_maxBytes : dataSize) + 64;
    if (!m_doc.BeginText(static_cast<size_t>(room))) return Fail(m_ended, m_failed);
    return true;
}

char* CTextDecoder::AnsiArea(size_t n) {
    if (m_ended || m_encoding != TextEncoding::Ansi) return nullptr;
    m_area = m_doc.AppendArea(n);
    m_areaSize = n;
    if (!m_area) m_ended = m_failed = true;
    return m_area;
}

bool CTextDecoder::AnsiCommit(size_t got) {
    if (m_ended) return false;
    // The text ends at its first zero byte.
    char* area = m_area;
    m_area = nullptr;
    if (!area || got > m_areaSize) return Fail(m_ended, m_failed);
    const size_t used = FindByte(area, got, '\0');
    const bool zero = used < got;
    if (!m_doc.AppendCommit(used)) return Fail(m_ended, m_failed);
    if (zero) m_ended = true;
    return !m_ended;
}

bool CTextDecoder::Feed(const unsigned char* data, size_t n) {
    if (m_ended) return false;
    if (m_encoding == TextEncoding::Ansi) {
        char* area = AnsiArea(n);
        if (!area) return false;
        if (n) std::memcpy(area, data, n);
        return AnsiCommit(n);
    }
    // UTF-16: whole units from here, a byte left over kept for the next piece. Units are
    // assembled byte by byte: the data need not be aligned.
    constexpr size_t kChunk = 1 << 14;
    char16_t units[kChunk];
    size_t i = 0;
    while (i < n && !m_ended) {
        size_t count = 0;
        if (m_haveOdd) {
            units[count++] = static_cast<char16_t>(m_odd | (data[i++] << 8));
            m_haveOdd = false;
        }
        const size_t pairs = std::min((n - i) / 2, kChunk - count);
        std::memcpy(units + count, data + i, pairs * 2);
        count += pairs;
        i += pairs * 2;
        if (n - i == 1 && count < kChunk) {
            m_odd = data[i++];
            m_haveOdd = true;
        }
        if (!FeedUnits(units, count)) break;
    }
    return !m_ended;
}

// Keeps a trailing high surrogate for the next piece so that a pair is always converted
// whole; a zero unit ends the text (ConvertUnits sets m_ended).
bool CTextDecoder::FeedUnits(const char16_t* units, size_t n) {
    if (n == 0) return true;
    if (m_haveHigh) {
        m_haveHigh = false;
        const char16_t joined[2] = {m_high, units[0]};
        const bool pair = units[0] >= 0xDC00 && units[0] <= 0xDFFF;
        if (!ConvertUnits(joined, pair ? 2 : 1)) return false;
        if (pair) ++units, --n;
    }
    if (n > 0 && units[n - 1] >= 0xD800 && units[n - 1] <= 0xDBFF) {
        m_high = units[n - 1];
        m_haveHigh = true;
        --n;
    }
    if (!ConvertUnits(units, n)) return false;
    if (m_ended) m_haveHigh = false;  // what stood after the zero is not text
    return true;
}

namespace {

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

// The ASCII units (other than zero) at the start of src, written to dst as bytes; returns
// how many.
size_t CopyAscii(const char16_t* src, size_t n, char* dst) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 8));
        const __m128i badA = _mm_or_si128(_mm_and_si128(a, high), _mm_cmpeq_epi16(a, zero));
        const __m128i badB = _mm_or_si128(_mm_and_si128(b, high), _mm_cmpeq_epi16(b, zero));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(badA, badB), zero)) != 0xFFFF) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
    }
#endif
    while (i < n && src[i] < 0x80 && src[i] != 0) {
        dst[i] = static_cast<char>(src[i]);
        ++i;
    }
    return i;
}

}  // namespace

// ASCII byte for byte, every run of other units through the system's conversion, up to
// the first zero unit.
bool CTextDecoder::ConvertUnits(const char16_t* units, size_t n) {
    constexpr size_t kPiece = 1 << 16;
    size_t i = 0;
    while (i < n && !m_ended) {
        const size_t piece = std::min(n - i, kPiece);
        // The code page's largest character for each unit, and one unit more when a pair
        // straddles the piece's end.
        char* dst = m_doc.AppendArea((piece + 1) * m_maxBytes);
        if (!dst) return Fail(m_ended, m_failed);
        const char16_t* src = units + i;
        size_t out = 0, k = 0;
        while (k < piece) {
            const size_t ascii = CopyAscii(src + k, piece - k, dst + out);
            out += ascii;
            k += ascii;
            if (k < piece && src[k] == 0) {
                m_ended = true;
                break;
            }
            size_t run = k;
            while (run < piece && src[run] >= 0x80) ++run;
            // A pair straddling the piece's end goes whole into this run.
            if (run == piece && run > k && i + run < n && IsHigh(src[run - 1]) && src[run] >= 0xDC00 &&
                src[run] <= 0xDFFF)
                ++run;
            if (run > k) {
                bool lost = false;
                const size_t wrote = m_convert(src + k, run - k, dst + out, m_context, &lost);
                if (lost && !m_doc.MarkNoLink(out)) return Fail(m_ended, m_failed);
                out += wrote;
                k = run;
            }
        }
        if (!m_doc.AppendCommit(out)) return Fail(m_ended, m_failed);
        i += k;
    }
    return true;
}

bool CTextDecoder::Finish() {
    if (!m_failed && !m_ended && m_encoding == TextEncoding::Utf16) {
        // A last odd byte is the low half of a unit whose high half is zero, as in a
        // zero-filled buffer; a high surrogate left waiting is converted alone.
        if (m_haveOdd) {
            m_haveOdd = false;
            const char16_t last = m_odd;
            FeedUnits(&last, 1);
        }
        if (m_haveHigh && !m_failed) {
            m_haveHigh = false;
            const char16_t high = m_high;
            ConvertUnits(&high, 1);
        }
    }
    if (m_failed) {
        m_doc.Clear();
        return false;
    }
    return m_doc.EndText();
}

bool DecodeTextInto(CLinkDoc& doc, const unsigned char* data, size_t n, WideRunConverter convert, void* context,
                    size_t maxBytesPerUnit) {
    const TextEncoding enc = DetectEncoding(data, n);
    const size_t skip = enc == TextEncoding::Utf16 ? 2 : 0;
    CTextDecoder decoder(doc, enc, convert, context, maxBytesPerUnit);
    if (!decoder.Begin(n - skip)) return decoder.Finish();
    decoder.Feed(data + skip, n - skip);
    return decoder.Finish();
}
