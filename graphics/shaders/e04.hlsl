// Faceted cells: eight drifting groups of twelve half-planes. Inside a group
// the highest plane wins, which makes a convex faceted cone; across groups
// the lowest wins, so the cones meet in straight crystal seams.

// Per-pixel dither offset in 0..1.
float e04_hash(float2 v)
{
    int2 i = int2(floor(v));
    uint h = uint(i.x) * 0x9e3779b1u ^ uint(i.y) * 0x85ebca77u;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    return float(h & 0xffffu) / 65536.0;
}

void ya(out float4 colour, float2 position)
{
    float t = (c.x + p.y) * 0.02;
    float2 u = (2.0 * position - q) / 1080.0;
    float e = 1.5 / 1080.0;
    // Field at the pixel and one step right and up, for the slope.
    float3 h = 1e5;
    for (int g = 0; g < 8; g++)
    {
        float fg = g;
        float2 centre = float2(0.75 * sin(23.0 * t + 2.4 * fg) + 0.2 * sin(41.0 * t + fg),
                               1.05 * cos(17.0 * t + 1.7 * fg * fg));
        float turn = 0.4 * fg + 9.0 * t * (float(uint(g) % 2u) - 0.5);
        // Step the plane normal by 30 degrees and the reach phase by 1.3
        // radians with rotations instead of calling sin and cos 24 times.
        float2 n = float2(cos(turn), sin(turn));
        float phase = 37.0 * t + 2.1 * fg;
        float2 wave = float2(cos(phase), sin(phase));
        const float2 step_n = float2(0.8660254, 0.5);
        const float2 step_w = float2(0.2674988, 0.9635582);
        float3 m = -1e5;
        for (int j = 0; j < 12; j++)
        {
            float base = dot(u - centre, n) - (0.16 + 0.07 * wave.y);
            m = max(m, float3(base, base + e * n.x, base + e * n.y));
            n = float2(step_n.x * n.x - step_n.y * n.y, step_n.y * n.x + step_n.x * n.y);
            wave = float2(step_w.x * wave.x - step_w.y * wave.y, step_w.y * wave.x + step_w.x * wave.y);
        }
        h = min(h, m);
    }
    float3 nrm = normalize(float3(-(h.y - h.x) / e, -(h.z - h.x) / e, 1.6));
    float3 ldir = normalize(float3(-0.5, 0.7, 0.6));
    float diff = max(dot(nrm, ldir), 0.0);
    float3 hv = normalize(ldir + float3(0, 0, 1));
    float shine = pow(max(dot(nrm, hv), 0.0), 7.0);
    float hs = h.x + 0.25;
    float3 tint = sin(float3(5, 7, 11) * hs * hs);
    float3 col = tint * (0.25 + 0.75 * diff) + 0.35 * shine;
    col = floor(saturate(col) * 63.0 + e04_hash(position)) / 63.0;
    colour = float4(col, 1);
}
