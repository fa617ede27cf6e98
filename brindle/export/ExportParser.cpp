#include "ExportParser.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The roots import opens keys under, by their long names in any letter case; a key line under
// any other name (a short form such as HKCU among them) creates nothing.
constexpr std::u16string_view kRoots[] = {u"HKEY_LOCAL_MACHINE", u"HKEY_CURRENT_USER", u"HKEY_CURRENT_CONFIG",
                                          u"HKEY_CLASSES_ROOT", u"HKEY_USERS"};

struct HexTable {
    signed char value[128] = {};
    constexpr HexTable() {
        for (int c = 0; c < 128; ++c) value[c] = -1;
        for (int c = 0; c < 10; ++c) value['0' + c] = static_cast<signed char>(c);
        for (int c = 0; c < 6; ++c) value['a' + c] = value['A' + c] = static_cast<signed char>(10 + c);
    }
};
constexpr HexTable kHex;

int HexValue(char16_t c) { return c < 128 ? kHex.value[c] : -1; }

const char16_t* SkipBlanks(const char16_t* p, const char16_t* end) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    return p;
}

// Unit by unit: the prefixes are a few units long, and a library comparison called for each
// value line cost more than the comparing.
bool StartsWith(const char16_t* p, const char16_t* end, std::u16string_view prefix) {
    if (static_cast<size_t>(end - p) < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (p[i] != prefix[i]) return false;
    return true;
}

// Whether p's first name.size() units (8 or more) are the name's capitals and underscores,
// small letters taken for capitals: 8 units a step, the last 8 perhaps with some again.
bool SameCapitals(const char16_t* p, std::u16string_view name) {
    const size_t n = name.size();
#if defined(__SSE2__)
    for (size_t i = 0;; i = std::min(i + 8, n - 8)) {
        const __m128i folded = FoldAscii8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
        const __m128i same =
            _mm_cmpeq_epi16(folded, _mm_loadu_si128(reinterpret_cast<const __m128i*>(name.data() + i)));
        if (_mm_movemask_epi8(same) != 0xFFFF) return false;
        if (i == n - 8) return true;
    }
#else
    for (size_t i = 0; i < n; ++i)
        if (p[i] != name[i] && !(p[i] >= 'a' && p[i] <= 'z' && p[i] - 32 == name[i])) return false;
    return true;
#endif
}

// Every key line asks this: the root is told by its length, then compared 8 units a step.
bool UnderKnownRoot(std::u16string_view path) {
    for (std::u16string_view name : kRoots) {
        const size_t n = name.size();
        if (path.size() < n || (path.size() > n && path[n] != u'\\')) continue;
        if (SameCapitals(path.data(), name)) return true;
    }
    return false;
}

// Whether the data of a value line, of no known kind, is a beginning of a prefix ("", "dwo",
// "he"): the line ends where its data should start.
bool EndsInPrefix(const char16_t* p, const char16_t* end) {
    const std::u16string_view data(p, static_cast<size_t>(end - p));
    for (std::u16string_view prefix : {u"dword:", u"hex:"})
        if (data.size() < prefix.size() && prefix.substr(0, data.size()) == data) return true;
    return false;
}

void AppendUtf16(CBuffer<uint8_t>& out, const char16_t* p, size_t n) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (n > 0) CopyBytes(out.Extend(2 * n), p, 2 * n);  // the units as they lie in memory
#else
    uint8_t* at = out.Extend(2 * n);
    for (size_t i = 0; i < n; ++i) {
        at[2 * i] = static_cast<uint8_t>(p[i] & 0xFF);
        at[2 * i + 1] = static_cast<uint8_t>(p[i] >> 8);
    }
#endif
}

// Where the first backslash or quote stands in [p, end), or end: strings (paths, most of
// them) are scanned 8 units a step.
#if defined(__SSE2__)
// Two bits for each of 8 units that is a backslash or a quote.
int EscapeOrQuoteBits(__m128i v) {
    return _mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16(u'\\')), _mm_cmpeq_epi16(v, _mm_set1_epi16(u'"'))));
}
#endif

