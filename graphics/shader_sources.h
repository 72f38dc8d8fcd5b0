// The shader texts, carried in the binary and addressed by file name, and
// which file each shader_table slot compiles.
#pragma once
#include "shared/state.h"

struct embedded_text {
    const char* name; // file name in graphics/shaders
    const char* text;
};
extern const embedded_text embedded_texts[];
extern const int embedded_text_count;

// File of each source_table element: the prefix, then entry e's effect at e + 1.
extern const char* const source_files[shader_slots];

// The built-in text of a file, or null when there is none.
const char* embedded_source(const char* name);
// source_table made of the built-in texts.
const char* const* builtin_source_table();
// The slots in the order their compiles should start, the longest text first,
// so that the last to finish is a short one; the composite's text is entry 0's.
// Slots without a text come last.
void slots_longest_first(const char* const* table, int order[shader_slots]);
// For each slot the first slot with the same text and kernel, whose SPIR-V
// serves both (entries sharing an effect file); itself where none comes
// before it. The composite compiles entry 0's text for another kernel, so it
// shares with no slot; nor does a slot without a text.
void slots_sharing_texts(const char* const* table, int text_of[shader_slots]);
