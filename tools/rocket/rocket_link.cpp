#include "tools/rocket/rocket_link.h"

#include <charconv>

#include "tools/rocket/rocket_protocol.h"
#include "tools/rocket/rocket_save.h"
#include "tools/rocket/rocket_socket.h"

namespace {
// Work per frame stays bounded however fast the editor writes.
constexpr size_t read_per_poll = 1 << 16;
}

struct rocket_link {
    rocket_options options;
    rocket_source keys;
    rocket_lookup* lookup = nullptr; // the host being found before a try
    int fd = -1;
    bool connected = false;
    bool said_absent = false;
    double next_try = 0;
    double connect_started = 0;
    rocket_decoder decoder;
    std::vector<uint8_t> outgoing;
    long last_row = -1;
};

bool rocket_parse_address(const std::string& text, rocket_address& out)
{
    out = {};
    if (text.empty())
        return true;
    const size_t colon = text.rfind(':');
    std::string port = text;
    if (colon != std::string::npos) {
        out.host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (error != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535 || out.host.empty())
        return false;
    out.port = uint16_t(value);
    return true;
}

namespace {
void drop(rocket_link& l, double now, std::string why, rocket_events& ev)
{
    if (!why.empty())
        ev.lines.push_back(std::move(why));
    rocket_socket_close(l.fd);
    l.fd = -1;
    l.connected = false;
    l.next_try = now + l.options.retry_seconds;
}

std::string where(const rocket_link& l)
{
    return l.options.address.host + ":" + std::to_string(l.options.address.port);
}

void start(rocket_link& l)
{
    l.connected = true;
    l.said_absent = false;
    l.decoder = {};
    l.outgoing.assign(rocket_client_greeting, rocket_client_greeting + sizeof rocket_client_greeting - 1);
    for (const rocket_track& t : l.keys) {
        const std::vector<uint8_t> m = rocket_encode_get_track(t.name);
        l.outgoing.insert(l.outgoing.end(), m.begin(), m.end());
    }
}

// Applies one message; true when the keys changed.
bool apply(rocket_link& l, const rocket_message& m, rocket_events& ev, double now)
{
    switch (m.command) {
    case rocket_command::set_key:
        if (!rocket_set_key(l.keys[m.track], m.row, {m.value, m.mode}))
            drop(l, now, "editor link closed: track " + l.keys[m.track].name + " has too many keys", ev);
        return true;
    case rocket_command::delete_key: return l.keys[m.track].keys.erase(m.row) > 0;
    case rocket_command::set_row:
        ev.seek_row = int(std::min<uint32_t>(m.row, INT32_MAX));
        l.last_row = ev.seek_row;
        return false;
    case rocket_command::pause: ev.paused = m.paused; return false;
    case rocket_command::save_tracks: ev.lines.push_back(rocket_save(l.keys, l.options.timeline_path)); return false;
    default: return false;
    }
}

void exchange(rocket_link& l, double now, rocket_events& ev)
{
    if (!l.outgoing.empty()) {
        const long sent = rocket_socket_send(l.fd, l.outgoing.data(), l.outgoing.size());
        if (sent < 0)
            return drop(l, now, "editor went away; reconnecting", ev);
        l.outgoing.erase(l.outgoing.begin(), l.outgoing.begin() + sent);
    }
    uint8_t buffer[4096];
    std::vector<rocket_message> messages;
    bool changed = false;
    for (size_t total = 0; total < read_per_poll && l.fd >= 0;) {
        const long n = rocket_socket_receive(l.fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0)
            return drop(l, now, "editor went away; reconnecting", ev);
        const bool was_greeted = l.decoder.greeted;
        messages.clear();
        rocket_decode(l.decoder, buffer, size_t(n), uint32_t(l.keys.size()), messages);
        if (!was_greeted && l.decoder.greeted) {
            // The editor's keys replace the source's from here on.
            for (rocket_track& t : l.keys)
                t.keys.clear();
            changed = true;
        }
        for (const rocket_message& m : messages)
            if (l.fd >= 0)
                changed |= apply(l, m, ev, now);
        if (!l.decoder.error.empty())
            drop(l, now, "editor link closed: " + l.decoder.error, ev);
        total += size_t(n);
    }
    if (changed && l.decoder.greeted) {
        auto timeline = std::make_shared<rocket_timeline>(rocket_pack(l.keys));
        ev.timeline = timeline;
    }
}
}

rocket_link* rocket_open(const rocket_options& options)
{
    rocket_link* l = new rocket_link;
    l->options = options;
    l->keys = options.start;
    return l;
}

void rocket_close(rocket_link* link)
{
    if (link && link->fd >= 0)
        rocket_socket_close(link->fd);
    if (link)
        rocket_lookup_end(link->lookup);
    delete link;
}

rocket_events rocket_poll(rocket_link& l, double now)
{
    rocket_events ev;
    if (l.fd < 0 && now >= l.next_try && !l.lookup)
        l.lookup = rocket_lookup_start(l.options.address.host);
    if (l.lookup && rocket_lookup_state(*l.lookup) != 0) {
        l.fd = rocket_socket_connect(*l.lookup, l.options.address.port);
        rocket_lookup_end(l.lookup);
        l.lookup = nullptr;
        if (l.fd < 0)
            l.next_try = now + l.options.retry_seconds;
        l.connect_started = now;
    }
    if (l.fd >= 0 && !l.connected) {
        // A host that never answers counts as one with no editor.
        const bool too_long = now - l.connect_started > l.options.retry_seconds;
        const int state = rocket_socket_connected(l.fd);
        if (state < 0 || (state == 0 && too_long)) {
            drop(l, now, l.said_absent ? "" : "no editor listens at " + where(l) + "; trying again every few seconds", ev);
            l.said_absent = true;
        } else if (state > 0) {
            start(l);
            ev.lines.push_back("editor connected at " + where(l));
        }
    }
    if (l.connected)
        exchange(l, now, ev);
    return ev;
}

void rocket_playing_row(rocket_link& l, int row)
{
    if (!l.connected || row == l.last_row || row < 0)
        return;
    l.last_row = row;
    const std::vector<uint8_t> m = rocket_encode_set_row(uint32_t(row));
    l.outgoing.insert(l.outgoing.end(), m.begin(), m.end());
}

void rocket_author_paused(rocket_link& l, bool paused)
{
    if (!l.connected)
        return;
    const std::vector<uint8_t> m = rocket_encode_pause(paused);
    l.outgoing.insert(l.outgoing.end(), m.begin(), m.end());
}

const rocket_source& rocket_keys(const rocket_link& l) { return l.keys; }

std::string rocket_state(const rocket_link& l)
{
    return (l.connected ? "editor connected at " : "waiting for an editor at ") + where(l);
}