const char16_t* FindEscapeOrQuote(const char16_t* p, const char16_t* end) {
#if defined(__SSE2__)
    for (; end - p >= 8; p += 8)
        if (const int mask = EscapeOrQuoteBits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))))
            return p + __builtin_ctz(mask) / 2;
#endif
    while (p < end && *p != u'\\' && *p != u'"') ++p;
    return p;
}

}  // namespace

char16_t FoldCase(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    if (c < 0x100) {
        if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
        if (c == 0xFF) return 0x178;
        return c == 0xB5 ? 0x39C : c;  // the micro sign is the Greek small mu
    }
    if (c < 0x180) {  // Latin Extended-A: capital and small letter side by side
        if (c == 0x131) return u'I';
        if (c == 0x17F) return u'S';
        if (c == 0x138 || c == 0x149) return c;  // no capital
        const bool capitalOdd = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        return (c % 2 == 1) != capitalOdd ? static_cast<char16_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3CB) return c == 0x3C2 ? 0x3A3 : static_cast<char16_t>(c - 0x20);  // final sigma
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return static_cast<char16_t>(c - 0x25);
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return static_cast<char16_t>(c - 0x3F);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
    return c;
}

CExportParser::CExportParser(Handler& handler, ExportFormat format, AnsiDecoder decode, void* context)
    : m_handler(handler), m_format(format), m_decode(decode), m_context(context) {}

void CExportParser::Line(const char16_t* text, size_t length, uint64_t offset) {
    const char16_t* end = text + length;
    const char16_t* p = SkipBlanks(text, end);
    if (m_wrapped) {
        if (p == end || *p == ';') return;
        m_wrapped = m_cut = false;
        if (HexValue(*p) >= 0) HexData(p, end);  // else the value is void and this line lost with it
        return;
    }
    if (p == end) return;
    m_cut = false;
    if (*p == '[') KeyLine(p + 1, end, offset);
    else if (*p == '"') QuotedName(p + 1, end);
    else if (*p == '@') {
        m_rawView = m_nameView = {};
        Data(p + 1, end);
    }
}

void CExportParser::End() {
    if (!m_wrapped) return;
    m_cut = true;  // a `\` whose continuation never came
    StoreHex();
}

void CExportParser::KeyLine(const char16_t* p, const char16_t* end, uint64_t offset) {
    if (p < end && (*p == ' ' || *p == '\t')) return;
    size_t close = static_cast<size_t>(end - p);
    while (close > 0 && p[close - 1] != ']') --close;
    if (close == 0) {
        m_cut = true;  // no `]`: the line ends inside the key's path
        return;
    }
    const std::u16string_view path(p, close - 1);
    const bool deletes = !path.empty() && path[0] == '-';
    m_keyOpen = !deletes && UnderKnownRoot(path);
    if (m_keyOpen) m_handler.Key(path, offset);
    else if (deletes && UnderKnownRoot(path.substr(1))) m_handler.KeyDeleted(path.substr(1), offset);
    else m_handler.KeyClosed();
}

// A text of many escapes (a long list of paths) has a run of a few units between two: the text
// is written into room made once for all of it, through a pointer of its own, 8 units a step
// whatever comes after the run (the room holds them: no unit written is ever more than one read).
const char16_t* CExportParser::Unescape(const char16_t* p, const char16_t* end, CBuffer<char16_t>& out) {
    out.Clear();
    char16_t* const room = out.Extend(static_cast<size_t>(end - p));
    char16_t* to = room;
    const auto ends = [&](const char16_t* at) {
        out.Shrink(static_cast<size_t>(to - room));
        return at;
    };
    for (;;) {
#if defined(__SSE2__)
        for (; end - p >= 8; p += 8, to += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), v);
            if (const int mask = EscapeOrQuoteBits(v)) {
                const int units = __builtin_ctz(mask) / 2;
                p += units, to += units;
                break;
            }
        }
