#include "graphics/cp1252.h"

std::u32string from_cp1252(const char* text)
{
    // Bytes 0x80 ... 0x9F hold the code page's own punctuation and letters; its
    // five unassigned bytes keep their C1 control values. The rest is Latin-1.
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    std::u32string unicode;
    for (const char* c = text; *c; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
        unicode += byte >= 0x80 && byte < 0xA0 ? char32_t(high[byte - 0x80]) : char32_t(byte);
    }
    return unicode;
}
