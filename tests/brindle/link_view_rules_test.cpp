// The view's arithmetic: which lines a paint draws, where scroll requests go, wheel steps, where
// a long line is drawn, where a found match is brought.
#include "LinkViewRules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

using namespace linkview;

namespace {

TEST(LinesToPaint, OnlyTheLinesThatMeetTheUpdateRectangle) {
    const struct {
        int32_t top, updTop, updBottom, cy, count, first, last;
        const char* why;
    } cases[] = {
        {0, 0, 399, 20, 100, 0, 19, "a bottom edge inside line 19"},
        {10, 40, 60, 20, 100, 12, 13, "an exposed strip in the middle, scrolled by 10"},
        {95, 0, 400, 20, 100, 95, 99, "clamped to the last line"},
        {0, 0, 400, 20, 0, 0, -1, "an empty document paints nothing"},
        {2147483647, 0, 2147483647, 20, 80000, 0, -1, "a top past the end paints nothing"},
        {0, 0, 100, 0, 10, 0, -1, "a zero line height (metrics not read) divides nothing"},
    };
    for (const auto& c : cases) {
        LineRange r = LinesToPaint(c.top, c.updTop, c.updBottom, c.cy, c.count);
        EXPECT_EQ(r.last < r.first, c.last < c.first) << c.why;
        if (c.last >= c.first)
            EXPECT_TRUE(r.first == c.first && r.last == c.last) << c.why << ": " << r.first << ".." << r.last;
    }
}

TEST(RequestedPosition, EveryCodeOnBothBarsWithoutWrapping) {
    ScrollBarState bar{0, 199, 25, 50, 123456};  // min, max, page, pos, trackPos
    const struct {
        int code;
        int32_t vertical, horizontal;
    } cases[] = {
        {kLineUp, 49, 49},    {kLineDown, 51, 51}, {kPageUp, 25, 25},        {kPageDown, 75, 75},
        {kTop, 0, 50},        {kBottom, 199, 50},  {kThumbPosition, 50, 50}, {kThumbTrack, 123456, 123456},
        {kEndScroll, 50, 50}, {42, 50, 50},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RequestedPosition(c.code, true, bar), c.vertical) << "code " << c.code;
        EXPECT_EQ(RequestedPosition(c.code, false, bar), c.horizontal) << "code " << c.code;
    }
    const int32_t most = std::numeric_limits<int32_t>::max(), least = std::numeric_limits<int32_t>::min();
    bar.max = bar.page = bar.pos = most;
    EXPECT_EQ(RequestedPosition(kPageDown, true, bar), most);
    EXPECT_EQ(RequestedPosition(kLineDown, true, bar), most);
    bar.pos = least;
    EXPECT_EQ(RequestedPosition(kLineUp, true, bar), least);
    EXPECT_EQ(RequestedPosition(kPageUp, true, bar), least);
}

TEST(Wheel, StepFromTheSystemSettingAndDeltasToLines) {
    const struct {
        bool read;
        uint32_t lines;
        int32_t step;
    } settings[] = {{true, 3, 40},  {true, 1, 120}, {true, 7, 17}, {true, 120, 1},
                    {true, 121, 0}, {true, 0, 0},   {false, 3, 0}, {true, 0xFFFFFFFFu, 0}};
    for (const auto& c : settings) EXPECT_EQ(WheelStepFromSetting(c.read, c.lines), c.step) << c.read << " " << c.lines;

    const struct {
        int16_t delta;
        int32_t step, up, down;
    } cases[] = {
        {120, 40, 3, 0}, {-120, 40, 0, 3}, {30, 40, 0, 0}, {-30, 40, 0, 0},      {40, 40, 1, 0},       {-40, 40, 0, 1},
        {79, 40, 1, 0},  {240, 40, 6, 0},  {120, 0, 0, 0}, {-32768, 40, 0, 819}, {32767, 1, 32767, 0}, {0, 40, 0, 0},
    };
    for (const auto& c : cases) {
        WheelSteps s = WheelLines(c.delta, c.step);
        EXPECT_EQ(s.up, c.up) << c.delta << "/" << c.step;
        EXPECT_EQ(s.down, c.down) << c.delta << "/" << c.step;
    }
}

// A long line is drawn only where it can reach into the window, wherever the bar stands.
TEST(LongLine, VisibleBytesFollowTheBar) {
    const struct {
        int32_t hPos, cx, width;
        int64_t length, first, last;
    } cases[] = {
        {0, 10, 800, 50000000, 0, 82},
        {49999990, 10, 800, 50000000, 49999987, 50000000},
        {2000000000, 10, 800, 50000000, 50000000, 50000000},
        {5, 10, 805, 100, 2, 88},
        {0, 0, 800, 100, 0, 0},
        {7, 10, -5, 100, 4, 9},
    };
    for (const auto& c : cases) {
        const ByteSpan s = VisibleBytes(c.hPos, c.cx, c.width, c.length);
        EXPECT_EQ(s.first, c.first) << c.hPos << " " << c.width;
        EXPECT_EQ(s.last, c.last) << c.hPos << " " << c.width;
    }
}

