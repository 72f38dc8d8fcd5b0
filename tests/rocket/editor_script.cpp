// The scripted editor as a program, for runs of the real studio: it listens on PORT, serves the keys of a timeline
// source file to every connection that asks for its tracks, and does what lines on stdin say:
//   row N | pause 0|1 | key TRACK ROW VALUE MODE | delete TRACK ROW | save | hang-up | quit
// On stdout it says what it hears: "connected N", "tracks N" (all asked, keys sent), "row N", "pause P", "error ...".
// usage: editor_script PORT SOURCE_FILE
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "scripted_editor.h"
#include "timeline/source.h"

namespace {
void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// False on quit.
bool obey(scripted_editor& e, const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    unsigned track = 0, row = 0, mode = 0;
    float value = 0;
    if (verb == "row" && in >> row)
        editor_send(e, editor_set_row(row));
    else if (verb == "pause" && in >> mode)
        editor_send(e, editor_pause(mode != 0));
    else if (verb == "key" && in >> track >> row >> value >> mode)
        editor_send(e, editor_set_key(track, row, value, uint8_t(mode)));
    else if (verb == "delete" && in >> track >> row)
        editor_send(e, editor_delete_key(track, row));
    else if (verb == "save")
        editor_send(e, editor_save());
    else if (verb == "hang-up")
        editor_hang_up(e);
    else if (verb == "quit")
        return false;
    else
        say("error: cannot do '" + line + "'");
    return true;
}
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: editor_script PORT SOURCE_FILE\n");
        return 2;
    }
    std::ifstream file(argv[2]);
    std::stringstream text;
    text << file.rdbuf();
    timeline_source source;
    std::string error;
    if (!parse_timeline(text.str(), source, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
        return 1;
    }
    scripted_editor e = editor_listen(uint16_t(std::stoi(argv[1])));
    int connections = 0;
    size_t rows_heard = 0, pauses_heard = 0;
    bool served = false;
    std::string pending;
    for (;;) {
        pollfd input = {STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, 10) > 0) {
            char chunk[512];
            const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
            if (n <= 0)
                return 0;
            pending.append(chunk, size_t(n));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
                if (!obey(e, pending.substr(0, end)))
                    return 0;
        }
        editor_pump(e);
        if (e.connections != connections) {
            connections = e.connections, served = false, rows_heard = pauses_heard = 0;
            e.rows.clear(), e.pauses.clear();
            say("connected " + std::to_string(connections));
        }
        if (!served && e.asked.size() == source.tracks.size()) {
            editor_send(e, editor_set_keys(source));
            served = true;
            say("tracks " + std::to_string(e.asked.size()));
        }
        for (; rows_heard < e.rows.size(); ++rows_heard)
            say("row " + std::to_string(e.rows[rows_heard]));
        for (; pauses_heard < e.pauses.size(); ++pauses_heard)
            say("pause " + std::to_string(e.pauses[pauses_heard]));
        if (!e.error.empty()) {
            say("error: " + e.error);
            e.error.clear();
            editor_hang_up(e);
        }
    }
}
