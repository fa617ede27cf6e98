#include "RegText.h"

#include "LinkDoc.h"
#include "Mbcs.h"

namespace {

constexpr size_t kLongestName = 2 * 16383;  // in bytes, each character double-byte

size_t SkipBlanks(std::string_view line, size_t i) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    return i;
}

// A key line's path as it writes it: without the blanks its kind was judged without, or the
// brackets of a section header (a key line that opens with one ends with the other).
std::string KeyPathOf(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || (line[i] >= 0x09 && line[i] <= 0x0D))) ++i;
    line.remove_prefix(i);
    if (line.size() >= 2 && line.front() == '[') line = line.substr(1, line.size() - 2);
    return std::string(line);
}

}  // namespace

RegLine RegLineOf(std::string_view line) {
    const size_t i = SkipBlanks(line, 0);
    if (i == line.size()) return RegLine::Blank;
    if (line[i] == '[') return RegLine::Section;
    return line[i] == '"' || line[i] == '@' ? RegLine::Value : RegLine::Other;
}

bool IsExportHeader(std::string_view line) {
    line.remove_prefix(SkipBlanks(line, 0));
    return line == "Windows Registry Editor Version 5.00" || line == "REGEDIT4";
}

bool RunsOn(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty() || line.back() != '\\') return false;
    const size_t at = line.size() - 1;
    // Only after a lead-range byte can the backslash be a character's second byte; hex data
    // ends in ",\" and is decided here without a walk.
    if (at == 0 || !mbcs::IsLeadByte(static_cast<unsigned char>(line[at - 1]))) return true;
    return mbcs::CharStarts(line).Start(at) == at;
}

bool ValueNameOf(std::string_view line, std::string& name) {
    name.clear();
    size_t i = SkipBlanks(line, 0);
    if (i < line.size() && line[i] == '@') {
        ++i;
    } else if (i < line.size() && line[i] == '"') {
        // Character by character: a double-byte character's second byte may be 0x5C, which
        // escapes nothing.
        for (++i;;) {
            // No name of the registry's is longer (16,383 characters): a right-click on a line
            // of hundreds of MB walks no further.
            if (i >= line.size() || name.size() > kLongestName) return false;
            if (line[i] == '"') break;
            bool escaped = false;
            if (line[i] == '\\') {
                if (++i >= line.size() || line[i] == '0') return false;
                escaped = true;
            }
            const size_t n = mbcs::CharLength(line, i);
            if (escaped && line[i] == 'n') name += '\n';
            else if (escaped && line[i] == 'r') name += '\r';
            else name.append(line.substr(i, n));
            i += n;
        }
        ++i;
    } else {
        return false;
    }
    i = SkipBlanks(line, i);
    return i < line.size() && line[i] == '=';
}

LineMenuTarget MenuTargetOf(const CLinkDoc& doc, int32_t line) {
    LineMenuTarget target;
    if (line < 0 || line >= doc.GetLineCount()) return target;
    if (doc.LineKind(line) == LINE_KEY) {
        target.openKey = target.copy = true;
        target.key = KeyPathOf(doc.LineText(line));
        return target;
    }
    if (!doc.IsExport()) return target;
    const int32_t first = doc.WrappedValueStart(line);
    if (!ValueNameOf(doc.LineText(first), target.name)) return target;
    target.value = true;
    // The key the value goes into: none under a [-KEY] line, a header of no root the viewer
    // links, or one that lost characters (it would name another key).
    const int32_t section = doc.SectionAbove(first);
    if (section < 0 || doc.LineKind(section) != LINE_KEY) return target;
    target.copy = true;
    target.key = KeyPathOf(doc.LineText(section));
    target.openValue = !doc.LostCharacters(line) && !doc.LostCharacters(first);
    return target;
}