#endif
        while (p < end && *p != u'\\' && *p != u'"') *to++ = *p++;
        if (p == end) return ends(end);
        if (*p == '"') return ends(p);
        if (++p == end) return ends(end);
        if (*p == '0') return ends(nullptr);
        *to++ = *p == 'n' ? u'\n' : *p == 'r' ? u'\r' : *p;
        ++p;
    }
}

// The name is mostly without escapes: then both views are of the line itself, and copied only
// if the value goes on in the next line (KeepName).
void CExportParser::QuotedName(const char16_t* p, const char16_t* end) {
    const char16_t* close = FindEscapeOrQuote(p, end);
    if (close < end && *close == '"') {
        m_nameView = std::u16string_view(p, static_cast<size_t>(close - p));
    } else {
        close = Unescape(p, end, m_name);
        if (!close || close == end) {
            m_cut = close == end;
            return;
        }
        m_nameView = m_name.View();
    }
    m_rawView = std::u16string_view(p, static_cast<size_t>(close - p));
    Data(close + 1, end);
}

void CExportParser::KeepName() {
    if (m_rawView.data() != m_rawName.Data()) m_rawName.Assign(m_rawView);
    m_rawView = m_rawName.View();
    if (m_nameView.data() != m_name.Data()) m_name.Assign(m_nameView);
    m_nameView = m_name.View();
}

void CExportParser::Data(const char16_t* p, const char16_t* end) {
    p = SkipBlanks(p, end);
    if (p == end || *p != '=') {
        m_cut = p == end;
        return;
    }
    p = SkipBlanks(p + 1, end);
    while (end > p && (end[-1] == ' ' || end[-1] == '\t')) --end;
    if (p < end && *p == '-') {
        const char16_t* rest = SkipBlanks(p + 1, end);
        if (rest == end || *rest == ';') Deliver(ExportDataForm::Hex, {}, true);
        return;
    }
    if (StartsWith(p, end, u"\"")) return StringData(p, end);
    if (StartsWith(p, end, u"dword:")) return DwordData(p + 6, end);
    if (StartsWith(p, end, u"hex:")) {
        m_type = 3;
        p += 4;
    } else if (StartsWith(p, end, u"hex(")) {
        p += 4;
        if (p == end || (end - p >= 2 && (p[1] == 'x' || p[1] == 'X'))) {
            m_cut = p == end;
            return;
        }
        uint64_t type = 0;
        for (; p < end && HexValue(*p) >= 0; ++p) type = std::min<uint64_t>(type * 16 + HexValue(*p), 1ull << 32);
        if (type > 0xFFFFFFFFu || end - p < 2 || p[0] != ')' || p[1] != ':') {
            m_cut = type <= 0xFFFFFFFFu && (p == end || (end - p == 1 && *p == ')'));  // "hex(2", "hex(2)"
            return;
        }
        m_type = static_cast<uint32_t>(type);
        p += 2;
    } else {
        m_cut = EndsInPrefix(p, end);
        return;
    }
    m_data.Clear();
    if (p == end) return Deliver(ExportDataForm::Hex, {}, false);  // no data at all: stored empty
    HexData(p, end);
}

void CExportParser::StringData(const char16_t* p, const char16_t* end) {
    // Mostly without escapes: then the text goes into the data as it stands.
    const char16_t* close = FindEscapeOrQuote(p + 1, end);
    const bool plain = close < end && *close == '"';
    if (!plain) close = Unescape(p + 1, end, m_string);
    if (!close || close == end) {
        m_cut = close == end;
        return;
    }
    const char16_t* rest = SkipBlanks(close + 1, end);
    if (rest != end && *rest != ';') return;
    m_type = 1;
    m_data.Clear();
    if (plain) AppendUtf16(m_data, p + 1, static_cast<size_t>(close - p - 1));
    else AppendUtf16(m_data, m_string.Data(), m_string.Size());
    m_data.PushBack(0);  // its final zero
    m_data.PushBack(0);
    Deliver(ExportDataForm::String, std::u16string_view(p, static_cast<size_t>(close + 1 - p)), false);
}

