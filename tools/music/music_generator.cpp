// The default soundtrack's generator, driven by tools/music/make-music.
//   swipemix-music --paths   the 37 music paths the show reads, one a line
//   swipemix-music --list    what each piece is: tempo, key, groove, instruments
//   swipemix-music PIECE     that piece, as --list names it or by its number,
//                            as a 16-bit stereo WAV file on stdout
//   swipemix-music --beats PIECE   the piece's beat grid beside its music file
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "music/beat_cache.h"
#include "music/tracks.h"
#include "tools/common/output.h"
#include "tools/music/tunes.h"
#include "tools/music/wav.h"

namespace {
const char* const help =
    "usage: swipemix-music --paths | --list | PIECE > piece.wav | --beats PIECE\n"
    "  --paths   the music files the show reads, one a line\n"
    "  --list    each piece's file, tempo, key, groove and instruments\n"
    "  PIECE     a piece as --list names it (Music/05-glass-garden.mp3, 05-glass-garden) or by its\n"
    "            number there (5 or 05), written as a 16-bit stereo WAV file to the standard output\n"
    "  --beats PIECE   the piece's tempo and beats, written beside its music file (made first) as\n"
    "            the show keeps them (Music/05-glass-garden.beats), keyed to that file\n";

std::vector<int16_t> pcm16(const std::vector<float>& samples)
{
    std::vector<int16_t> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        pcm[i] = int16_t(std::lrint(samples[i] * 32767.0f));
    return pcm;
}

// The piece a user names, as --list shows it: its path, its file name with or
// without ".mp3", the name without its number, or its number. -1 for none.
int piece_named(const std::string& text)
{
    char* end;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && !*end)
        return number >= 1 && number <= tune_count ? int(number - 1) : -1;
    for (int k = 0; k < tune_count; ++k) {
        const std::string path = track_paths[k], file = path.substr(path.find('/') + 1);
        const std::string stem = file.substr(0, file.size() - 4), title = stem.substr(stem.find('-') + 1);
        if (text == path || text == file || text == stem || text == title)
            return k;
    }
    return -1;
}

bool finished() { return finish_output(stdout, "swipemix-music", "the standard output"); }

// The generator knows its beats, so a piece it made is never analysed.
int write_beats(int k)
{
    static beat_grid grid;
    const std::vector<double> beats = tune_beat_seconds(k);
    grid.tempo = describe_tune(k).bpm;
    grid.beats_per_bar = describe_tune(k).beats_per_bar;
    grid.beat_count = int(std::min<size_t>(beats.size(), max_beats));
    std::copy_n(beats.begin(), grid.beat_count, grid.beat_seconds);
    return write_beat_grid(track_paths[k], grid, "generator") ? 0 : 1;
}

int unknown_piece(const std::string& what)
{
    std::fprintf(stderr, "swipemix-music: %s: a piece is a number from 1 to %d or a name as --list shows it\n",
                 what.c_str(), tune_count);
    return 2;
}
}

int main(int argc, char** argv)
{
    const std::string what = argc == 2 ? argv[1] : "";
    if (what == "--help") {
        std::fputs(help, stdout);
        return !finished();
    }
    if (what == "--paths") {
        for (const char* path : track_paths)
            std::puts(path);
        return !finished();
    }
    if (what == "--list") {
        for (int k = 0; k < tune_count; ++k) {
            const tune_facts f = describe_tune(k);
            std::printf("%-32s %3d bpm %d/4  %-2s %-14s %-17s lead %-14s bass %-7s %s\n", track_paths[k], f.bpm,
                        f.beats_per_bar, f.key, f.mode, f.groove, f.lead, f.bass, f.chords);
        }
        return !finished();
    }
    if (argc == 3 && argv[1] == std::string("--beats")) {
        const int k = piece_named(argv[2]);
        return k < 0 ? unknown_piece(argv[2]) : write_beats(k);
    }
    if (argc != 2 || what.empty() || what[0] == '-') {
        std::fprintf(stderr, "swipemix-music: %s\n",
                     argc == 1 ? "name a piece, or --paths, --list or --beats PIECE (see --help)"
                               : ("unknown option " + std::string(argv[1]) + " (see --help)").c_str());
        return 2;
    }
    const int k = piece_named(what);
    if (k < 0)
        return unknown_piece(what);
    if (isatty(1)) {
        std::fprintf(stderr, "swipemix-music: %s: the WAV bytes would go to the terminal; send them to a file "
                             "(swipemix-music %s > piece.wav)\n", what.c_str(), what.c_str());
        return 2;
    }
    write_wav(std::cout, pcm16(render_tune(k)), tune_rate, 2);
    // A full disk or a closed pipe must not pass for a finished piece.
    return !(std::cout.flush() && finished());
}
