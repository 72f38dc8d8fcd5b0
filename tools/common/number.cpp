#include "tools/common/number.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "timeline/sync.h"

bool parse_number(const char* text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(out);
}

bool parse_row(const char* text, double& out) { return parse_number(text, out) && out >= 0 && out <= show_end_row; }

std::string row_rule() { return "a row is a number from 0 to " + std::to_string(show_end_row) + ", the show's end"; }

std::string number_text(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}
