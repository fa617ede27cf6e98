// Fuzzes splitting and classification: the lines, fed whole and in two pieces, and their kinds
// must be those of a plain reading of the rules built from the double-byte helpers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "KeyPathText.h"
#include "LinkDoc.h"
#include "Mbcs.h"

namespace {

int32_t ReferenceKind(std::string copy) {
    copy.erase(0, copy.find_first_not_of(" \t\n\v\f\r"));
    if (copy.size() < 4 || mbcs::FindDoubleBackslash(copy) != mbcs::npos) return LINE_TEXT;
    const unsigned char c0 = static_cast<unsigned char>(copy[0]);
    const bool letter = (c0 >= 'A' && c0 <= 'Z') || (c0 >= 'a' && c0 <= 'z');
    mbcs::MakeUpperAscii(copy);
    if (letter && copy[1] == ':' && copy[2] == '\\') {
        for (char c : std::string("\t/*?<>\"|")) if (mbcs::FindChar(copy, c) != mbcs::npos) return LINE_TEXT;
        return LINE_FILE;
    }
    if (mbcs::FindChar(copy, ':') != mbcs::npos || mbcs::FindChar(copy, '"') != mbcs::npos) return LINE_TEXT;
    if (copy[0] == '[') {
        if (mbcs::LastCharPos(copy) != copy.size() - 1 || copy.back() != ']') return LINE_TEXT;
        copy = copy.substr(1, copy.size() - 2);
    }
    for (const RootKeyName& row : kRootKeyNames)
        if (copy.compare(0, row.shortForm.size(), row.shortForm) == 0 ||
            copy.compare(0, row.longForm.size(), row.longForm) == 0)
            return LINE_KEY;
    return LINE_TEXT;
}

std::vector<std::string> ReferenceLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t pos = 0, i; pos < text.size(); pos = i + 2) {
        i = std::min(text.find("\r\n", pos), text.size());
        lines.push_back(text.substr(pos, i - pos));
    }
    return lines;
}

void Check(const CLinkDoc& doc, const std::vector<std::string>& want) {
    if (doc.GetLineCount() != static_cast<int32_t>(want.size())) abort();
    size_t longest = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        LineItem item;
        if (!doc.GetLine(static_cast<int32_t>(i), item) || item.text != want[i] || item.kind != ReferenceKind(want[i])) abort();
        longest = std::max(longest, want[i].size());
    }
    if (doc.GetMaxLineLength() != static_cast<int32_t>(longest)) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t cut = data[0] % size;  // the first byte chooses where the pieces meet
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string> want = ReferenceLines(text);
    CLinkDoc whole, pieces;
    if (whole.SetText(std::string_view(text)) != !text.empty()) abort();
    Check(whole, want);
    pieces.BeginText();
    for (const std::string& piece : {text.substr(0, cut), text.substr(std::min(cut, text.size()))}) {
        char* area = pieces.AppendArea(piece.size());
        if (!area || piece.copy(area, piece.size()) != piece.size() || !pieces.AppendCommit(piece.size())) abort();
    }
    if (pieces.EndText() != !text.empty()) abort();
    Check(pieces, want);
    return 0;
}
