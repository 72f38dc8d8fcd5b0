// What the studio needs to start itself afresh where it stands, after an
// effect has left the device running for good.
#pragma once
#include <string>
#include <vector>

#include "shared/state.h"
#include "tools/studio/transport.h"

// The arguments that start the studio again at `place`: the original ones
// less any --row, --paused and --loop, then those that `place` gives; with
// `costs`, that file in place of any --costs.
std::vector<std::string> restart_arguments(int argc, const char* const* argv, const transport_state& place,
                                           const std::string& costs = "");
// Which of the slots in flight most likely loops: the one whose text in
// `shader_dir` was saved last, as "entry 5 (e05.hlsl)" or "the composite
// (prefix.hlsl)". Empty when count is 0.
std::string suspect_effect(const char* shader_dir, const int* slots, int count);
// The newest save among the show's texts in `shader_dir`, in nanoseconds; 0 when none is there.
long long newest_save(const char* shader_dir);
