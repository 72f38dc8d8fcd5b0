// Eight spinning triangles circling the middle of a 320-wide, 256-line screen,
// filled even-odd: a pixel is white where an odd number of them cover it.

// Twice the signed area of (a, b, w): the side of edge a-b that w lies on.
float tr_side(float2 a, float2 b, float2 w)
{
    return (b.x - a.x) * (w.y - a.y) - (b.y - a.y) * (w.x - a.x);
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    // 256 lines span the frame height; the screen's middle column and line sit
    // at the frame centre, so its 320 columns overhang both sides.
    float sc = 1080.0 / 256.0;
    float2 w = floor((position - q * 0.5) / sc) + 0.5;

    int inside = 0;
    for (int i = 0; i < 8; i++)
    {
        float k = i;
        // Two rings of four, the outer one running the other way.
        float ring = (i & 1) ? 78.0 : 36.0;
        float orbit = ((i & 1) ? -0.45 : 0.6) * t + k * 1.5708 * 0.5 + 0.4 * sin(t * 0.3 + k);
        float2 centre = ring * float2(cos(orbit), sin(orbit)) * float2(1.0, 1.2 + 0.3 * sin(t * 0.5 + k));
        float size = 46.0 + 18.0 * sin(t * 0.9 + k * 2.3);
        float spin = t * (1.1 + 0.17 * k) * ((i & 2) ? -1.0 : 1.0) + k;
        float2 a = centre + size * float2(cos(spin), sin(spin));
        float2 b = centre + size * float2(cos(spin + 2.0944), sin(spin + 2.0944));
        float2 d = centre + size * float2(cos(spin + 4.1888), sin(spin + 4.1888));
        // Counter-clockwise vertices, so inside means all three sides positive.
        if (tr_side(a, b, w) >= 0.0 && tr_side(b, d, w) >= 0.0 && tr_side(d, a, w) >= 0.0)
            inside ^= 1;
    }
    colour = float4((float3)inside, 1.0);
}
