// Fuzzes Find: on any text, needle, position and direction, the result is that of a plain
// search that splits the text into lines and walks each line character by character: ASCII
// letters fold unless the case must match, matches start and end on characters of code page
// 936 inside one line, and up means ending at or before the position, without wrapping.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Mbcs.h"
#include "TextSearch.h"

namespace {

bool SameByte(char t, char n, bool fold) {
    if (!fold) return t == n;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(t) == lower(n);
}

// Every match start, in order.
std::vector<size_t> Reference(const std::string& text, const std::string& needle, bool matchCase) {
    std::vector<size_t> found;
    if (needle.empty()) return found;
    for (size_t line = 0; line <= text.size();) {
        size_t end = text.find("\r\n", line);
        if (end == std::string::npos) end = text.size();
        const std::string_view l(text.data() + line, end - line);
        std::vector<bool> start(l.size() + 1, false);
        for (size_t i = 0; i < l.size(); i += mbcs::CharLength(l, i)) start[i] = true;
        start[l.size()] = true;
        for (size_t s = 0; s + needle.size() <= l.size(); ++s) {
            if (!start[s] || !start[s + needle.size()]) continue;
            bool same = true;
            for (size_t i = 0; i < needle.size() && same; i += mbcs::CharLength(needle, i)) {
                const bool single = mbcs::CharLength(needle, i) == 1;
                same = SameByte(l[s + i], needle[i], single && !matchCase);
                if (!single) same = same && l[s + i + 1] == needle[i + 1];
            }
            if (same) found.push_back(line + s);
        }
        if (end == text.size()) break;
        line = end + 2;
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const bool matchCase = data[0] & 1, down = data[0] & 2;
    const size_t needleLength = 1 + data[1] % 6;
    if (size < 3 + needleLength) return 0;
    // Few distinct bytes, so that matches, letters of both cases, the neighbours of the letters
    // (which fold with them in one bit), lead bytes and line ends meet.
    static const char kBytes[] = {'a',  'A',  'b',  'z',    '@',    '`',    '[',    '{',
                                  '\\', '\r', '\n', '\x81', '\xB1', '\xED', '\x5C', ' '};
    auto pick = [](uint8_t b) { return kBytes[b % sizeof(kBytes)]; };
    std::string needle, text;
    for (size_t i = 0; i < needleLength; ++i) needle += pick(data[3 + i]);
    for (size_t i = 3 + needleLength; i < size; ++i) text += pick(data[i]);
    // Where the view starts a search: a line's start or a match's edge, a character start.
    const size_t from = mbcs::CharStarts(text).Start(text.empty() ? 0 : data[2] % (text.size() + 1));

    const std::vector<size_t> all = Reference(text, needle, matchCase);
    size_t want = CTextSearch::npos;
    for (size_t at : all) {
        if (down && at >= from) {
            want = at;
            break;
        }
        if (!down && at + needle.size() <= from) want = at;
    }
    if (CTextSearch(needle, matchCase).Search(text, from, down) != want) abort();
    return 0;
}
