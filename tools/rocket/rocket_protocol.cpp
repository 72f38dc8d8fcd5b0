#include "tools/rocket/rocket_protocol.h"

#include <cstring>

namespace {
uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void put32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        v.push_back(uint8_t(x >> shift));
}

// Whole length of a message starting with this command byte, or 0 for one the editor never sends.
size_t message_length(uint8_t command)
{
    switch (rocket_command(command)) {
    case rocket_command::set_key: return 1 + 4 + 4 + 4 + 1;
    case rocket_command::delete_key: return 1 + 4 + 4;
    case rocket_command::set_row: return 1 + 4;
    case rocket_command::pause: return 1 + 1;
    case rocket_command::save_tracks: return 1;
    default: return 0;
    }
}

// Checks and decodes one whole message; false with d.error set when it is malformed.
bool decode_one(rocket_decoder& d, const uint8_t* m, uint32_t track_count, rocket_message& msg)
{
    msg.command = rocket_command(m[0]);
    if (msg.command == rocket_command::set_key || msg.command == rocket_command::delete_key) {
        msg.track = be32(m + 1);
        msg.row = be32(m + 5);
        if (msg.track >= track_count) {
            d.error = "editor named track " + std::to_string(msg.track) + " of " + std::to_string(track_count);
            return false;
        }
    }
    if (msg.command == rocket_command::set_key) {
        const uint32_t bits = be32(m + 9);
        std::memcpy(&msg.value, &bits, sizeof msg.value);
        if (m[13] >= sync_mode_count) {
            d.error = "editor sent interpolation " + std::to_string(m[13]) + " (0 to 3 exist)";
            return false;
        }
        msg.mode = sync_mode(m[13]);
    }
    if (msg.command == rocket_command::set_row)
        msg.row = be32(m + 1);
    if (msg.command == rocket_command::pause) {
        if (m[1] > 1) {
            d.error = "editor sent pause flag " + std::to_string(m[1]);
            return false;
        }
        msg.paused = m[1];
    }
    return true;
}
}

void rocket_decode(rocket_decoder& d, const uint8_t* bytes, size_t n, uint32_t track_count,
                   std::vector<rocket_message>& out)
{
    const size_t greeting = sizeof rocket_editor_greeting - 1;
    for (size_t i = 0; i < n && d.error.empty(); ++i) {
        d.pending.push_back(bytes[i]);
        if (!d.greeted) {
            if (d.pending.back() != uint8_t(rocket_editor_greeting[d.pending.size() - 1]))
                d.error = "editor's greeting is not \"hello, demo!\"";
            else if (d.pending.size() == greeting) {
                d.greeted = true;
                d.pending.clear();
            }
            continue;
        }
        const size_t length = message_length(d.pending[0]);
        if (length == 0) {
            d.error = "editor sent unknown command byte " + std::to_string(d.pending[0]);
            break;
        }
        if (d.pending.size() < length)
            continue;
        rocket_message msg;
        if (decode_one(d, d.pending.data(), track_count, msg))
            out.push_back(msg);
        d.pending.clear();
    }
}

std::vector<uint8_t> rocket_encode_get_track(const std::string& name)
{
    std::vector<uint8_t> v{uint8_t(rocket_command::get_track)};
    put32(v, uint32_t(name.size()));
    v.insert(v.end(), name.begin(), name.end());
    return v;
}

std::vector<uint8_t> rocket_encode_set_row(uint32_t row)
{
    std::vector<uint8_t> v{uint8_t(rocket_command::set_row)};
    put32(v, row);
    return v;
}

std::vector<uint8_t> rocket_encode_pause(bool paused) { return {uint8_t(rocket_command::pause), uint8_t(paused)}; }
