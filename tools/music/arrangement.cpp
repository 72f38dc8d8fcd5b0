// A piece from its catalogue row: four parts over the bars of a progression,
// each brought to its level, then echo, reverb and the final level.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/music/effects.h"
#include "tools/music/melody.h"

namespace synth {
namespace {
// What every part of piece k is played against.
struct score {
    int k;
    const piece& pc;
    const groove& g;
    double sixteenth, bar;
    int bars;
    double end; // where the final chord starts, after the last whole bar
    placement lead_place, bass_place, chord_place;
};

score score_of(int k)
{
    const piece& pc = pieces[k];
    const groove& g = grooves[pc.groove];
    const double sixteenth = 15.0 / pc.bpm;
    const double bar = g.steps * sixteenth;
    // Some 28 s of music in whole bars, then a final chord that rings out.
    const int bars = int(std::ceil(28.0 / bar));
    return {.k = k,
            .pc = pc,
            .g = g,
            .sixteenth = sixteenth,
            .bar = bar,
            .bars = bars,
            .end = bars * bar,
            .lead_place = place(k % 2 ? 0.15 : -0.15, 0.3 + 0.04 * (k % 4), 0.25),
            .bass_place = place(0.0, 0.0, 0.03),
            .chord_place = place(k % 2 ? -0.3 : 0.3, 0.1, 0.35)};
}

double step_time(const score& sc, double bar_start, int s)
{
    return bar_start + s * sc.sixteenth + (s % 4 == 2 ? sc.g.swing * sc.sixteenth : 0.0);
}

chord chord_of_bar(const score& sc, int n)
{
    return chord_on(sc.pc.key, sc.pc.mode, progression_degree(sc.pc.progression, n));
}

void drums(mixer& m, rng& r, const score& sc)
{
    const groove& g = sc.g;
    const drum_kit kit = piece_kit(sc.k);
    for (int n = 0; n < sc.bars; ++n) {
        const double t0 = n * sc.bar;
        if (n % 8 == 0)
            crash(m, r, t0);
        for (int s = 0; s < g.steps; ++s) {
            const double t = step_time(sc, t0, s), human = 0.9 + 0.1 * r.unit();
            if (g.kick[s] != '.')
                kick(m, kit, t, (g.kick[s] == 'x' ? 1.0 : 0.6) * human);
            char sn = g.snare[s];
            if (n % 4 == 3 && sc.pc.groove != minimal && s >= g.steps - 3)
                sn = s == g.steps - 1 ? 'x' : 'o'; // a short fill into the next phrase
            if (sn != '.')
                snare(m, r, kit, g.snare_kind, t, (sn == 'x' ? 1.0 : 0.45) * human);
            if (g.hat[s] != '.')
                hat(m, r, kit, g.hat[s] == 'o', t, (g.hat[s] == '-' ? 0.55 : 1.0) * human);
        }
    }
    kick(m, kit, sc.end, 1.0);
    crash(m, r, sc.end);
}

void bass_line(mixer& m, rng& r, const score& sc)
{
    const groove& g = sc.g;
    const voice& bass = bass_voices[sc.pc.bass];
    for (int n = 0; n < sc.bars; ++n) {
        const double t0 = n * sc.bar;
        const chord c = chord_of_bar(sc, n);
        for (int s = 0; s < g.steps; ++s)
            if (g.bass[s] != '.') {
                int next = s + 1;
                while (next < g.steps && g.bass[next] == '.')
                    ++next;
                const int note = c.root + (g.bass[s] == 'F' ? 7 : g.bass[s] == 'O' ? 12 : 0);
                play(m, bass, step_time(sc, t0, s), std::min(next - s, 4) * sc.sixteenth * 0.9, note,
                     0.9 + 0.1 * r.unit(), sc.bass_place);
            }
    }
    play(m, bass, sc.end, 1.2, chord_on(sc.pc.key, sc.pc.mode, 0).root, 0.9, sc.bass_place);
}

// One bar of the chord's notes, in the piece's way of playing them.
void chord_bar(mixer& m, const score& sc, const int notes[3], double t0)
{
    const groove& g = sc.g;
    const placement& p = sc.chord_place;
    switch (sc.pc.chords) {
    case pad:
        for (int i = 0; i < 3; ++i)
            play(m, pad_voice, t0, sc.bar, notes[i], 1.0, p);
        break;
    case stabs:
        for (int s = 2; s < g.steps; s += 4)
            for (int i = 0; i < 3; ++i)
                play(m, stab_voice, step_time(sc, t0, s), 1.5 * sc.sixteenth, notes[i], 0.8, p);
        break;
    case arpeggio: {
        static constexpr int order[] = {0, 1, 2, 3, 2, 1};
        const int every = sc.pc.bpm > 135 ? 2 : 1;
        for (int s = 0, i = 0; s < g.steps; s += every, ++i) {
            const int o = order[i % 6];
            play(m, lead_voices[pluck], step_time(sc, t0, s), every * sc.sixteenth * 0.8,
                 (o == 3 ? notes[0] + 12 : notes[o]) + 12, 0.8, p);
        }
        break;
    }
    case strum: {
        const int every = g.steps == 12 ? 4 : 8;
        for (int s = 0; s < g.steps; s += every)
            for (int i = 0; i < 3; ++i)
                play(m, lead_voices[pluck], step_time(sc, t0, s) + 0.012 * i, every * sc.sixteenth, notes[i], 0.8,
                     p);
        break;
    }
    }
}

void harmony(mixer& m, const score& sc)
{
    int notes[3];
    for (int n = 0; n < sc.bars; ++n) {
        voicing(chord_of_bar(sc, n), 55, notes);
        chord_bar(m, sc, notes, n * sc.bar);
    }
    voicing(chord_on(sc.pc.key, sc.pc.mode, 0), 55, notes);
    for (int note : notes)
        play(m, lead_voices[pluck], sc.end, 1.5, note, 0.8, sc.chord_place);
}

// Two motifs and their answers, each heard in a four-bar phrase that closes
// on a cadence: A A B, over and over, the B phrases lifted a third.
struct themes {
    motif a, a2, b, b2, close;
};

themes draw_themes(rng& r, const score& sc)
{
    const int steps = sc.g.steps;
    const double busy = sc.pc.bpm > 135 ? 0.35 : sc.pc.bpm < 90 ? 1.0 : 0.7;
    themes th;
    th.a = make_motif(r, steps, busy);
    th.b = make_motif(r, steps, busy);
    th.a2 = answer(r, th.a, steps);
    th.b2 = answer(r, th.b, steps);
    th.close = cadence(steps);
    return th;
}

void melody(mixer& m, rng& r, const score& sc, const themes& th)
{
    const voice& lead = lead_voices[sc.pc.lead];
    int degree = 2;
    for (int n = 0; n < sc.bars; ++n) {
        const bool b_phrase = (n / 4) % 3 == 2;
        const motif& mo = n % 4 == 3 ? th.close : b_phrase ? (n % 4 == 2 ? th.b2 : th.b) : (n % 4 == 2 ? th.a2 : th.a);
        sing(m, r, sc.pc, lead, sc.lead_place, degree, mo, progression_degree(sc.pc.progression, n), n * sc.bar,
             sc.sixteenth, b_phrase ? 2 : 0);
    }
    play(m, lead, sc.end, 1.2, 60 + sc.pc.key + 12, 0.9, sc.lead_place);
}
}
}

