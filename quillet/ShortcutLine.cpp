#include "ShortcutLine.h"

#include <cstring>

#include "KeyPathText.h"
#include "Mbcs.h"

namespace {

// "%s" stops at a zero byte; a std::string_view would carry it along.
std::string_view AsCString(std::string_view text) {
    size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

}  // namespace

std::string ShortcutFieldText(std::string_view field) {
    // All three are below every lead and trail byte of code page 936: a byte test is exact.
    std::string text(AsCString(field));
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == kShortcutSeparator) c = ' ';
    return text;
}

std::string MakeShortcutLine(std::string_view location, std::string_view name) {
    return ShortcutFieldText(location) + kShortcutSeparator + ShortcutFieldText(name);
}

bool SplitShortcutLine(std::string_view line, Shortcut& out) {
    // 0x03 is below every lead and trail byte of code page 936, so a plain byte search is
    // exact here.
    size_t sep = line.find(kShortcutSeparator);
    if (sep == std::string_view::npos || sep == 0 || sep + 1 == line.size()) return false;
    out.location.assign(line.data(), sep);
    out.name.assign(line.data() + sep + 1, line.size() - sep - 1);
    return true;
}

bool IsShortcutLineSyntaxValid(std::string_view line) {
    Shortcut parts;
    if (!SplitShortcutLine(line, parts)) return false;
    ParsedKeyPath parsed;
    return ParseKeyPathText(parts.location, false, parsed) && !parsed.subKey.empty();
}

bool IsShortcutBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view TrimShortcutBlanks(std::string_view piece) {
    size_t begin = 0;
    size_t end = piece.size();
    while (begin < end && IsShortcutBlank(piece[begin])) ++begin;
    while (end > begin && IsShortcutBlank(piece[end - 1])) --end;
    return piece.substr(begin, end - begin);
}

bool ShortcutFilePathFor(std::string_view modulePath, std::string& out) {
    size_t slash = mbcs::FindLastChar(modulePath, '\\');
    if (slash == mbcs::npos) return false;
    std::string_view fileName = modulePath.substr(slash + 1);
    size_t dot = mbcs::FindLastChar(fileName, '.');
    if (dot == mbcs::npos) return false;
    out.assign(modulePath.data(), slash + 1 + dot + 1);
    out += "ini";
    return true;
}
