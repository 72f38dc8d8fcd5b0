// The show's texts are Windows-1252 bytes; drawing wants Unicode.
#pragma once
#include <string>

std::u32string from_cp1252(const char* text);
