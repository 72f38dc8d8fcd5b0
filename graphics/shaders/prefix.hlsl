// Put in front of every effect text: the show's bindings, three helpers for the
// effects and the two kernels. An effect only defines ya.

// The head of frame_constants, float i of the block at .xyzw of vector i / 4:
// c   = time, previous time, pass value (column offset in the composite), feed position
// p.x, p.y = zoom and time offset of the entry drawn
// p.z ... xts.z = the 17 sync tracks, each also named sync_ and its name in the
// timeline with _ for : (sync_feed_target, sync_camera_x, sync_out_gamma); the
// names are made from the timeline's table when the show is built. Then noise.
// mu  = the music heard: beat phase and bar phase (each 0 ... 1 from its start), tempo in beats a minute, seconds
//       into its track
float4 c, p, wat, B, I, xts, mu;
static float2 q = float2(768, 1080);
// A reduced scale: at N each thread of the entry kernel stands for an N x N
// block of the column, drawn once at the block's middle, and the composite
// brings the column back to full size. The studio's preview and the show's
// --adaptive set it.
[[vk::constant_id(0)]] const int preview_scale = 1;
Texture3D zyz : register(t0);
Texture2D xsx : register(t1);
SamplerState xwt : register(s0);
RWTexture2D<unorm float3> zyw : register(u0);
RWTexture2D<unorm float3> xsy : register(u1);
// The music heard, 512 x 2, read with xwt: at v 0.25 its spectrum (u 0 ... 1 up to 22 kHz, each texel 43 Hz;
// 0 ... 1 from -90 to -20 dB, smoothed over the last 0.14 s), at v 0.75 its last 512 samples (0.5 at rest).
Texture2D snd : register(t5);

void ya(out float4 colour, float2 position);

// Noise in -0.5 ... 0.5; frac repeats it because the sampler clamps.
float4 zs(float3 s)
{
    return zyz.SampleLevel(xwt, frac(s), 0) * 0.5;
}

// (cos a, sin a) to float precision on every driver. A driver's own sin and
// cos may be off by 10^-4 (the bound is 2^-11), which iterated maps, normals
// taken by differences and long recurrences magnify into another picture.
// a is brought to within pi / 4 by quarter turns whose products are exact.
float2 cis(float a)
{
    float k = round(a * 0.63661977);
    float r = a - k * 1.5703125 - k * 4.8375130e-4 - k * 7.5497899e-8;
    float r2 = r * r;
    // Taylor series, multiplied rather than divided: a division may be rounded
    // each driver's way.
    float s = r * (1.0 - r2 * 0.16666667 * (1.0 - r2 * 0.05 * (1.0 - r2 * 0.023809524 * (1.0 - r2 * 0.013888889))));
    float o = 1.0 - r2 * 0.5 * (1.0 - r2 * 0.083333333 * (1.0 - r2 * 0.033333333 * (1.0 - r2 * 0.017857143)));
    uint quarter = uint(int(k)) & 3u;
    return quarter == 0u ? float2(o, s) : quarter == 1u ? float2(-s, o) : quarter == 2u ? float2(-o, -s) : float2(s, -o);
}

// Sines and cosines of three angles at once, within 1e-4 (3e-4 for angles in
// the hundreds, whose reduction costs float precision), for effects that take
// many a pixel at every step: the half angle, brought within pi / 2,
// feeds two short fitted series, and the double-angle rule brings them back.
// A third of what a driver's separate sin and cos cost.
void sincos_fast(float3 x, out float3 s, out float3 c)
{
    float3 h = x * 0.5 - 3.14159265 * round(x * 0.159154943);
    float3 h2 = h * h;
    float3 sh2 = h * (1.99946997 + h2 * (-0.331452349 + h2 * 0.0150606627)); // twice sin(h)
    float3 ch = 0.999996748 + h2 * (-0.499926886 + h2 * (0.0415007403 - h2 * 0.00127439641));
    s = sh2 * ch;
    c = 1.0 - 0.5 * sh2 * sh2;
}

// A number for a whole-numbered cell. Integer arithmetic: every driver agrees
// on it, where the sine of a large argument is each driver's own.
uint cell_hash(float3 cell)
{
    int3 i = int3(cell);
    uint h = uint(i.x) * 0x8da6b343u + uint(i.y) * 0xd8163841u + uint(i.z) * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    return h;
}

// The atlas's band `band`, its middle at f.y = 0, f.y counting upward.
float4 xxt(float2 f, int band)
{
    return xsx.SampleLevel(xwt, float2(f.x, (0.5 - f.y + band) / 14), 0).xxxx;
}

// The caption row over an entry's colour at its pixel h, for the pass that
// draws it (0 the entry under the position, 1 the next).
float4 caption_row(float4 colour, float2 h, float pass)
{
    if (h.y > 10 && h.y < 105) {
        float2 a = float2(h.x / 768, (128 - h.y + int(c.w + pass * 0.2) * 92) / (1024 * 14));
        if (sync_feed_target < 32)
            for (int gy = -1; gy <= 1; gy += 2)
                for (int gx = -1; gx <= 1; gx += 2)
                    colour = lerp(saturate(colour), 0, xsx.SampleLevel(xwt, a + float2(gx * 0.001, gy * 0.001 / 14), 0).x);
        colour = lerp(saturate(colour), 1, xsx.SampleLevel(xwt, a, 0).x);
    }
    return colour;
}

