#include "scripted_editor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <sstream>

namespace {
constexpr uint32_t longest_name = 256;

void put32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        v.push_back(uint8_t(x >> shift));
}

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Takes whole messages off the front of e.in.
void parse(scripted_editor& e)
{
    const std::string hello = "hello, synctracker!";
    if (!e.greeted) {
        if (e.in.size() < hello.size())
            return;
        if (std::string(e.in.begin(), e.in.begin() + hello.size()) != hello) {
            e.error = "bad greeting";
            return;
        }
        e.in.erase(e.in.begin(), e.in.begin() + hello.size());
        e.greeted = true;
        const std::string answer = "hello, demo!";
        if (e.answer_greeting)
            send(e.peer, answer.data(), answer.size(), MSG_NOSIGNAL);
    }
    while (!e.in.empty() && e.error.empty()) {
        const uint8_t c = e.in[0];
        if (c == 2) {
            if (e.in.size() < 5)
                return;
            const uint32_t n = be32(&e.in[1]);
            if (n > longest_name) {
                e.error = "name too long";
                return;
            }
            if (e.in.size() < 5 + n)
                return;
            e.asked.emplace_back(e.in.begin() + 5, e.in.begin() + 5 + n);
            e.in.erase(e.in.begin(), e.in.begin() + 5 + n);
        } else if (c == 3) {
            if (e.in.size() < 5)
                return;
            e.rows.push_back(be32(&e.in[1]));
            e.in.erase(e.in.begin(), e.in.begin() + 5);
        } else if (c == 4) {
            if (e.in.size() < 2)
                return;
            e.pauses.push_back(e.in[1]);
            e.in.erase(e.in.begin(), e.in.begin() + 2);
        } else {
            e.error = "unknown command " + std::to_string(c);
        }
    }
}
}

scripted_editor editor_listen(uint16_t port)
{
    scripted_editor e;
    e.listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const int one = 1;
    setsockopt(e.listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_port = htons(port);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(e.listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(e.listener, 4);
    socklen_t length = sizeof a;
    getsockname(e.listener, reinterpret_cast<sockaddr*>(&a), &length);
    e.port = ntohs(a.sin_port);
    return e;
}

void editor_stop_listening(scripted_editor& e)
{
    if (e.listener >= 0)
        close(e.listener);
    e.listener = -1;
}

void editor_hang_up(scripted_editor& e)
{
    if (e.peer >= 0)
        close(e.peer);
    e.peer = -1;
}

void editor_close(scripted_editor& e)
{
    editor_hang_up(e);
    editor_stop_listening(e);
}

void editor_pump(scripted_editor& e)
{
    if (e.peer < 0 && e.listener >= 0) {
        e.peer = accept4(e.listener, nullptr, nullptr, SOCK_NONBLOCK);
        if (e.peer >= 0) {
            ++e.connections;
            e.in.clear();
            e.greeted = false;
            e.asked.clear();
        }
    }
    if (e.peer < 0)
        return;
    uint8_t buffer[4096];
    for (ssize_t n; (n = recv(e.peer, buffer, sizeof buffer, 0)) > 0;)
        e.in.insert(e.in.end(), buffer, buffer + n);
    parse(e);
}

void editor_send(scripted_editor& e, const std::vector<uint8_t>& bytes)
{
    send(e.peer, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::vector<uint8_t> editor_set_key(uint32_t track, uint32_t row, float value, uint8_t mode)
{
    std::vector<uint8_t> v{0};
    put32(v, track);
    put32(v, row);
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    put32(v, bits);
    v.push_back(mode);
    return v;
}

std::vector<uint8_t> editor_set_key(uint32_t track, const source_key& key)
{
    return editor_set_key(track, uint32_t(key.row), float(key.value), uint8_t(key.mode));
}

std::vector<uint8_t> editor_set_keys(const timeline_source& source)
{
    std::vector<uint8_t> v;
    for (size_t t = 0; t < source.tracks.size(); ++t)
        for (const source_key& k : source.tracks[t].keys) {
            const std::vector<uint8_t> m = editor_set_key(uint32_t(t), k);
            v.insert(v.end(), m.begin(), m.end());
        }
    return v;
}

std::vector<uint8_t> editor_delete_key(uint32_t track, uint32_t row)
{
    std::vector<uint8_t> v{1};
    put32(v, track);
    put32(v, row);
    return v;
}

std::vector<uint8_t> editor_set_row(uint32_t row)
{
    std::vector<uint8_t> v{3};
    put32(v, row);
    return v;
}

std::vector<uint8_t> editor_pause(bool paused) { return {4, uint8_t(paused)}; }
std::vector<uint8_t> editor_save() { return {5}; }

timeline_source editor_open_project(const std::string& xml)
{
    timeline_source out;
    std::istringstream in(xml);
    for (std::string line; std::getline(in, line);) {
        char name[256];
        int row, mode;
        double value;
        if (std::sscanf(line.c_str(), " <track name=\"%255[^\"]\">", name) == 1)
            out.tracks.push_back({name, 10, {}});
        else if (std::sscanf(line.c_str(), " <key row=\"%d\" value=\"%lf\" interpolation=\"%d\"/>", &row, &value,
                             &mode) == 3 &&
                 !out.tracks.empty())
            out.tracks.back().keys.push_back({row, value, sync_mode(mode)});
    }
    return out;
}
