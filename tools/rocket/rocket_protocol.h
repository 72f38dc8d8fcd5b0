// The editor link's wire format: the handshake, and the messages the editor sends, decoded from a byte stream
// that may arrive in any pieces. Pure: no sockets here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "timeline/sync.h"

inline constexpr char rocket_client_greeting[] = "hello, synctracker!"; // 19 bytes, no terminator
inline constexpr char rocket_editor_greeting[] = "hello, demo!";        // 12 bytes

enum class rocket_command : uint8_t { set_key = 0, delete_key = 1, get_track = 2, set_row = 3, pause = 4, save_tracks = 5 };

struct rocket_message {
    rocket_command command;
    uint32_t track = 0;
    uint32_t row = 0;
    float value = 0;
    sync_mode mode = sync_step;
    bool paused = false;
};

// Accumulates bytes and yields whole messages. A byte that cannot start or continue a valid editor message
// sets error (one line); after that the stream is unusable and the connection is closed.
struct rocket_decoder {
    std::vector<uint8_t> pending; // never more than one message long
    bool greeted = false;
    std::string error;
};

// Decodes what arrived; appends whole messages to out. track_count bounds the track index.
void rocket_decode(rocket_decoder& d, const uint8_t* bytes, size_t n, uint32_t track_count,
                   std::vector<rocket_message>& out);

// Client-to-editor messages.
std::vector<uint8_t> rocket_encode_get_track(const std::string& name);
std::vector<uint8_t> rocket_encode_set_row(uint32_t row);
std::vector<uint8_t> rocket_encode_pause(bool paused);
