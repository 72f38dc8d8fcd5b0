// Command-line numbers for the tools.
#pragma once
#include <string>

// The whole of text as a finite number; false for anything else.
bool parse_number(const char* text, double& out);
// A row of the show: a number from 0 to its last row.
bool parse_row(const char* text, double& out);
// What parse_row takes, for the line that refuses a value.
std::string row_rule();
// A number as %g writes it, for messages.
std::string number_text(double v);
