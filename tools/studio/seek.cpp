#include "tools/studio/seek.h"

#include "music/authoring.h"

show_place land(feed_state stepped, track_since playing, double row)
{
    follow_track(playing, update_feed(stepped, row), row);
    return {stepped, playing.track, (row - playing.since) * row_seconds};
}

show_place seek_show(const frame_rate& rate, double row)
{
    restart_track_choice(); // the show starts on entry 0's music at row 0
    track_since playing;
    const feed_state stepped = step_feed_to(rate, row, [&](double rows, int now) {
        select_track(now);
        follow_track(playing, now, rows);
    });
    const show_place place = land(stepped, playing, row);
    select_track(place.track);
    return place;
}
