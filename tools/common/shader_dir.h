// Shader texts read from a folder at run time, so effect authors see their
// edits without rebuilding.
#pragma once
#include <string>

// A source_table of the files in `dir` named as in graphics/shaders; a file
// that is not there keeps its built-in text. A file that is there but cannot
// be read, or holds a NUL byte, gives a line in `problems` and no text. So
// does a file flagged in `had` (one flag a slot) that is not there: one that
// vanished from the author's folder is not stood in for either.
const char* const* load_shader_dir(const char* dir, std::string& problems, const bool* had = nullptr);

// Which of the slots in flight most likely loops: the one whose text in
// `dir` was saved last, as "entry 5 (e05.hlsl)" or "the composite
// (prefix.hlsl)"; without a folder (the built-in texts), each of them, joined
// by "or". Empty when count is 0.
std::string suspect_effect(const char* dir, const int* slots, int count);
// The newest save among the show's texts in `dir`, in nanoseconds; 0 when none is there.
long long newest_save(const char* dir);
