// The show's --show-scale: the scale the effects are drawn at, as a label in
// the column's top left corner.
#pragma once

// Draws the three labels once, before the frame loop; W must not change after.
void make_scale_labels();
// Lays the label of scale 1, 2 or 4 over the frame drawn so far.
void draw_scale_label(int scale);
