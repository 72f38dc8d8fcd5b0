#include <gtest/gtest.h>

#include <algorithm>

#include "tools/music/pieces.h"

using namespace synth;

TEST(MusicHarmony, EveryPiecesChordsAreMajorOrMinorWithTheScalesOwnFifth)
{
    for (int k = 0; k < tune_count; ++k) {
        const piece& pc = pieces[k];
        for (int n = 0; n < 4; ++n) {
            const int degree = progression_degree(pc.progression, n);
            const chord c = chord_on(pc.key, pc.mode, degree);
            EXPECT_TRUE(c.third == 3 || c.third == 4) << "piece " << k << " bar " << n;
            // The chord's fifth is always pure; in the scale it must be too, or it clashes with the melody.
            const int* scale = scales[pc.mode];
            EXPECT_EQ((scale[(degree + 4) % 7] - scale[degree % 7] + 12) % 12, 7) << "piece " << k << " bar " << n;
            EXPECT_GE(c.root, 36) << k;
            EXPECT_LE(c.root, 47) << k;
        }
    }
}

TEST(MusicHarmony, VoicingKeepsTheChordTonesWithinAnOctave)
{
    for (int mode = major; mode <= harmonic_minor; ++mode)
        for (int degree = 0; degree < 7; ++degree) {
            const chord c = chord_on(Fs, mode_id(mode), degree);
            int notes[3];
            voicing(c, 55, notes);
            EXPECT_TRUE(std::is_sorted(notes, notes + 3));
            int classes[3], wanted[3] = {c.root % 12, (c.root + c.third) % 12, (c.root + 7) % 12};
            for (int i = 0; i < 3; ++i) {
                EXPECT_GE(notes[i], 55);
                EXPECT_LT(notes[i], 67);
                classes[i] = notes[i] % 12;
            }
            std::sort(classes, classes + 3), std::sort(wanted, wanted + 3);
            EXPECT_TRUE(std::equal(classes, classes + 3, wanted)) << mode << " " << degree;
        }
}

TEST(MusicHarmony, MelodyNotesLandOnTheNearestChordToneAndTheRightOctave)
{
    // Root, third and fifth of the chord on degree 1 are degrees 1, 3 and 5.
    EXPECT_EQ(nearest_chord_tone(1, 1), 1);
    EXPECT_EQ(nearest_chord_tone(2, 1), 1);
    EXPECT_EQ(nearest_chord_tone(6, 1), 5);
    EXPECT_EQ(nearest_chord_tone(-1, 1), -2); // an octave below the fifth
    // Degrees below the tonic fall into the octave below, not onto the tonic's octave.
    EXPECT_EQ(scale_note(C, major, 0), 60);
    EXPECT_EQ(scale_note(C, major, -1), 59);
    EXPECT_EQ(scale_note(C, major, -7), 48);
    EXPECT_EQ(scale_note(D, minor, 9), 62 + 12 + 3);
}
