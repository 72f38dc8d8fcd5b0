// 16-bit PCM WAV files, for the generator's output and the tests' inputs.
#pragma once
#include <cstdint>
#include <ostream>
#include <vector>

// Interleaved samples with their header.
void write_wav(std::ostream& out, const std::vector<int16_t>& samples, int rate, int channels);
