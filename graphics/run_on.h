// A statement without its ';' whose next line begins with an operator or a
// bracket compiles as one longer statement, silently: `d = a` then `-b;` is
// `d = a - b;`. The compiler has no warning for it, so the text is looked at
// for the sign an author leaves: a line meant to continue the one before is
// indented further, a statement of its own is not.
#pragma once
#include <vector>

// Lines (from 1) of `text` whose code ends in a name, a number or a closing
// bracket, outside any open bracket, and whose next code line begins with an
// operator or an opening bracket indented no further than the line the
// statement began on.
std::vector<int> run_on_lines(const char* text);
