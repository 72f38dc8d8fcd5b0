#include "tools/music/harmony.h"

#include <algorithm>

namespace synth {
const char* const key_names[12] = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
const char* const mode_names[7] = {"major", "dorian", "phrygian", "lydian", "mixolydian", "minor", "harmonic minor"};

const int scales[7][7] = {
    {0, 2, 4, 5, 7, 9, 11}, {0, 2, 3, 5, 7, 9, 10}, {0, 1, 3, 5, 7, 8, 10}, {0, 2, 4, 6, 7, 9, 11},
    {0, 2, 4, 5, 7, 9, 10}, {0, 2, 3, 5, 7, 8, 10}, {0, 2, 3, 5, 7, 8, 11},
};

int progression_degree(int p, int n)
{
    // Chord roots as scale degrees, chosen per mode to avoid diminished triads.
    static constexpr int progressions[progression_count][4] = {
        {0, 4, 5, 3}, {0, 5, 3, 4}, {0, 5, 2, 6}, {0, 1, 4, 0}, {0, 6, 5, 4}, {0, 0, 6, 3}, {0, 3, 1, 4}, {0, 2, 3, 1},
    };
    return progressions[p][n % 4];
}

int scale_note(key_id key, mode_id mode, int degree)
{
    const int octave = degree >= 0 ? degree / 7 : (degree - 6) / 7;
    return 60 + key + 12 * octave + scales[mode][degree - 7 * octave];
}

chord chord_on(key_id key, mode_id mode, int degree)
{
    const int* scale = scales[mode];
    const int root = scale[degree % 7];
    const int third = (scale[(degree + 2) % 7] - root + 12) % 12;
    const int note = 36 + key + root;
    return {note > 47 ? note - 12 : note, third}; // the bass stays below B2
}

void voicing(const chord& c, int low, int notes[3])
{
    const int tones[3] = {c.root, c.root + c.third, c.root + 7};
    for (int i = 0; i < 3; ++i) {
        notes[i] = tones[i];
        while (notes[i] < low)
            notes[i] += 12;
        while (notes[i] >= low + 12)
            notes[i] -= 12;
    }
    std::sort(notes, notes + 3);
}

int nearest_chord_tone(int d, int root)
{
    for (int distance = 0;; ++distance)
        for (int candidate : {d - distance, d + distance})
            if (((candidate - root) % 7 + 7) % 7 % 2 == 0 && ((candidate - root) % 7 + 7) % 7 != 6)
                return candidate;
}
}
