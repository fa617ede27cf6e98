// Exports made from UTF-16 text for the comparison's test and fuzzer, and the files they are
// read from. ANSI exports use a stand-in double-byte code page, as code page 936 works: ASCII;
// a lead byte 0x81 to 0x9F and a second byte from 0x40 up are U+4E00 + 256 * (lead - 0x81) +
// second (so a second byte may be a backslash or a quote); 0xA0 to 0xFF are Latin-1.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "ExportCompare.h"

inline size_t DecodeAnsi(const char* s, size_t n, char16_t* out, void*) {
    size_t units = 0;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x81 && c <= 0x9F && i + 1 < n && static_cast<unsigned char>(s[i + 1]) >= 0x40)
            out[units++] = static_cast<char16_t>(0x4E00 + ((c - 0x81) << 8) + static_cast<unsigned char>(s[++i]));
        else out[units++] = c < 0x80 || c >= 0xA0 ? c : u'?';
    }
    return units;
}

// False for a character the code page lacks.
inline bool EncodeAnsi(std::u16string_view text, std::string& out) {
    for (char16_t c : text) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
        } else if (c >= 0x4E00 && c < 0x4E00 + 0x1F00 && (c & 0xFF) >= 0x40) {
            out += static_cast<char>(0x81 + ((c - 0x4E00) >> 8));
            out += static_cast<char>(c & 0xFF);
        } else {
            return false;
        }
    }
    return true;
}

inline std::string Utf16File(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return out;
}

// Hands out its bytes in reads of at most `step` bytes, as a file may; fails every read from
// `failAt` on.
class CTextSource : public CExportSource {
public:
    explicit CTextSource(std::string bytes, size_t step = 1 << 20, uint64_t failAt = ~0ull)
        : m_bytes(std::move(bytes)), m_step(step), m_failAt(failAt) {}
    uint64_t Size() const override { return m_bytes.size(); }
    bool Read(uint64_t offset, void* buffer, size_t n, size_t& got) override {
        if (offset >= m_failAt) return false;
        got = offset >= m_bytes.size() ? 0 : std::min({n, m_step, m_bytes.size() - static_cast<size_t>(offset)});
        std::memcpy(buffer, m_bytes.data() + (got ? offset : 0), got);
        return true;
    }

private:
    std::string m_bytes;
    size_t m_step;
    uint64_t m_failAt;
};

// Notes of a few words: the counts as six numbers, every remark and comment line.
inline CompareNotes TestNotes() {
    return {u"older",
            u"newer",
            u"%1 %2 %3 %4 %5 %6",
            u"same",
            u"apart",
            u"older cut: %1",
            u"newer cut: %1",
            u"odd byte",
            u"zero",
            u"last line",
            u"text %1",
            u"was %1",
            u" (%1 more)",
            u" (%1 more bytes)",
            u"branch: %1 keys, %2 values"};
}

// The comparison of two export files read in pieces of `step` bytes, with TestNotes; false
// when it fails. Its counts, and whether an export was cut, into `counts` and `cut` if given.
inline bool CompareFiles(const std::string& older, const std::string& newer, std::u16string& result,
                         size_t step = 1 << 20, CompareCounts* counts = nullptr, bool* cut = nullptr) {
    CTextSource a(older, step), b(newer, step);
    CExportCompare compare(DecodeAnsi, nullptr);
    const bool ok = compare.Run(a, b, TestNotes(), result);
    if (counts) *counts = compare.Counts();
    if (cut) *cut = compare.FromCutExport();
    return ok;
}
