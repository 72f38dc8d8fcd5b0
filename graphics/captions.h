// The caption texts as Windows-1252 bytes: one caption row per entry (credit
// line, like count, title) and the banner strings some effects show.
#pragma once
#include "shared/state.h"

constexpr int banner_count = 11;

extern const char* const credit_lines[entry_count]; // "@ " effect author " / " music author
extern const char* const like_counts[entry_count];
extern const char* const entry_titles[entry_count];
extern const char* const banner_strings[banner_count];
