// Test inputs made on the spot: WAV files of a little tune, MP3 files made
// from them with lame, and ffmpeg's decoding of those as a reference.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/music/wav.h"

namespace sound_files {

inline std::string temp_folder()
{
    char name[] = "/tmp/swipemix-music-XXXXXX";
    return mkdtemp(name) ? name : "";
}

inline void run(const std::string& command)
{
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

inline std::vector<unsigned char> read_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A plucked arpeggio over a bass note: harmonics up to about 3.5 kHz, so
// that every sample rate down to 22,050 Hz carries it whole.
inline void write_tune_wav(const std::string& path, int rate, int channels, double seconds)
{
    const uint32_t frames = uint32_t(rate * seconds);
    std::vector<int16_t> samples(size_t(frames) * channels);
    const double notes[] = {220.0, 277.18, 329.63, 440.0, 329.63, 277.18};
    for (uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const int step = int(t * 6.0);
        const double since = t - step / 6.0;
        const double f = notes[step % 6];
        double v = 0.0;
        for (int h = 1; h <= 4; ++h)
            v += std::sin(2.0 * M_PI * f * h * t) * std::exp(-since * (3.0 + 4.0 * h)) / h;
        v = 0.35 * v + 0.2 * std::sin(2.0 * M_PI * 110.0 * t);
        for (int c = 0; c < channels; ++c)
            samples[size_t(i) * channels + c] = int16_t(std::lrint(10000.0 * v * (c ? 0.8 : 1.0)));
    }
    std::ofstream out(path, std::ios::binary);
    write_wav(out, samples, rate, channels);
}

// Encodes folder/name.mp3 from a tune with these lame options.
inline std::string make_mp3(const std::string& folder, const std::string& name, int rate, int channels,
                            double seconds, const std::string& lame_options)
{
    const std::string wav = folder + "/" + name + ".wav", mp3 = folder + "/" + name + ".mp3";
    write_tune_wav(wav, rate, channels, seconds);
    run("lame --quiet " + lame_options + " '" + wav + "' '" + mp3 + "'");
    return mp3;
}

// Sets the frame count of the file's Xing or Info header.
inline void patch_frame_count(std::vector<unsigned char>& mp3, uint32_t frames)
{
    for (size_t i = 0; i + 12 < mp3.size() && i < 2048; ++i)
        if (std::string(mp3.begin() + i, mp3.begin() + i + 4) == "Info" ||
            std::string(mp3.begin() + i, mp3.begin() + i + 4) == "Xing") {
            for (int b = 0; b < 4; ++b)
                mp3[i + 8 + b] = uint8_t(frames >> (24 - 8 * b));
            return;
        }
    ADD_FAILURE() << "no Xing or Info header";
}

}
