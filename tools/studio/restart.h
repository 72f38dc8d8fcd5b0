// What the studio needs to start itself afresh where it stands, after an
// effect has left the device running for good.
#pragma once
#include <string>
#include <vector>

#include "shared/state.h"
#include "tools/common/shader_dir.h" // suspect_effect and newest_save, which the studio's watch uses
#include "tools/studio/transport.h"

// The arguments that start the studio again at `place`: the original ones
// less any --row, --paused and --loop, then those that `place` gives; with
// `costs`, that file in place of any --costs.
std::vector<std::string> restart_arguments(int argc, const char* const* argv, const transport_state& place,
                                           const std::string& costs = "");