void CExportParser::DwordData(const char16_t* p, const char16_t* end) {
    p = SkipBlanks(p, end);
    const char16_t* digits = p;
    uint32_t value = 0;
    for (; p < end && HexValue(*p) >= 0 && p - digits < 9; ++p)
        value = value * 16 + static_cast<uint32_t>(HexValue(*p));
    const char16_t* rest = SkipBlanks(p, end);
    m_cut = p == end && p == digits;  // "dword:" and nothing more
    if (p == digits || p - digits > 8 || (rest != end && *rest != ';')) return;
    m_type = 4;
    m_data.Clear();
    for (int i = 0; i < 4; ++i) m_data.PushBack(static_cast<uint8_t>(value >> (8 * i)));
    Deliver(ExportDataForm::Dword, std::u16string_view(digits, static_cast<size_t>(p - digits)), false);
}

void CExportParser::HexData(const char16_t* p, const char16_t* end) {
    for (;;) {
        // The editor writes "xx," over and over: three units a step, into room made first (a
        // pointer of its own, which the stores are not taken to move).
        const size_t filled = m_data.Size();
        uint8_t* const room = m_data.Extend(static_cast<size_t>(end - p) / 3);
        uint8_t* out = room;
        for (; end - p >= 3 && p[2] == ','; p += 3) {
            const int high = HexValue(p[0]), low = HexValue(p[1]);
            if ((high | low) < 0) break;
            *out++ = static_cast<uint8_t>(high << 4 | low);
        }
        m_data.Shrink(filled + static_cast<size_t>(out - room));
        if (p == end) {  // after a comma: the value ends here, but a text cut short may too
            m_cut = true;
            return StoreHex();
        }
        p = SkipBlanks(p, end);
        const char16_t* digits = p;
        uint32_t value = 0;
        for (; p < end && HexValue(*p) >= 0; ++p) value = std::min<uint32_t>(value * 16 + HexValue(*p), 0x100);
        if (p == digits) {
            if (p < end && *p == ';') return StoreHex();
            if (p < end && *p == '\\') {
                p = SkipBlanks(p + 1, end);
                m_wrapped = p == end || *p == ';';  // else the value is void
                if (m_wrapped) KeepName();
            }
            return;
        }
        if (value > 0xFF) return;
        m_data.PushBack(static_cast<uint8_t>(value));
        if (p < end && *p == ',') {
            ++p;
            continue;
        }
        p = SkipBlanks(p, end);
        if (p == end || *p == ';') StoreHex();
        return;
    }
}

void CExportParser::StoreHex() {
    m_wrapped = false;
    if ((m_type == 1 || m_type == 2 || m_type == 7) && !m_data.Empty()) {
        // Import ends string data with a zero character when it has none, and reads the bytes
        // of a REGEDIT4 export in the ANSI code page.
        if (m_format == ExportFormat::Version5) {
            if (m_data.Size() % 2 == 0 && (m_data[m_data.Size() - 2] || m_data.Back())) {
                m_data.PushBack(0);
                m_data.PushBack(0);
            }
        } else {
            if (m_data.Back()) m_data.PushBack(0);
            m_wide.resize(m_data.Size());
            const size_t n =
                m_decode(reinterpret_cast<const char*>(m_data.Data()), m_data.Size(), m_wide.data(), m_context);
            m_data.Clear();
            AppendUtf16(m_data, m_wide.data(), n);
        }
    }
    Deliver(ExportDataForm::Hex, {}, false);
}

void CExportParser::Deliver(ExportDataForm form, std::u16string_view text, bool removed) {
    if (!m_keyOpen) return;
    ExportValue value;
    value.rawName = m_rawView;
    value.name = m_nameView;
    value.removed = removed;
    value.type = m_type;
    value.data = m_data.Data();
    value.size = m_data.Size();
    value.form = form;
    value.text = text;
    m_handler.Value(value);
}
