// Writes the shader side's names of the sync tracks, made from the packer's
// table at build time: "out:gain" becomes sync_out_gain, the component of the
// constant vector that holds it. A #line at the end lets the compiler count
// the prefix's lines from its own top.
// usage: swipemix-track-names OUTPUT
#include <cstdio>
#include <string>

#include "shared/state.h"
#include "timeline/source.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: swipemix-track-names OUTPUT\n");
        return 2;
    }
    // The prefix's constant vectors, four floats each, in frame_constants' order.
    const char* const vectors[] = {"c", "p", "wat", "B", "I", "xts"};
    std::string text = "// The sync tracks by name (generated from the timeline's track table).\n";
    for (int t = 0; t < sync_track_count; ++t) {
        std::string name = show_track_names[t];
        for (char& ch : name)
            if (ch == ':')
                ch = '_';
        const int slot = slot_tracks + t;
        text += "#define sync_" + name + " " + vectors[slot / 4] + "." + "xyzw"[slot % 4] + "\n";
    }
    text += "#line 1\n";
    FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fputs(text.c_str(), out) < 0 || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
