// A sync editor for the tests: listens on 127.0.0.1 at an ephemeral port, hears the studio's greeting,
// track requests, rows and pauses, and sends whatever bytes a test scripts.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "timeline/source.h"

struct scripted_editor {
    int listener = -1;
    int peer = -1;
    uint16_t port = 0;
    std::vector<uint8_t> in;
    bool greeted = false;
    bool answer_greeting = true;
    int connections = 0;
    std::vector<std::string> asked; // track names, in the order asked, this connection
    std::vector<uint32_t> rows;     // SET_ROW heard
    std::vector<int> pauses;        // PAUSE heard
    std::string error;              // what the studio sent that an editor would refuse
};

// Port 0 takes any free one.
scripted_editor editor_listen(uint16_t port = 0);
void editor_stop_listening(scripted_editor& e);
void editor_hang_up(scripted_editor& e);
void editor_close(scripted_editor& e);
// Accepts a waiting studio, reads what it sent; answers its greeting.
void editor_pump(scripted_editor& e);
void editor_send(scripted_editor& e, const std::vector<uint8_t>& bytes);

std::vector<uint8_t> editor_set_key(uint32_t track, uint32_t row, float value, uint8_t mode);
std::vector<uint8_t> editor_set_key(uint32_t track, const source_key& key);
// Every key of the source, its tracks numbered in order.
std::vector<uint8_t> editor_set_keys(const timeline_source& source);
std::vector<uint8_t> editor_delete_key(uint32_t track, uint32_t row);
std::vector<uint8_t> editor_set_row(uint32_t row);
std::vector<uint8_t> editor_pause(bool paused);
std::vector<uint8_t> editor_save();

// The tracks and keys of a project file, read as an editor opening it would; the file holds no scales.
timeline_source editor_open_project(const std::string& xml);
