#include "tools/studio/layout.h"

#include <algorithm>

#include "shared/state.h"

studio_layout lay_out(int back_width, int window_height, bool panels_shown)
{
    studio_layout l;
    const int W = std::max(back_width, 1);
    if (!panels_shown) {
        const int left = (W - column_width) / 2, right = left + column_width;
        l.column = {left, 0, column_width, frame_height};
        // Errors must still be seen: beside the column where it leaves room, else over its lower half.
        l.messages = W - right >= panel_least_width / 2 ? layout_rect{right, 0, W - right, frame_height}
                                                         : layout_rect{0, frame_height / 2, W, frame_height / 2};
        return l;
    }
    // The strip keeps a readable height on screen; a short window gives it more of the back buffer.
    const int least = strip_least_on_screen * frame_height / std::max(window_height, 1);
    const int strip = std::clamp(least, strip_base_height, frame_height / 2);
    const int above = frame_height - strip;
    l.strip = {0, above, W, strip};
    int width = column_width * above / frame_height;
    if ((W - width) / 2 >= panel_least_width) {
        // Centred as the show has it, the display on the left and the messages on the right.
        const int left = (W - width) / 2;
        l.column = {left, 0, width, above};
        l.display = {0, 0, left, above};
        l.messages = {left + width, 0, W - left - width, above};
        return l;
    }
    // Narrow: the column at the left, narrower still where it must be, the panels stacked on its right.
    width = std::clamp(W - panel_least_width, std::min(width, W / 2), width);
    const int height = width * frame_height / column_width;
    l.column = {0, 0, width, height};
    const int side = W - width, display_height = above * 3 / 5;
    l.display = {width, 0, side, display_height};
    l.messages = {width, display_height, side, above - display_height};
    return l;
}
