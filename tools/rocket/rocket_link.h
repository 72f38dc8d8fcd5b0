// The studio's link to a sync editor: called once per frame, it keeps a connection going, turns the editor's
// keys into packed timelines, and reports seeks, pauses and saves as events.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/rocket/rocket_keys.h"

struct rocket_address {
    std::string host = "127.0.0.1";
    uint16_t port = 1338;
};

// [HOST:]PORT; an empty text gives the default. False when the port is not 1 to 65535.
bool rocket_parse_address(const std::string& text, rocket_address& out);

struct rocket_options {
    rocket_address address;
    std::string timeline_path;  // written on the editor's save command
    rocket_source start;        // the tracks as the source has them: names, scales, keys
    double retry_seconds = 3;
};

struct rocket_events {
    int seek_row = -1; // the editor moved its cursor here
    int paused = -1;   // 1 pause, 0 play, -1 unchanged
    std::shared_ptr<const rocket_timeline> timeline; // new tables to install at the frame boundary
    std::vector<std::string> lines;                  // notices for the screen
};

struct rocket_link;

rocket_link* rocket_open(const rocket_options& options);
void rocket_close(rocket_link* link);

rocket_events rocket_poll(rocket_link& link, double now_seconds);
// While playing, each frame: the editor hears of every new whole row.
void rocket_playing_row(rocket_link& link, int row);
void rocket_author_paused(rocket_link& link, bool paused);
// The keys as the editor last gave them.
const rocket_source& rocket_keys(const rocket_link& link);
// "editor connected at HOST:PORT" or "waiting for an editor at HOST:PORT", for the display.
std::string rocket_state(const rocket_link& link);
