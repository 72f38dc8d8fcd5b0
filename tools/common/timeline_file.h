// A timeline text file read and packed with the build's strict packer, for
// the tools that play an edited timeline without a rebuild.
#pragma once
#include <string>
#include <vector>

#include "timeline/source.h"

// False, with `error` (one line per problem), when the file cannot be read,
// does not parse, or holds a key that cannot be stored. `warnings` gets the
// packer's warnings either way.
bool load_timeline_file(const std::string& path, timeline_source& source, packed_timeline& packed, std::string& error,
                        std::vector<std::string>& warnings);
// load_timeline_file for a tool given `--timeline path`: the warnings and
// the error go to stderr under the tool's name. False when it cannot play.
bool read_timeline_option(const char* tool, const char* path, packed_timeline& packed);
