#include "LinkViewRules.h"

#include <algorithm>
#include <limits>

namespace linkview {

namespace {

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

LineRange LinesToPaint(int32_t topLine, int32_t updateTop, int32_t updateBottom, int32_t cyLine, int32_t lineCount) {
    LineRange range;
    if (cyLine <= 0 || lineCount <= 0) return range;
    // 64-bit: a position near the end of a long file plus a row offset must not wrap.
    int64_t first = static_cast<int64_t>(topLine) + updateTop / cyLine;
    int64_t last = static_cast<int64_t>(topLine) + updateBottom / cyLine;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, static_cast<int64_t>(lineCount) - 1);
    if (last < first) return range;
    range.first = static_cast<int32_t>(first);
    range.last = static_cast<int32_t>(last);
    return range;
}

int32_t RequestedPosition(int code, bool vertical, const ScrollBarState& bar) {
    const int64_t pos = bar.pos;
    switch (code) {
    case kLineUp: return ClampToInt32(pos - 1);
    case kLineDown: return ClampToInt32(pos + 1);
    case kPageUp: return ClampToInt32(pos - bar.page);
    case kPageDown: return ClampToInt32(pos + bar.page);
    case kThumbTrack: return bar.trackPos;
    case kTop: return vertical ? bar.min : bar.pos;
    case kBottom: return vertical ? bar.max : bar.pos;
    default: return bar.pos;  // kThumbPosition, kEndScroll and unknown codes
    }
}

int32_t WheelStepFromSetting(bool settingRead, uint32_t linesPerNotch) {
    if (!settingRead || linesPerNotch == 0) return 0;
    return static_cast<int32_t>(120u / linesPerNotch);
}

WheelSteps WheelLines(int16_t delta, int32_t step) {
    WheelSteps steps;
    if (step <= 0) return steps;
    int32_t d = delta;
    if (d >= step) steps.up = d / step;
    else if (d <= -step) steps.down = -d / step;
    return steps;
}

int32_t PositionToShow(int32_t pos, int32_t page, int64_t first, int64_t last, bool centre) {
    if (page <= 0) return ClampToInt32(first);
    if (first >= pos && last <= static_cast<int64_t>(pos) + page) return pos;
    if (centre) return ClampToInt32(first - (page - (last - first)) / 2);
    if (last - first > page || first < pos) return ClampToInt32(first);
    return ClampToInt32(last - page);
}

ByteSpan VisibleBytes(int32_t hPos, int32_t cxChar, int32_t clientWidth, int64_t lineLength) {
    ByteSpan span;
    if (cxChar <= 0 || lineLength <= 0) return span;
    // Byte b is drawn at cxChar * (1 - hPos + b) in the window.
    const int64_t columns = (std::max<int64_t>(clientWidth, 0) + cxChar - 1) / cxChar;
    span.first = std::clamp<int64_t>(static_cast<int64_t>(hPos) - 3, 0, lineLength);
    span.last = std::clamp<int64_t>(static_cast<int64_t>(hPos) + columns + 2, span.first, lineLength);
    return span;
}

ByteSpan PieceToDraw(std::string_view line, int32_t hPos, int32_t cxChar, int32_t clientWidth, size_t maxBytes,
                     mbcs::CharStarts& starts) {
    const ByteSpan visible = VisibleBytes(hPos, cxChar, clientWidth, static_cast<int64_t>(line.size()));
    ByteSpan piece;
    // The last after the first: the walk to it goes no further back than the first.
    piece.first = static_cast<int64_t>(starts.Start(static_cast<size_t>(visible.first)));
    piece.last = static_cast<int64_t>(starts.Start(static_cast<size_t>(visible.last)));
    if (piece.last - piece.first > static_cast<int64_t>(maxBytes))
        piece.last = static_cast<int64_t>(starts.Start(static_cast<size_t>(piece.first) + maxBytes));
    return piece;
}

int32_t ColumnToClient(int32_t hPos, int32_t cxChar, int64_t column) {
    return ClampToInt32(static_cast<int64_t>(cxChar) * (1 + column - hPos));
}

int32_t PositionBeside(int32_t pos, int32_t page, int32_t maxPos, int64_t line, int32_t coverTop, int32_t coverBottom,
                       int32_t rowHeight) {
    if (rowHeight <= 0 || page <= 0) return pos;
    // Whole rows of lines: [0, above) end above the window, [below, page) start under it.
    const int64_t above = std::clamp<int64_t>(coverTop / rowHeight, 0, page);
    const int64_t below = std::clamp<int64_t>((static_cast<int64_t>(coverBottom) + rowHeight - 1) / rowHeight, 0, page);
    auto clear = [&](int64_t at) {
        const int64_t row = line - at;
        return (row >= 0 && row < above) || (row >= below && row < page);
    };
    if (clear(pos)) return pos;
    const int64_t upper = line - (above - 1) / 2, lower = line - (below + (page - 1 - below) / 2);
    int64_t tries[2] = {upper, lower};
    if (page - below > above) std::swap(tries[0], tries[1]);
    for (int64_t at : tries) {
        at = std::clamp<int64_t>(at, 0, std::max(maxPos, 0));
        if (clear(at)) return static_cast<int32_t>(at);
    }
    return pos;
}

int32_t KeyboardMenuLine(int32_t matchLine, int32_t clickedLine, int32_t topLine, int32_t shownLines,
                         int32_t lineCount) {
    if (lineCount <= 0) return -1;
    const auto onScreen = [&](int32_t line) {
        return line >= 0 && line < lineCount && line >= topLine && int64_t(line) < int64_t(topLine) + shownLines;
    };
    if (onScreen(matchLine)) return matchLine;
    if (onScreen(clickedLine)) return clickedLine;
    return std::clamp(topLine, 0, lineCount - 1);
}

}  // namespace linkview
