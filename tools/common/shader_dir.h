// Shader texts read from a folder at run time, so effect authors see their
// edits without rebuilding.
#pragma once
#include <string>

// A source_table of the files in `dir` named as in graphics/shaders; a file
// that is not there keeps its built-in text. A file holding a NUL byte gives
// a line in `problems` and no text.
const char* const* load_shader_dir(const char* dir, std::string& problems);
