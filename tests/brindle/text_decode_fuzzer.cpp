// Fuzzes reading a text into the document: the bytes decoded whole and in pieces give the
// lines of a plain reading (the document splits the pieces as they come), each of the kind
// the rules give it (the rules themselves: the tables of link_text_test) or, where a character
// was lost, plain text; the stand-in conversion never sees ASCII or half of a pair.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "LinkDoc.h"
#include "LinkText.h"
#include "TextDecode.h"

namespace {

bool IsHigh(uint16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(uint16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The stand-in's rule for the unit at i: one 0xFF (a lost character; no other unit gives
// it) for a pair or a lone surrogate, "#" and the low byte for any other unit, and '+'
// after it from U+0800 on (three bytes, as UTF-8 takes). Returns how many units it took.
template <typename Unit>
size_t ConvertOne(const Unit* src, size_t n, size_t i, std::string& out) {
    if (IsHigh(src[i]) && i + 1 < n && IsLow(src[i + 1])) return out += '\xFF', 2;
    if (IsHigh(src[i]) || IsLow(src[i])) return out += '\xFF', 1;
    out += '#';
    out += static_cast<char>(std::min(src[i] & 0xFF, 0xFE));
    if (src[i] >= 0x800) out += '+';
    return 1;
}

size_t Convert(const char16_t* src, size_t n, char* dst, void*, bool* lost) {
    std::string out;
    for (size_t i = 0; i < n;) {
        if (src[i] < 0x80) abort();
        i += ConvertOne(src, n, i, out);
    }
    *lost = out.find('\xFF') != std::string::npos;
    out.copy(dst, out.size());
    return out.size();
}

// A plain reading: UTF-16 after the mark, up to the first zero unit (an odd last byte is
// a unit of its own), else bytes up to the first zero.
std::string Reference(const uint8_t* data, size_t n) {
    std::string text;
    if (n >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        std::vector<uint16_t> units;
        for (size_t i = 2; i < n; i += 2)
            units.push_back(static_cast<uint16_t>(data[i] | (i + 1 < n ? data[i + 1] << 8 : 0)));
        for (size_t i = 0; i < units.size() && units[i] != 0;)
            if (units[i] < 0x80) text += static_cast<char>(units[i++]);
            else i += ConvertOne(units.data(), units.size(), i, text);
    } else {
        for (size_t i = 0; i < n && data[i] != 0; ++i) text += static_cast<char>(data[i]);
    }
    return text;
}

std::vector<std::string> ReferenceLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t pos = 0, i; pos < text.size(); pos = i + 2) {
        i = std::min(text.find("\r\n", pos), text.size());
        lines.push_back(text.substr(pos, i - pos));
    }
    return lines;
}

void Check(const CLinkDoc& doc, const std::vector<std::string>& want, bool utf16) {
    if (doc.GetLineCount() != static_cast<int32_t>(want.size())) abort();
    size_t longest = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        LineItem item;
        const bool lost = utf16 && want[i].find('\xFF') != std::string::npos;
        if (!doc.GetLine(static_cast<int32_t>(i), item) || item.text != want[i] ||
            item.kind != (lost ? LINE_TEXT : ClassifyLine(want[i])))
            abort();
        longest = std::max(longest, want[i].size());
    }
    if (doc.GetMaxLineLength() != static_cast<int32_t>(longest)) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t seed = data[0];  // chooses the piece size
    data += 1;
    size -= 1;
    const std::string text = Reference(data, size);
    const std::vector<std::string> want = ReferenceLines(text);
    const size_t step = 1 + seed % 7;
    CLinkDoc whole, pieces;
    if (DecodeTextInto(whole, data, size, Convert, nullptr, 3) != !text.empty()) abort();
    const TextEncoding enc = DetectEncoding(data, size);
    Check(whole, want, enc == TextEncoding::Utf16);
    const size_t skip = enc == TextEncoding::Utf16 ? 2 : 0;
    CTextDecoder dec(pieces, enc, Convert, nullptr, 3);
    if (!dec.Begin(size - skip)) abort();
    for (size_t i = skip; i < size && dec.Feed(data + i, std::min(step, size - i)); i += step) {}
    if (dec.Finish() != !text.empty()) abort();
    Check(pieces, want, enc == TextEncoding::Utf16);
    return 0;
}
