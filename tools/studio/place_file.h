// Shots and renders are written under a temporary name beside their place
// and renamed into it once whole, so that a failed write leaves nothing
// behind, and a file already there is never replaced.
#pragma once
#include <string>

// A file of its own in the folder of `wanted`, with its extension, for the
// writing: DIR/.NAME-XXXXXX.EXT. Empty, with `error`, when none can be made.
std::string temporary_beside(const std::string& wanted, std::string& error);
// Renames `written` to `wanted`, or, when that name is taken, to the first
// free of NAME-2.EXT, NAME-3.EXT, ...; returns the name it took. Empty, with
// `error`, when it cannot; `written` is then removed.
std::string place_file(const std::string& written, const std::string& wanted, std::string& error);