// Scrolled far into a line of lead-range bytes (a broken file), a paint walks back through
// the line once for both ends of its piece, and after a scroll only as far as the line moved.
// Where a column lands is worked out in 64 bits: a line of 200 MB has as many columns.
TEST(LongLine, PiecesAreFoundWalkingTheLineOnceAndPlacedIn64Bits) {
    const std::string line(size_t(32) << 20, '\xB0');
    const int32_t mid = static_cast<int32_t>(line.size() / 2) - 75;
    mbcs::CharStarts starts(line);
    ByteSpan piece = PieceToDraw(line, mid, 10, 800, 0xFC00, starts);
    EXPECT_TRUE(piece.first == mid - 3 && piece.last == mid + 81) << piece.first << ".." << piece.last;
    EXPECT_LE(starts.Examined(), line.size() / 2 + 100);
    const size_t once = starts.Examined();
    piece = PieceToDraw(line, mid + 1000, 10, 800, 40, starts);
    EXPECT_TRUE(piece.first == mid + 997 && piece.last == mid + 1037) << piece.first << ".." << piece.last;
    EXPECT_LE(starts.Examined() - once, 1100u);

    const int32_t most = std::numeric_limits<int32_t>::max(), least = std::numeric_limits<int32_t>::min();
    const struct {
        int32_t hPos, cx;
        int64_t column;
        int32_t x;
    } cases[] = {
        {0, 10, 0, 10},           {5, 10, 7, 30}, {200000000, 14, 200000005, 84}, {200000000, 14, 0, least},
        {0, 14, 200000000, most},
    };
    for (const auto& c : cases) EXPECT_EQ(ColumnToClient(c.hPos, c.cx, c.column), c.x) << c.hPos << " " << c.column;
}

// A found match is brought into view: its line centred when it was off screen, the text
// itself moved in sideways as little as needed.
TEST(FoundMatch, PositionToShow) {
    const struct {
        int32_t pos, page;
        int64_t first, last;
        bool centre;
        int32_t want;
    } cases[] = {
        {0, 20, 5, 6, true, 0},        {0, 20, 19, 20, true, 0},
        {0, 20, 20, 21, true, 11},     {50000, 20, 45000, 45001, true, 44991},
        {0, 80, 200, 205, false, 125}, {300, 80, 200, 205, false, 200},
        {0, 80, 100, 300, false, 100}, {0, 0, 7, 8, true, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PositionToShow(c.pos, c.page, c.first, c.last, c.centre), c.want) << c.pos << " " << c.first;
}

// A match the Find dialog would cover moves beside it: here the dialog covers the client rows
// 40 to 140 of a page of 25 lines 20 pixels high (lines 0 and 1 clear above, 7 on below).
TEST(FoundMatch, PositionBesideTheDialog) {
    const struct {
        int32_t pos, maxPos, line, coverTop, coverBottom, want;
        const char* why;
    } cases[] = {
        {0, 80, 10, 40, 140, 0, "clear below the dialog already"},
        {95, 100, 100, 40, 140, 85, "covered: to the middle of the larger stretch, below"},
        {80, 80, 84, 40, 140, 69, "at the end of the text as well"},
        {0, 80, 3, 40, 140, 3, "at the start, below cannot be reached: above"},
        {0, 80, 1, 35, 140, 1, "a row partly covered is covered"},
        {0, 0, 3, 40, 140, 0, "a text of one page cannot move"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PositionBeside(c.pos, 25, c.maxPos, c.line, c.coverTop, c.coverBottom, 20), c.want) << c.why;
}

// The line the menu key opens the line menu for: Find's match on screen, else the line clicked on
// screen (a line cut by the bottom edge is), else the first line in view.
TEST(KeyboardMenuLine, TheMatchTheClickedLineOrTheTopOne) {
    const struct {
        int32_t match, clicked, top, shown, count, line;
    } cases[] = {
        {5, 7, 0, 10, 20, 5}, {15, 7, 0, 10, 20, 7},    {-1, 9, 0, 10, 20, 9},  {-1, 10, 0, 10, 20, 0},
        {3, 2, 4, 10, 20, 4}, {-1, 25, 18, 10, 20, 18}, {-1, -1, 0, 10, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyboardMenuLine(c.match, c.clicked, c.top, c.shown, c.count), c.line)
            << c.match << " " << c.clicked << " " << c.top;
}

}  // namespace
