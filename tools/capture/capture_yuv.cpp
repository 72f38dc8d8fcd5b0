#include "tools/capture/capture_yuv.h"

namespace {
// Fixed point with 20 fraction bits: a 10-bit channel (or the sum of four)
// times a coefficient fits an int, and rounding is one add and one shift.
constexpr int bits = 20;
constexpr double one = 1 << bits, kr = 0.2126, kb = 0.0722, kg = 1 - kr - kb;
constexpr int fixed(double x) { return int(x * one + (x < 0 ? -0.5 : 0.5)); }

// Luma of one pixel, channel values out of 1023.
constexpr int yr = fixed(219 * kr / 1023), yg = fixed(219 * kg / 1023), yb = fixed(219 * kb / 1023);
constexpr int y_offset = fixed(16.5);
// Chroma of a 2 x 2 block, channel sums out of 4 x 1023.
constexpr double cscale = 224.0 / (4 * 1023);
constexpr int ur = fixed(-cscale * kr / (2 * (1 - kb))), ug = fixed(-cscale * kg / (2 * (1 - kb))), ub = fixed(cscale / 2);
constexpr int vr = fixed(cscale / 2), vg = fixed(-cscale * kg / (2 * (1 - kr))), vb = fixed(-cscale * kb / (2 * (1 - kr)));
constexpr int c_offset = fixed(128.5);

inline int red(unsigned w) { return int(w & 1023); }
inline int green(unsigned w) { return int(w >> 10 & 1023); }
inline int blue(unsigned w) { return int(w >> 20 & 1023); }
inline unsigned char luma(unsigned w) { return (unsigned char)((yr * red(w) + yg * green(w) + yb * blue(w) + y_offset) >> bits); }
}

void to_yuv420(const unsigned* words, int stride, int x0, int width, int height, unsigned char* out)
{
    const int w = even(width), h = even(height);
    unsigned char* y_plane = out;
    unsigned char* u_plane = out + w * h;
    unsigned char* v_plane = u_plane + w / 2 * (h / 2);
    // Past the picture's edge the padding is black.
    const auto at = [&](int x, int y) { return x < width && y < height ? words[(long)y * stride + x0 + x] : 0u; };
    for (int y = 0; y < h; y += 2)
        for (int x = 0; x < w; x += 2) {
            const unsigned a = at(x, y), b = at(x + 1, y), c = at(x, y + 1), d = at(x + 1, y + 1);
            y_plane[y * w + x] = luma(a);
            y_plane[y * w + x + 1] = luma(b);
            y_plane[(y + 1) * w + x] = luma(c);
            y_plane[(y + 1) * w + x + 1] = luma(d);
            const int r = red(a) + red(b) + red(c) + red(d), g = green(a) + green(b) + green(c) + green(d),
                      bl = blue(a) + blue(b) + blue(c) + blue(d);
            const int chroma = y / 2 * (w / 2) + x / 2;
            u_plane[chroma] = (unsigned char)((ur * r + ug * g + ub * bl + c_offset) >> bits);
            v_plane[chroma] = (unsigned char)((vr * r + vg * g + vb * bl + c_offset) >> bits);
        }
}
