// The strip as a timeline without a window: its view's sums between rows
// and pixels, zooming and following, the beats it marks from each track's
// grid, and the stay a double click loops.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/studio/beat_marks.h"
#include "tools/studio/show_map.h"
#include "tools/studio/strip_view.h"

namespace {
constexpr int width = 1920;

// Track 2 from row 0, then track 5 from the frame at row 99.6 to the end.
show_map& two_stays()
{
    static show_map map;
    for (int r = 0; r < mapped_rows; ++r) {
        map.track[r] = r < 100 ? 2 : 5;
        map.music_seconds[r] = (r < 100 ? r : r - 99.6) * row_seconds;
    }
    return map;
}

// Track 2 at 120 beats a minute, four to the bar; track 5 from a quarter
// second in, at 100 a minute, three to the bar.
const beat_grid* grids()
{
    static beat_grid g[entry_count];
    g[2] = {120, 4, 200, {}};
    for (int b = 0; b < 200; ++b)
        g[2].beat_seconds[b] = 0.5 * b;
    g[5] = {100, 3, 400, {}};
    for (int b = 0; b < 400; ++b)
        g[5].beat_seconds[b] = 0.25 + 0.6 * b;
    return g;
}
}

TEST(StripView, RowsAndPixelsGoBothWays)
{
    const strip_view whole;
    EXPECT_DOUBLE_EQ(strip_x(whole, 0, width), 0);
    EXPECT_DOUBLE_EQ(strip_x(whole, show_end_row, width), width);
    const strip_view part = {400, 24};
    EXPECT_DOUBLE_EQ(strip_x(part, 412, width), width / 2.0);
    for (double row : {400.0, 401.3, 423.9})
        EXPECT_NEAR(strip_row_at(part, strip_x(part, row, width), width), row, 1e-9);
}

TEST(StripView, ZoomKeepsItsPointStillBetweenThreeSecondsAndTheWholeShow)
{
    strip_view v;
    const double row = 700;
    const double x = strip_x(v, row, width);
    for (int k = 0; k < 5; ++k) {
        v = zoomed(v, row, 1 / strip_zoom_step);
        EXPECT_NEAR(strip_x(v, row, width), x, 1e-6) << "notch " << k;
    }
    for (int k = 0; k < 30; ++k)
        v = zoomed(v, row, 1 / strip_zoom_step);
    EXPECT_DOUBLE_EQ(v.rows, least_strip_rows);
    EXPECT_LE(v.first, row);
    EXPECT_GE(v.first + v.rows, row);
    for (int k = 0; k < 30; ++k)
        v = zoomed(v, row, strip_zoom_step);
    EXPECT_DOUBLE_EQ(v.rows, show_end_row);
    EXPECT_DOUBLE_EQ(v.first, 0);
}

TEST(StripView, NeverLooksPastEitherEnd)
{
    strip_view v = zoomed({}, show_end_row, 0.01);
    EXPECT_DOUBLE_EQ(v.first + v.rows, show_end_row) << "zoomed about the end";
    v = zoomed({show_end_row - 100, 100}, show_end_row - 10, 4);
    EXPECT_DOUBLE_EQ(v.first + v.rows, show_end_row) << "zoomed out near the end";
    EXPECT_DOUBLE_EQ(v.rows, 400);
    v = zoomed({}, 0, 0.01);
    EXPECT_DOUBLE_EQ(v.first, 0);
    EXPECT_DOUBLE_EQ(scrolled(v, -50).first, 0);
    EXPECT_DOUBLE_EQ(scrolled(v, 5000).first, show_end_row - v.rows);
    EXPECT_DOUBLE_EQ(scrolled(v, 10).first, 10);
    EXPECT_DOUBLE_EQ(scrolled(strip_view{}, 10).first, 0) << "the whole show has nowhere to scroll";
}

