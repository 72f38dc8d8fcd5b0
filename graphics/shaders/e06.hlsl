// A 320 x 200 plasma done the old way: integer sines, a 16-colour palette and
// a 4 x 4 ordered dither. Each canvas pixel is 4 x 4 frame pixels.

// 125 sin(a) + 128 for a in 256ths of a turn, from a rational approximation of
// the sine so no float enters the picture.
int pl_isin(int a)
{
    a &= 255;
    int h = a & 127;
    int u = h * (128 - h);
    int s = 2000 * u / (81920 - 4 * u);
    return a < 128 ? 128 + s : 128 - s;
}

// A colour wheel in four runs of four: night blue up to cyan, over white to
// amber, down through red to violet, back into the night.
static const int pl_palette[16] = {
    0x0a0a3c, 0x14288c, 0x1e64d2, 0x32b4f0,
    0x8ce6ff, 0xfafaf0, 0xffdc78, 0xffa028,
    0xf05a14, 0xc81e32, 0x9c1464, 0x781e96,
    0x502896, 0x321e78, 0x1e145a, 0x0f0a32 };

static const int pl_bayer[16] = { 0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5 };

void ya(out float4 colour, float2 position)
{
    colour = float4(0, 0, 0, 1);
    // The canvas is 1280 x 800 frame pixels, centred: 140 black lines above and below.
    int x = (int)floor((position.x + 256.0) / 4.0);
    int y = 199 - (int)floor((position.y - 140.0) / 4.0);
    if (x < 0 || x >= 320 || y < 0 || y >= 200)
        return;
    // 70 ticks per second; floor keeps negative clocks stepping evenly.
    int t = (int)floor((c.x + p.y) * 70.0);

    int v = pl_isin(x * 2 + t);
    v += pl_isin(y * 3 - t * 2);
    v += pl_isin(x + y + (t >> 1));
    v += pl_isin((pl_isin(x - t) >> 2) + y * 2 + t);
    v += pl_isin((pl_isin(y + (t >> 2)) >> 1) - x * 3 + (t >> 1));
    // Five terms of 3 .. 253 make 15 .. 1265; spread that over one wheel turn and a half.
    int w = (v * 77 >> 8) + (t >> 1);

    // Within a run of four entries the low bits pick between neighbours by threshold.
    int d = pl_bayer[(y & 3) * 4 + (x & 3)];
    int rgb = pl_palette[((w & 255) + d) >> 4 & 15];
    colour.rgb = float3((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255) / 255.0;
}
