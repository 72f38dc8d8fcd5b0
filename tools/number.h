// Command-line numbers for the tools.
#pragma once

// The whole of text as a finite number; false for anything else.
bool parse_number(const char* text, double& out);
