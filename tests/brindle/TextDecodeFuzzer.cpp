// Fuzzes the file decoding: whatever the bytes and the pieces, the lines are those of a plain
// reading unit by unit, and the stand-in conversion never sees ASCII or half of a pair.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "LinkDoc.h"
#include "TextDecode.h"

namespace {

bool IsHigh(uint16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(uint16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The stand-in's rule for the unit at i: one '?' for a pair or a lone surrogate, "#" and
// the low byte for any other unit, and '+' after it from U+0800 on (three bytes, as UTF-8
// takes). Returns how many units it took.
template <typename Unit>
size_t ConvertOne(const Unit* src, size_t n, size_t i, std::string& out) {
    if (IsHigh(src[i]) && i + 1 < n && IsLow(src[i + 1])) return out += '?', 2;
    if (IsHigh(src[i]) || IsLow(src[i])) return out += '?', 1;
    out += '#';
    out += static_cast<char>(src[i] & 0xFF);
    if (src[i] >= 0x800) out += '+';
    return 1;
}

size_t Convert(const char16_t* src, size_t n, char* dst, void*) {
    std::string out;
    for (size_t i = 0; i < n;) {
        if (src[i] < 0x80) abort();
        i += ConvertOne(src, n, i, out);
    }
    out.copy(dst, out.size());
    return out.size();
}

// A plain reading: UTF-16 after the mark, up to the first zero unit (an odd last byte is
// a unit of its own), else bytes up to the first zero.
std::string Reference(const uint8_t* data, size_t n) {
    std::string text;
    if (n >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        std::vector<uint16_t> units;
        for (size_t i = 2; i < n; i += 2) units.push_back(static_cast<uint16_t>(data[i] | (i + 1 < n ? data[i + 1] << 8 : 0)));
        for (size_t i = 0; i < units.size() && units[i] != 0;)
            if (units[i] < 0x80) text += static_cast<char>(units[i++]);
            else i += ConvertOne(units.data(), units.size(), i, text);
    } else {
        for (size_t i = 0; i < n && data[i] != 0; ++i) text += static_cast<char>(data[i]);
    }
    return text;
}

std::vector<std::string> LinesOf(const CLinkDoc& doc) {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < doc.GetLineCount(); ++i) lines.emplace_back(doc.LineText(i));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t step = 1 + data[0] % 7;  // the first byte chooses the piece size
    data += 1;
    size -= 1;
    CLinkDoc expect, whole, pieces;
    const bool want = expect.SetText(std::string_view(Reference(data, size)));
    if (DecodeTextInto(whole, data, size, Convert, nullptr, 3) != want || LinesOf(whole) != LinesOf(expect)) abort();

    const TextEncoding enc = DetectEncoding(data, size);
    const size_t skip = enc == TextEncoding::Utf16 ? 2 : 0;
    CTextDecoder dec(pieces, enc, Convert, nullptr, 3);
    if (!dec.Begin(size - skip)) abort();
    for (size_t i = skip; i < size && dec.Feed(data + i, std::min(step, size - i)); i += step) {
    }
    if (dec.Finish() != want || LinesOf(pieces) != LinesOf(expect)) abort();
    return 0;
}
