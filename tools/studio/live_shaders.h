// Effects edited while the studio runs: a thread watches the shader folder
// and recompiles the slots a saved file feeds; the frame loop swaps them in.
#pragma once
#include <string>
#include <vector>

// Watches `dir` (inotify) from now on, before the shaders are first read from
// it, so that no save is missed; follow_shaders recompiles what was saved.
void watch_shaders(const char* dir);
// Once the device runs: recompiles every save, those since watch_shaders included.
void follow_shaders();
// At a frame boundary: puts every recompilation finished by the boundary
// before into shader_table (the frame between shows no progress line). A
// slot whose text failed keeps its last good shader. Returns true when
// something changed, with `saved_at` (steady-clock seconds) when the file
// behind the oldest of them was seen saved.
bool swap_in_shaders(double* saved_at = nullptr);
// Lines for the author since last asked: each file reloaded, once all its
// shaders are on screen, and effect files that no entry reads.
std::vector<std::string> take_shader_notices();
// The A/B view: whether the last save's swaps kept the versions they
// replaced, and, between frames, those versions in and out of the slots
// (twice puts them back).
bool versions_kept();
void exchange_versions();
// The compiler's messages for the texts that fail now; empty when all compile.
std::string shader_errors();
// Recompiles the slots that file `name` feeds, on the calling thread.
void recompile_file(const char* dir, const std::string& name);
// The slots the frame draws now, recompiled first when the prefix changes.
void shaders_on_screen(int a, int b);
// While a saved text's shaders are being compiled.
bool recompiling();
// While a text that feeds several shaders recompiles: a line saying how far
// it is; else, or while a shader waits for the next boundary, empty.
std::string recompile_progress();
