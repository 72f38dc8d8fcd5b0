// Parts rendered apart joined into one video: the pictures copied as they
// are, the soundtrack encoded once, as a single render would have it.
#pragma once
#include <vector>

// Checks that `parts` are every part of one render, in order, and `sound` its
// soundtrack, then writes `output` under a temporary name and renames it when
// whole. 0, or 1 after a line on stderr naming what is missing or mismatched.
int join_parts(const std::vector<const char*>& parts, const char* sound, const char* output);
