// The view's arithmetic: which lines a paint draws, where scroll requests go, wheel steps.
#include "LinkViewRules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace linkview;

namespace {

TEST(LinesToPaint, OnlyTheLinesThatMeetTheUpdateRectangle) {
    struct Case {
        int32_t top, updTop, updBottom, cy, count, first, last;
        const char* why;
    } cases[] = {
        {0, 0, 400, 20, 100, 0, 20, "whole window from the top: the partly visible line 20 too"},
        {0, 0, 399, 20, 100, 0, 19, "a bottom edge inside line 19"},
        {10, 40, 60, 20, 100, 12, 13, "an exposed strip in the middle, scrolled by 10"},
        {95, 0, 400, 20, 100, 95, 99, "clamped to the last line"},
        {0, 0, 400, 20, 0, 0, -1, "an empty document paints nothing"},
        {0, 0, 400, 20, 1, 0, 0, "one line"},
        {3000000, 0, 600, 18, 3000040, 3000000, 3000033, "positions past 65,535 lines"},
    };
    for (const Case& c : cases) {
        LineRange r = LinesToPaint(c.top, c.updTop, c.updBottom, c.cy, c.count);
        EXPECT_EQ(r.first, c.first) << c.why;
        EXPECT_EQ(r.last, c.last) << c.why;
    }
}

TEST(LinesToPaint, NeverLeavesTheDocument) {
    const int32_t big = std::numeric_limits<int32_t>::max();
    for (int32_t top : {0, 1, 70000, big - 5, big}) {
        for (int32_t bottom : {0, 19, 20, 1000, big}) {
            LineRange r = LinesToPaint(top, 0, bottom, 20, 80000);
            if (r.last >= r.first) {
                EXPECT_GE(r.first, 0);
                EXPECT_LT(r.last, 80000);
            }
        }
    }
    // A zero line height (metrics not read) must not divide by zero.
    LineRange r = LinesToPaint(0, 0, 100, 0, 10);
    EXPECT_LT(r.last, r.first);
}

TEST(RequestedPosition, EveryCodeOnBothBars) {
    ScrollBarState bar;
    bar.min = 0;
    bar.max = 199;
    bar.page = 25;
    bar.pos = 50;
    bar.trackPos = 123456;
    struct Case {
        int code;
        int32_t vertical, horizontal;
    } cases[] = {
        {kLineUp, 49, 49},      {kLineDown, 51, 51},         {kPageUp, 25, 25},
        {kPageDown, 75, 75},    {kThumbPosition, 50, 50},    {kThumbTrack, 123456, 123456},
        {kTop, 0, 50},          {kBottom, 199, 50},          {kEndScroll, 50, 50},
        {42, 50, 50},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RequestedPosition(c.code, true, bar), c.vertical) << "code " << c.code;
        EXPECT_EQ(RequestedPosition(c.code, false, bar), c.horizontal) << "code " << c.code;
    }
}

TEST(RequestedPosition, ArithmeticDoesNotWrapAtTheExtremes) {
    ScrollBarState bar;
    bar.max = std::numeric_limits<int32_t>::max();
    bar.page = std::numeric_limits<int32_t>::max();
    bar.pos = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(RequestedPosition(kPageDown, true, bar), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RequestedPosition(kLineDown, true, bar), std::numeric_limits<int32_t>::max());
    bar.pos = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(RequestedPosition(kLineUp, true, bar), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RequestedPosition(kPageUp, true, bar), std::numeric_limits<int32_t>::min());
}

TEST(Wheel, StepFromTheSystemSetting) {
    struct Case {
        bool read;
        uint32_t lines;
        int32_t step;
    } cases[] = {
        {true, 3, 40},  {true, 1, 120}, {true, 7, 17},   {true, 120, 1},
        {true, 121, 0}, {true, 0, 0},   {false, 3, 0},   {true, 0xFFFFFFFFu, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WheelStepFromSetting(c.read, c.lines), c.step) << c.read << " " << c.lines;
}

TEST(Wheel, DeltasBecomeLineSteps) {
    struct Case {
        int16_t delta;
        int32_t step, up, down;
    } cases[] = {
        {120, 40, 3, 0},   {-120, 40, 0, 3},  {30, 40, 0, 0},      {-30, 40, 0, 0},
        {40, 40, 1, 0},    {-40, 40, 0, 1},   {79, 40, 1, 0},      {240, 40, 6, 0},
        {120, 0, 0, 0},    {-32768, 40, 0, 819}, {32767, 1, 32767, 0}, {0, 40, 0, 0},
    };
    for (const Case& c : cases) {
        WheelSteps s = WheelLines(c.delta, c.step);
        EXPECT_EQ(s.up, c.up) << c.delta << "/" << c.step;
        EXPECT_EQ(s.down, c.down) << c.delta << "/" << c.step;
    }
}

}  // namespace
