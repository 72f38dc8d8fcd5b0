#include "tools/music/wav.h"

void write_wav(std::ostream& out, const std::vector<int16_t>& samples, int rate, int channels)
{
    const uint32_t data = uint32_t(samples.size() * 2);
    auto word = [&](uint32_t v, int bytes) { out.write(reinterpret_cast<const char*>(&v), bytes); };
    out.write("RIFF", 4), word(36 + data, 4), out.write("WAVEfmt ", 8), word(16, 4), word(1, 2);
    word(channels, 2), word(rate, 4), word(rate * channels * 2, 4), word(channels * 2, 2), word(16, 2);
    out.write("data", 4), word(data, 4);
    out.write(reinterpret_cast<const char*>(samples.data()), data);
}
