// The arithmetic of the link view, kept free of windows.h so that it is unit-tested and
// fuzzed on the build machine: which lines a paint has to draw, where a scroll request
// moves a bar, and how wheel deltas become line steps. LinkView.cpp feeds these from the
// window's messages and applies the results with the platform's scroll-bar calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Mbcs.h"

namespace linkview {

// Lines [first, last] meet the update rectangle; empty when last < first.
struct LineRange {
    int32_t first = 0;
    int32_t last = -1;
};

// topLine is the vertical scroll position (index of the first visible line), updateTop and
// updateBottom the update rectangle's rows in client pixels. Positions go far beyond
// 65,535 lines, so nothing here is 16-bit.
LineRange LinesToPaint(int32_t topLine, int32_t updateTop, int32_t updateBottom, int32_t cyLine, int32_t lineCount);

// Request codes of WM_VSCROLL and WM_HSCROLL (the platform's SB_* values).
enum ScrollCode : int {
    kLineUp = 0,
    kLineDown = 1,
    kPageUp = 2,
    kPageDown = 3,
    kThumbPosition = 4,
    kThumbTrack = 5,
    kTop = 6,
    kBottom = 7,
    kEndScroll = 8,
};

// What the bar reports of itself before the request (SIF_ALL).
struct ScrollBarState {
    int32_t min = 0;
    int32_t max = 0;
    int32_t page = 0;
    int32_t pos = 0;
    int32_t trackPos = 0;
};

// The position a request asks for, before the platform clamps it into the range. The
// horizontal bar ignores SB_LEFT and SB_RIGHT: Home and End are vertical commands only.
// The 16-bit position carried by the message is never used: the thumb's position comes
// from trackPos, which is what keeps dragging working past 65,535 lines.
int32_t RequestedPosition(int code, bool vertical, const ScrollBarState& bar);

// Wheel delta that scrolls one line, from the system's lines-per-notch setting: 120 divided
// by the number of lines, unsigned; 0 (wheel off) when the setting could not be read, is 0,
// or is the page-at-a-time value (0xFFFFFFFF).
int32_t WheelStepFromSetting(bool settingRead, uint32_t linesPerNotch);

// Line steps for one wheel message: `up` SB_LINEUP requests for a positive delta, `down`
// SB_LINEDOWN requests for a negative one. The remainder of the delta is dropped, not
// carried over to the next message.
struct WheelSteps {
    int32_t up = 0;
    int32_t down = 0;
};
WheelSteps WheelLines(int16_t delta, int32_t step);

// The bytes [first, last) of a line too long for one drawing call that can reach into the
// window: such a line is laid out one average character width a byte (the unit of the
// horizontal bar), with a margin of a character or two on either side for a wide
// character that starts outside. Clipped to the line's length.
struct ByteSpan {
    int64_t first = 0;
    int64_t last = 0;
};
ByteSpan VisibleBytes(int32_t hPos, int32_t cxChar, int32_t clientWidth, int64_t lineLength);

// The bytes of such a line to draw now: those VisibleBytes gives, from the start of the
// character that holds the first to the start of the one that holds the last, at most
// maxBytes. `starts` walks the line (it is kept from one paint to the next, so that a paint
// walks back only as far as the line has scrolled since).
ByteSpan PieceToDraw(std::string_view line, int32_t hPos, int32_t cxChar, int32_t clientWidth, size_t maxBytes,
                     mbcs::CharStarts& starts);

// Where column `column` of a line (column 0: where its text starts) lands in the window
// scrolled hPos columns to the right: cxChar * (1 + column - hPos). Worked out in 64 bits,
// since a line of a few hundred MB has as many columns, and only then clamped to 32.
int32_t ColumnToClient(int32_t hPos, int32_t cxChar, int64_t column);

// Where a bar goes to show the item [first, last) (in the bar's units) in a page of `page`
// units: it stays at pos when the item is shown whole already; else, with centre, the item
// comes to the middle (a found line); else the bar moves as little as shows it, or to the
// item's start when it is wider than the page (a found text, sideways). The platform then
// clamps the result into the bar's range.
int32_t PositionToShow(int32_t pos, int32_t page, int64_t first, int64_t last, bool centre);

// Where the vertical bar goes so that `line`, shown now at position pos, is not under a
// window that covers the client rows [coverTop, coverBottom) (the Find dialog over the view),
// with lines rowHeight pixels high and `page` whole lines in the window: the line moves to the
// middle of the larger free stretch, above the window or below it, as far as the bar can go
// (0 to maxPos); pos when the line is clear already or no position clears it.
int32_t PositionBeside(int32_t pos, int32_t page, int32_t maxPos, int64_t line, int32_t coverTop, int32_t coverBottom,
                       int32_t rowHeight);

// The line the menu key and Shift+F10 open the line menu for: the line of the match Find shows
// (-1: none) when it is on screen, else the line last clicked (-1: none) when it is, else the
// first line in view; -1 for an empty document. On screen: lines topLine to topLine +
// shownLines - 1, a line cut by the window's bottom edge among them.
int32_t KeyboardMenuLine(int32_t matchLine, int32_t clickedLine, int32_t topLine, int32_t shownLines,
                         int32_t lineCount);

}  // namespace linkview