std::vector<double> tune_beat_seconds(int k)
{
    const synth::score sc = synth::score_of(k);
    const int per_bar = sc.g.steps / 4;
    std::vector<double> beats;
    // Beats sit on every fourth sixteenth, which swing never moves.
    for (int b = 0; b <= sc.bars * per_bar; ++b)
        beats.push_back(b * 4 * sc.sixteenth);
    return beats;
}

std::vector<float> render_tune(int k)
{
    using namespace synth;
    const score sc = score_of(k);
    const size_t frames = size_t((sc.end + 2.5) * rate);
    mixer master = silent_mixer(frames);

    // Each part is rendered on its own and brought to its level in the mix, so
    // that every instrument choice gives the same balance.
    enum { drum_part, bass_part, harmony_part, melody_part };
    static constexpr double levels[] = {0.11, 0.15, 0.07, 0.19}; // RMS of each part
    for (int part : {drum_part, bass_part, harmony_part, melody_part}) {
        rng r{uint32_t(2654435761u * (k + 1) + 40503u * part)};
        // Every part's random stream starts with the melody's themes, so that
        // the stream each part goes on with is the one the pieces were made with.
        const themes th = draw_themes(r, sc);
        mixer m = silent_mixer(frames);
        switch (part) {
        case drum_part:
            drums(m, r, sc);
            break;
        case bass_part:
            bass_line(m, r, sc);
            break;
        case harmony_part:
            harmony(m, sc);
            break;
        case melody_part:
            melody(m, r, sc, th);
            break;
        }
        add_mixer(master, m, float(level_gain(m.dry, levels[part])));
    }
    add_echo(master, 3 * sc.sixteenth);
    add_reverb(master, 0.3);
    level_and_limit(master.dry, 0.17);
    return master.dry;
}
