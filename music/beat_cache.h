// Each track's beat grid, from the file kept beside its music or else found
// by analysing the decoded sound (aubio's beat tracker) and kept there for the
// next start.
#pragma once

#include "music/beats.h"

// NAME.mp3 -> NAME.beats (any other name gets ".beats" added).
std::string beat_grid_path(const char* music_path);

// music_path's grid into `grid`: the kept one when its key is the file's,
// else the beats of the decoded track found afresh and written beside it;
// without `decoded` the file is decoded for it. An unreadable music file, or
// a silent one, has no beats.
void load_beat_grid(const char* music_path, const music_track* decoded, beat_grid& grid);
// load_beat_grid for every entry into beat_table: after load_tracks, with
// track_table...
void load_beat_grids();
// ...or from `dir`, with the tracks load_tracks_from(dir) decoded, or none.
void load_beat_grids_from(const char* dir, const music_track* decoded);

// Writes `grid` beside music_path under that file's key, replacing the file
// whole. False, after a line on stderr naming the file, when it cannot.
bool write_beat_grid(const char* music_path, const beat_grid& grid, const char* source);

// The beats of a decoded track by analysis: its tempo from the median gap
// between beats, four beats to the bar from the first beat heard.
void analyse_beats(const music_track& track, beat_grid& grid);
