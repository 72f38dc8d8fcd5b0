#include "tools/number.h"

#include <cmath>
#include <cstdlib>

bool parse_number(const char* text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(out);
}
