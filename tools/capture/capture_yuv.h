// The back buffer's 10-bit RGB as the video's pictures: BT.709 Y'CbCr,
// limited range (16-235, 16-240), 4:2:0 planes.
#pragma once

// Even sizes for a picture of width x height: chroma comes in 2 x 2 blocks.
inline int even(int n) { return (n + 1) & ~1; }
inline unsigned long yuv420_bytes(int width, int height)
{
    return (unsigned long)(even(width)) * even(height) * 3 / 2;
}

// Columns [x0, x0 + width) and rows [0, height) of `words` (packed 10-bit RGB,
// red in the low bits, `stride` words a row) into Y, Cb and Cr planes at
// `out`, yuv420_bytes(width, height) bytes. An odd width or height is padded
// with black. Each chroma sample is the mean of its 2 x 2 block.
void to_yuv420(const unsigned* words, int stride, int x0, int width, int height, unsigned char* out);
