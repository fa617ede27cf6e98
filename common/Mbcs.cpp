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

size_t CharStart(std::string_view text, size_t pos) {
    if (pos >= text.size() || pos == 0) return pos;
    size_t run = pos;
    while (run > 0 && IsLeadByte(static_cast<unsigned char>(text[run - 1]))) --run;
    // From `run` the lead-range bytes pair up: an odd count leaves pos a trail byte.
    return (pos - run) % 2 ? pos - 1 : pos;
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
