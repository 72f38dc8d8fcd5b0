// The end of a tool's written file: a full disk or a closed pipe must not pass
// for finished work.
#pragma once
#include <cstdio>

// Flushes `file`, and closes it unless it is stdout. True when every write and
// the flush went through; else false after "TOOL: cannot write NAME: reason"
// on stderr.
bool finish_output(FILE* file, const char* tool, const char* name);
