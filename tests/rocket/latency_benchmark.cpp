// Time from a key change sent by the scripted editor to the new packed timeline in the studio's hands,
// polling as a frame loop would, with the show's own tracks and keys. Prints the median and worst of many.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "scripted_editor.h"
#include "tools/rocket/rocket_link.h"

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "timeline/show.timeline";
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    timeline_source source;
    std::string error;
    if (!parse_timeline(text.str(), source, error)) {
        std::fprintf(stderr, "%s: %s\n", path, error.c_str());
        return 1;
    }
    scripted_editor editor = editor_listen();
    rocket_options o;
    o.address.port = editor.port;
    o.start = rocket_from_source(source);
    rocket_link* link = rocket_open(o);

    using clock = std::chrono::steady_clock;
    const auto seconds = [start = clock::now()] { return std::chrono::duration<double>(clock::now() - start).count(); };
    // Connect and serve the show's keys as an editor opened with the exported project would.
    for (int i = 0; i < 5000 && editor.asked.size() < source.tracks.size(); ++i) {
        rocket_poll(*link, seconds());
        editor_pump(editor);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    editor_send(editor, editor_set_keys(source));

    std::vector<double> waits;
    for (int n = 0; n < 200; ++n) {
        const double sent = seconds();
        editor_send(editor, editor_set_key(14, 800, float(n % 2), 0));
        for (int i = 0; i < 100000; ++i)
            if (rocket_poll(*link, seconds()).timeline) {
                waits.push_back(seconds() - sent);
                break;
            }
    }
    std::sort(waits.begin(), waits.end());
    if (waits.empty())
        return 1;
    std::printf("key change to packed timeline, %zu changes: median %.3f ms, worst %.3f ms\n", waits.size(),
                waits[waits.size() / 2] * 1e3, waits.back() * 1e3);
    rocket_close(link);
    editor_close(editor);
}
