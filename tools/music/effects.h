// What the whole mix goes through once every part is in.
#pragma once
#include "tools/music/mixer.h"

namespace synth {
// Echo taps alternate sides, into the dry and reverb buses.
void add_echo(mixer& m, double delay_seconds);
// A small bank of combs and all-passes on the reverb send, into the dry bus.
void add_reverb(mixer& m, double amount);
// Brings the bus to this RMS level, with a soft limit instead of clipping.
void level_and_limit(std::vector<float>& bus, double rms);
}
