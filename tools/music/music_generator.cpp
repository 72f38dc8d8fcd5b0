// The default soundtrack's generator, driven by tools/music/make-music.
//   swipemix-music --paths   the 37 music paths the show reads, one a line
//   swipemix-music --list    what each piece is: tempo, key, groove, instruments
//   swipemix-music K         piece K (0 ... 36) as a 16-bit stereo WAV file on stdout
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "music/tracks.h"
#include "tools/music/tunes.h"
#include "tools/music/wav.h"

namespace {
std::vector<int16_t> pcm16(const std::vector<float>& samples)
{
    std::vector<int16_t> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        pcm[i] = int16_t(std::lrint(samples[i] * 32767.0f));
    return pcm;
}
}

int main(int argc, char** argv)
{
    const char* what = argc == 2 ? argv[1] : "";
    if (!std::strcmp(what, "--paths")) {
        for (const char* path : track_paths)
            std::puts(path);
        return 0;
    }
    if (!std::strcmp(what, "--list")) {
        for (int k = 0; k < tune_count; ++k) {
            const tune_facts f = describe_tune(k);
            std::printf("%-32s %3d bpm %d/4  %-2s %-14s %-17s lead %-14s bass %-7s %s\n", track_paths[k], f.bpm,
                        f.beats_per_bar, f.key, f.mode, f.groove, f.lead, f.bass, f.chords);
        }
        return 0;
    }
    char* end;
    const long k = std::strtol(what, &end, 10);
    if (!*what || *end || k < 0 || k >= tune_count) {
        std::fprintf(stderr, "usage: swipemix-music --paths | --list | K (0 ... %d, as WAV on stdout)\n",
                     tune_count - 1);
        return 2;
    }
    write_wav(std::cout, pcm16(render_tune(int(k))), tune_rate, 2);
    // A full disk or a closed pipe must not pass for a finished piece.
    return std::cout.flush() ? 0 : 1;
}
