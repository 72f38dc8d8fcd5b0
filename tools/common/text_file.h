// An author's file read whole: a folder, a FIFO or a device named by mistake,
// or a file of endless size, is refused with its reason instead of blocking
// or filling the memory.
#pragma once
#include <cstddef>
#include <string>

enum class text_read { read, missing, refused };

// The whole of the regular file at `path`, at most `largest` bytes. missing
// when nothing is there; refused with `error` (the reason, as "cannot be read:
// Permission denied" or "is a folder, not a file") for anything else that
// cannot be read.
text_read read_text_file(const std::string& path, size_t largest, std::string& text, std::string& error);
// The same answer, without reading, for a file named on a command line.
text_read check_text_file(const std::string& path, std::string& error);
