// The strip along the bottom: the part of the show its view spans, with the
// loop behind it; seconds, entries, beats and bars above; the chosen track's
// keys and its curve; the music's loudness; each row's cost; and where the
// frame and the view are in the whole show.
#pragma once
#include <vector>

#include "tools/studio/layout.h"
#include "tools/studio/screen.h"

// Colours of the strip's numbers, 0xRRGGBB.
extern const unsigned strip_palette[256];

// Into grey (W x 1080 colour numbers) at `place`.
void draw_strip(std::vector<unsigned char>& grey, const studio_view& v, layout_rect place);
