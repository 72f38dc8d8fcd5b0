#include "tools/capture/capture_image.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "graphics/authoring.h"
#include "shared/state.h"

void grab(rgb_image& out, int x0, int width) { grab(out, presented_pixels(), x0, width); }

void grab(rgb_image& out, const unsigned* words, int x0, int width)
{
    const int from = std::max(x0, 0), to = std::min(x0 + width, W);
    out.width = std::max(to - from, 0);
    out.height = frame_height;
    out.rgb.resize(size_t(out.width) * out.height * 3);
    // 10 bits to 8, rounded, looked up rather than divided for every channel.
    static unsigned char eight[1024];
    if (!eight[1023])
        for (unsigned v = 0; v < 1024; ++v)
            eight[v] = (unsigned char)((v * 255 + 511) / 1023);
    unsigned char* o = out.rgb.data();
    for (int y = 0; y < frame_height; ++y)
        for (int x = from; x < to; ++x) {
            const unsigned word = words[size_t(y) * W + x];
            for (int channel = 0; channel < 3; ++channel)
                *o++ = eight[word >> (10 * channel) & 1023];
        }
}

void paste_quarter(rgb_image& sheet, const rgb_image& frame, int x, int y)
{
    for (int ty = 0; ty < frame.height / 4; ++ty)
        for (int tx = 0; tx < frame.width / 4; ++tx)
            for (int channel = 0; channel < 3; ++channel) {
                int sum = 0;
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = 0; dx < 4; ++dx)
                        sum += frame.rgb[(size_t(ty * 4 + dy) * frame.width + tx * 4 + dx) * 3 + channel];
                sheet.rgb[(size_t(y + ty) * sheet.width + x + tx) * 3 + channel] = (unsigned char)((sum + 8) / 16);
            }
}

void draw_label(rgb_image& sheet, int x, int y, int number)
{
    // 3 x 5 digits, top row in the high bits.
    static const unsigned short glyphs[10] = {0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9, 0x79CF, 0x79EF, 0x7249, 0x7BEF, 0x7BCF};
    constexpr int scale = 4, pad = 4;
    char digits[12];
    const int count = std::snprintf(digits, sizeof digits, "%d", number);
    const int box_w = count * 4 * scale - scale + 2 * pad, box_h = 5 * scale + 2 * pad;
    for (int by = 0; by < box_h; ++by)
        for (int bx = 0; bx < box_w; ++bx) {
            const int gx = bx - pad, gy = by - pad, digit = gx / (4 * scale), column = gx % (4 * scale) / scale;
            const bool lit = gx >= 0 && gy >= 0 && gy < 5 * scale && digit < count && column < 3 &&
                             (glyphs[digits[digit] - '0'] >> (14 - (gy / scale) * 3 - column) & 1);
            std::memset(&sheet.rgb[(size_t(y + by) * sheet.width + x + bx) * 3], lit ? 255 : 0, 3);
        }
}

bool write_png(const char* path, const unsigned char* pixels, int width, int height, int channels, std::string& error)
{
    const auto failed = [&](int reason) {
        error = std::string("cannot write ") + path + ": " + std::strerror(reason);
        return false;
    };
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return failed(errno);
    errno = 0;
    // libpng's own messages would add a second line to ours.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr,
                                              [](png_structp p, png_const_charp) { png_longjmp(p, 1); },
                                              [](png_structp, png_const_charp) {});
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        // libpng stops at the first short write; errno still says why.
        const int reason = errno ? errno : EIO;
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return failed(reason);
    }
    png_init_io(png, file);
    png_set_compression_level(png, 3); // sequences are long; size matters less
    png_set_IHDR(png, info, width, height, 8, channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, pixels + size_t(y) * width * channels);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0)
        return failed(errno);
    return true;
}

bool write_png(const char* path, const unsigned char* pixels, int width, int height, int channels)
{
    std::string error;
    if (write_png(path, pixels, width, height, channels, error))
        return true;
    std::fprintf(stderr, "swipemix-capture: %s\n", error.c_str());
    return false;
}
