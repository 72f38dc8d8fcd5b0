// 8-bit pictures of the back buffer, contact sheets and PNG files for the
// capture tool.
#pragma once
#include <string>
#include <vector>

struct rgb_image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb; // rows top first, 3 bytes a pixel
};

// Columns [x0, x0 + width) of the last presented back buffer, 10-bit values
// rounded to 8 bits; the span is clipped to the back buffer.
void grab(rgb_image& out, int x0, int width);
// The same from W x 1080 words the caller read back.
void grab(rgb_image& out, const unsigned* words, int x0, int width);
// `frame` shrunk to a quarter (4 x 4 pixel averages) at (x, y) of `sheet`.
void paste_quarter(rgb_image& sheet, const rgb_image& frame, int x, int y);
// A number in white block digits on black, its top left at (x, y).
void draw_label(rgb_image& sheet, int x, int y, int number);
// Writes an RGB (channels 3) or grey (channels 1) PNG; on failure returns
// false with `error` ("cannot write PATH: reason").
bool write_png(const char* path, const unsigned char* pixels, int width, int height, int channels, std::string& error);
inline bool write_png(const char* path, const rgb_image& image, std::string& error)
{
    return write_png(path, image.rgb.data(), image.width, image.height, 3, error);
}
// The same for the capture tool, which says why on stderr.
bool write_png(const char* path, const unsigned char* pixels, int width, int height, int channels);
inline bool write_png(const char* path, const rgb_image& image)
{
    return write_png(path, image.rgb.data(), image.width, image.height, 3);
}
