// The A/B view after a save: the entry as it was, as it is, or the two
// frames' difference made bright enough to see.
#pragma once
#include <string>

enum class ab_view { now, before, difference };

ab_view next_view(ab_view view);

// How far apart `a` and `b` (packed 10-bit RGB words) are at each of `count`
// pixels, as grey: the largest channel's difference, amplified so that one
// level of 255 reads as `amplified_level`; equal pixels are black.
constexpr int amplified_level = 8;
void amplified_difference(const unsigned* a, const unsigned* b, int count, unsigned char* grey);

// The display's line: which version is on screen and what each cost to draw.
std::string compare_line(ab_view view, double before_ms, double now_ms);