// One entry, or the part of it the scroll shows, with its caption row. At a
// reduced scale the caption is left to the composite, which draws it sharp.
[numthreads(8, 8, 1)]
void _(uint3 S : SV_DispatchThreadID)
{
    float2 P = float2(S.xy) * preview_scale + (preview_scale - 1) * 0.5;
    if (P.x >= 768 || P.y >= 1080)
        return; // past the scaled column
    int F = int(frac(c.w) * 1080);
    float2 h = float2(P.x, 1080 - (P.y + F - c.z * 1080));
    if (h.x < 0 || h.y < 0 || h.y > 1080)
        return; // the other entry's pixel
    float4 colour;
    ya(colour, h * p.x - q * 0.5 * (p.x - 1));
    if (preview_scale == 1)
        colour = caption_row(colour, h, c.z);
    xsy[S.xy] = colour.rgb;
}

// The feed image at pixel t of the column: at a reduced scale, the block holding t.
float3 column_at(uint2 t)
{
    return xsy[t / preview_scale];
}

// The radial blur of the feed image around P, in pixels of the column.
float3 blurred(float2 P)
{
    float r = length(P / q - 0.5);
    float3 sum = column_at(uint2(P));
    float weight = 1;
    // Without blur the loop never runs (it starts at n.x >= 0), so its noise is
    // not read: a 3D sample a pixel saved for most of the show.
    if (sync_out_blur > 0) {
        float4 n = zs(float3(P.x, P.y, P.y) * 0.1 + (c.x + p.y) * 2) + 0.5;
        // The direction at angle e turns by 2.4 a step: a rotation rather than the
        // sine of an ever larger angle, which each driver reduces its own way.
        float2 turn = cis(n.x);
        for (float e = n.x; e < sync_out_blur * 1080 * r; e += 2.4) {
            weight += e / 16;
            // Left of and above the image repeat its edge, right and below is black;
            // the read stays inside the image either way.
            uint2 t = uint2(max(P + turn * e / 11, 0));
            float3 seen = column_at(min(t, uint2(767, 1079)));
            sum += (t.x < 768 && t.y < 1080 ? seen : 0) * e / 16;
            turn = float2(turn.x * -0.73739372 - turn.y * 0.67546318, turn.y * -0.73739372 + turn.x * 0.67546318);
        }
    }
    return sum / weight;
}

// Gamma and gain, then into the back buffer's column at its pixel t.
void put_column(int2 t, float3 colour)
{
    // pow is three exp2 and log2 a pixel; a reduced frame need not be exact, so
    // it skips them at the usual gamma of 1.
    float3 result = (preview_scale > 1 && sync_out_gamma == 1 ? colour : pow(colour, sync_out_gamma)) * sync_out_gain;
    uint width, height;
    zyw.GetDimensions(width, height);
    int2 o = t + int2(int(c.z), 0);
    if (o.x >= 0 && o.x < int(width)) // a narrow back buffer drops the rest
        zyw[o] = result;
}

// At a reduced scale the composite is two passes. The first blurs the
// reduced picture, a thread per block, into xsy beside it; the second, this,
// brings that to full size: the column's pixels between the middles of blocks
// k and k + 1, read between them (the edges repeated), with the caption row
// laid over at full resolution. Four reads serve N x N pixels.
void upscale(int2 k)
{
    int2 last = int2(768, 1080) / preview_scale - 1, beside = int2(last.x + 1, 0);
    int2 a = clamp(k, 0, last) + beside, b = clamp(k + 1, 0, last) + beside;
    float3 c00 = xsy[a], c10 = xsy[int2(b.x, a.y)], c01 = xsy[int2(a.x, b.y)], c11 = xsy[b];
    int F = int(frac(c.w) * 1080);
    int2 first = k * preview_scale + preview_scale / 2;
    for (int dy = 0; dy < preview_scale; ++dy)
        for (int dx = 0; dx < preview_scale; ++dx) {
            int2 t = first + int2(dx, dy);
            if (any(t < 0) || t.x >= 768 || t.y >= 1080)
                continue;
            float2 f = (float2(dx, dy) + 0.5) / preview_scale;
            float3 colour = lerp(lerp(c00, c10, f.x), lerp(c01, c11, f.x), f.y);
            // Which pass drew t: the next entry's from the seam down, as it is drawn last.
            float pass = t.y + F >= 1080 ? 1 : 0;
            put_column(t, caption_row(float4(colour, 1), float2(t.x, 1080 - (t.y + F - pass * 1080)), pass).rgb);
        }
}

// Set in the composite's second pass at a reduced scale.
[[vk::constant_id(1)]] const int upscale_pass = 0;

// The feed image through radial blur, gamma and gain into the back buffer's
// column, always at full resolution.
[numthreads(8, 8, 1)]
void __(uint3 S : SV_DispatchThreadID)
{
    if (upscale_pass != 0) {
        upscale(int2(S.xy) - 1);
        return;
    }
    float2 P = float2(S.xy) * preview_scale + (preview_scale - 1) * 0.5;
    if (P.x >= 768 || P.y >= 1080)
        return;
    if (preview_scale == 1)
        put_column(int2(S.xy), blurred(P));
    else
        xsy[S.xy + uint2(768 / preview_scale, 0)] = blurred(P);
}