TEST(StripView, FollowsAPlayheadThatLeavesTheViewButNotOneScrolledAway)
{
    const strip_view v = {400, 24};
    EXPECT_DOUBLE_EQ(followed(v, 410, 420).first, 400) << "still in view";
    const strip_view paged = followed(v, 423.9, 424.2);
    EXPECT_LT(paged.first, 424.2);
    EXPECT_GT(paged.first + paged.rows, 424.2 + 0.9 * v.rows) << "the page turns to put it near the left";
    EXPECT_DOUBLE_EQ(paged.rows, v.rows);
    EXPECT_LE(followed(v, 420, 300).first, 300) << "a loop that went back";
    EXPECT_DOUBLE_EQ(followed(v, 600, 601).first, 400) << "the author looks elsewhere";
    EXPECT_DOUBLE_EQ(followed(v, v.first, 1000).first + v.rows * 0.05, 1000) << "a seek far away brings it along";
}

TEST(BeatMarks, EachTracksGridFromTheRowItStartedUntilTheNextOne)
{
    static beat_marks b;
    mark_beats(two_stays(), grids(), b);
    // Track 2: a beat each four rows, rows 0 to 96 (the next track starts at 99.6).
    int k = 0;
    for (; k < 25; ++k) {
        EXPECT_DOUBLE_EQ(b.marks[k].row, 4 * k);
        EXPECT_EQ(b.marks[k].bar, k % 4 == 0) << "beat " << k;
    }
    // Track 5: its first beat a quarter second after row 99.6, then each 4.8 rows, bars of three.
    EXPECT_NEAR(b.marks[k].row, 101.6, 1e-9);
    EXPECT_TRUE(b.marks[k].bar);
    EXPECT_NEAR(b.marks[k + 1].row, 106.4, 1e-9);
    EXPECT_FALSE(b.marks[k + 1].bar);
    EXPECT_TRUE(b.marks[k + 3].bar);
    for (int m = 1; m < b.count; ++m)
        EXPECT_LT(b.marks[m - 1].row, b.marks[m].row);
    EXPECT_LT(b.marks[b.count - 1].row, mapped_rows);
    EXPECT_EQ(b.count, 25 + int((mapped_rows - 101.6) / 4.8) + 1);
}

TEST(BeatMarks, StepsGoToTheNeighbouringBeatAndStopAtTheEnds)
{
    static beat_marks b;
    mark_beats(two_stays(), grids(), b);
    EXPECT_DOUBLE_EQ(beat_after(b, 8), 12) << "from a beat, the next one";
    EXPECT_DOUBLE_EQ(beat_before(b, 8), 4);
    EXPECT_DOUBLE_EQ(beat_after(b, 9.5), 12);
    EXPECT_DOUBLE_EQ(beat_before(b, 9.5), 8);
    EXPECT_NEAR(beat_after(b, 96), 101.6, 1e-9) << "into the next track's grid";
    EXPECT_DOUBLE_EQ(beat_before(b, 0), 0) << "none before the first";
    const double last = b.marks[b.count - 1].row;
    EXPECT_DOUBLE_EQ(beat_after(b, last), last);
    static beat_marks none;
    static const beat_grid silent[entry_count] = {};
    mark_beats(two_stays(), silent, none);
    EXPECT_EQ(none.count, 0) << "silent tracks have no beats";
    EXPECT_DOUBLE_EQ(beat_after(none, 5), 5);
}

TEST(ShowStays, ADoubleClickLoopsTheWholeStayOfItsMusic)
{
    int first, end;
    stay_at(two_stays(), 40, first, end);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(end, 100);
    stay_at(two_stays(), 99, first, end);
    EXPECT_EQ(end, 100);
    stay_at(two_stays(), 100, first, end);
    EXPECT_EQ(first, 100);
    EXPECT_EQ(end, show_end_row) << "the last stay runs to the show's end";
    stay_at(two_stays(), 99999, first, end);
    EXPECT_EQ(first, 100);
}
