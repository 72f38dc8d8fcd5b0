// Folders named on a command line, checked before a tool relies on them: a
// typo must not look like an edit that had no effect.
#pragma once
#include <string>

// Why `dir` cannot serve as a folder to read from, or empty.
std::string unreadable_folder(const char* dir);
