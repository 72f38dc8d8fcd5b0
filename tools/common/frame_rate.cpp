#include "tools/common/frame_rate.h"

#include <cctype>
#include <cmath>
#include <numeric>

#include "timeline/sync.h"

namespace {
// Digits up to the first non-digit; false when there are none or too many.
bool digits(const char*& text, long long& value, int& count)
{
    value = 0;
    count = 0;
    for (; std::isdigit((unsigned char)*text); ++text, ++count) {
        if (count == 12)
            return false;
        value = value * 10 + (*text - '0');
    }
    return count > 0;
}
}

bool parse_frame_rate(const char* text, frame_rate& out)
{
    long long num, den = 1;
    int count;
    if (!digits(text, num, count))
        return false;
    if (*text == '/') {
        ++text;
        if (!digits(text, den, count))
            return false;
    } else if (*text == '.') {
        ++text;
        long long fraction;
        if (!digits(text, fraction, count) || count > 6)
            return false;
        for (int i = 0; i < count; ++i) {
            num *= 10;
            den *= 10;
        }
        num += fraction;
    }
    if (*text || den == 0 || num < min_fps * den || num > max_fps * den)
        return false;
    const long long common = std::gcd(num, den);
    out = {num / common, den / common};
    return true;
}

std::string frame_rate_rule()
{
    return "a frame rate is N, N.N or N/D frames a second, from " + std::to_string(min_fps) + " to " +
           std::to_string(max_fps);
}

double frame_row(const frame_rate& rate, double from, long long k)
{
    return from + double(rows_per_second * k * rate.den) / double(rate.num);
}

long long frames_between(const frame_rate& rate, double from, double to)
{
    if (!(to > from))
        return 0;
    return (long long)(std::ceil((to - from) * double(rate.num) / double(rows_per_second * rate.den) - 1e-9));
}

long long first_frame_at(const frame_rate& rate, double rows)
{
    return (long long)(std::ceil(rows * double(rate.num) / double(rows_per_second * rate.den) - 1e-9));
}
