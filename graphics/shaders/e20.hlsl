// Walk through a forest of twisting stone columns, two grids of them breathing into each other.
static float r20Time;

float r20Hash(float2 v)
{
    float h = frac(dot(v, float2(0.1234567, 0.3571113)) * 13.37 + 0.5);
    return frac(h * h * 83.9 + h * 2.9);
}

// What a column needs from its cell's hashes. A ray stays in one cell for
// many steps, so it keeps this and hashes again only on entering another.
struct r20Column
{
    float2 cell;
    float2 turn;  // (cos, sin) of the twist angle less its height term
    float spin;   // +1 or -1: the way the column twists going up
    float half_;  // half its side, before the rounding
};

r20Column r20NoColumn()
{
    r20Column col;
    col.cell = float2(1e30, 1e30);
    col.turn = float2(1, 0);
    col.spin = 1;
    col.half_ = 0;
    return col;
}

float2 r20Turn(float2 u, float2 by)
{
    return float2(u.x * by.x - u.y * by.y, u.y * by.x + u.x * by.y);
}

// Twisting square column in a grid of the given cell size; rise is the
// (cos, sin) of its height term, 0.1 pos.y.
float r20Grid(float3 pos, float size, float half_, float2 rise, inout r20Column col)
{
    float2 cell = floor(pos.xz / size);
    if (any(cell != col.cell))
    {
        col.cell = cell;
        col.spin = r20Hash(cell) > 0.5 ? 1 : -1;
        float3 s, c;
        sincos_fast(r20Time * 0.15 + r20Hash(cell + 3.0) * 6.2832, s, c);
        col.turn = float2(c.x, s.x);
        col.half_ = half_ * (0.8 + 0.3 * r20Hash(cell + 7.0));
    }
    float2 lp = pos.xz - (cell + 0.5) * size;
    float2 cs = r20Turn(float2(rise.x, rise.y * col.spin), col.turn);
    lp = float2(cs.x * lp.x - cs.y * lp.y, cs.y * lp.x + cs.x * lp.y);
    float2 e = abs(lp) - col.half_;
    return length(max(e, 0)) + min(max(e.x, e.y), 0) - 0.8;
}

// (cos, sin) of 0.5 clock, for the blend.
static float2 r20Breath;

// The heights' angles 0.06 y and 0.1 y are 3 and 5 times one angle.
float r20Map(float3 pos, inout r20Column narrow, inout r20Column wide)
{
    float3 su, cu;
    sincos_fast(pos.y * 0.02, su, cu);
    float2 u = float2(cu.x, su.x);
    float2 u2 = r20Turn(u, u), u3 = r20Turn(u2, u), u5 = r20Turn(u3, u2);
    float blend = 0.5 + 0.5 * r20Turn(u3, r20Breath).y;
    float cols = lerp(r20Grid(pos, 24, 3.0, u5, narrow), r20Grid(pos, 36, 4.6, u5, wide), blend);
    return min(cols, pos.y);
}

float3 r20Normal(float3 pos, inout r20Column narrow, inout r20Column wide)
{
    float2 e = float2(0.01, -0.01);
    float3 n = e.xyy * r20Map(pos + e.xyy, narrow, wide) + e.yyx * r20Map(pos + e.yyx, narrow, wide)
             + e.yxy * r20Map(pos + e.yxy, narrow, wide) + e.xxx * r20Map(pos + e.xxx, narrow, wide);
    return n / max(length(n), 1e-6);
}

float r20Shadow(float3 ro, float3 rd, inout r20Column narrow, inout r20Column wide)
{
    float lit = 1, t = 0.3;
    for (int i = 0; i < 24; i++)
    {
        float d = r20Map(ro + rd * t, narrow, wide);
        lit = min(lit, 10 * d / t);
        if (lit < 0.01) break;
        t += clamp(d, 0.4, 8);
    }
    return saturate(lit);
}

void ya(out float4 colour, float2 position)
{
    r20Time = c.x + p.y;
    sincos(r20Time * 0.5, r20Breath.y, r20Breath.x);
    r20Column narrow = r20NoColumn(), wide = r20NoColumn();
    float2 uv = (position - q * 0.5) / q.y;
    float3 ro = float3(2 * sin(r20Time * 0.13), 5 + sin(r20Time * 0.4), -5 * r20Time);
    float3 fw = normalize(float3(0.25 * sin(r20Time * 0.17), 0.22, -1));
    float3 rt = normalize(cross(fw, float3(0, 1, 0)));
    float3 up = cross(rt, fw);
    float3 rd = normalize(fw * 1.2 + rt * uv.x + up * uv.y);
    float3 fog = lerp(float3(0.8, 0.72, 0.55), float3(0.3, 0.5, 0.85), saturate(rd.y * 1.5));

    // march until the sign flips, then close in on the crossing by halving
    float t0 = 0, t1 = 0.5, d = r20Map(ro + rd * t1, narrow, wide);
    bool hit = false;
    for (int i = 0; i < 50; i++)
    {
        if (d < 0.002 * t1) { hit = true; break; }
        t0 = t1;
        t1 += max(d * 1.2, 0.05);
        if (t1 > 400) break;
        d = r20Map(ro + rd * t1, narrow, wide);
    }
    if (hit && d < 0)
    {
        for (int j = 0; j < 8; j++)
        {
            float tm = 0.5 * (t0 + t1);
            if (r20Map(ro + rd * tm, narrow, wide) < 0) t1 = tm; else t0 = tm;
        }
    }
    float3 col = fog;
    if (hit)
    {
        float t = t1;
        float3 pos = ro + rd * t;
        float3 n = r20Normal(pos, narrow, wide);
        float3 sun = normalize(float3(0.6, 0.65, 0.45));
        float dif = saturate(dot(n, sun));
        if (dif > 0) dif *= r20Shadow(pos + n * 0.05, sun, narrow, wide);
        float3 alb;
        if (pos.y < 0.05)
        {
            float s = sin(pos.x * 0.3) + sin(pos.z * 0.23 + sin(pos.x * 0.1)) + 0.5 * sin((pos.x + pos.z) * 1.1);
            alb = lerp(float3(0.25, 0.22, 0.15), float3(0.45, 0.42, 0.28), 0.5 + 0.25 * s);
        }
        else
        {
            // banded stone: a few sines of height, bent by the position around the column
            float s = sin(pos.y * 1.3 + 3 * sin(pos.x * 0.4 + pos.z * 0.3)) + 0.5 * sin(pos.y * 4.1 + pos.x * 1.7)
                    + 0.25 * sin(pos.z * 6.3 - pos.y * 2.2);
            alb = lerp(float3(0.32, 0.16, 0.1), float3(0.85, 0.6, 0.38), saturate(0.5 + 0.3 * s));
        }
        col = alb * (dif * float3(1.6, 1.35, 1.0) + (0.15 + 0.1 * n.y) * float3(0.4, 0.5, 0.75));
        col = lerp(col, fog, 1 - exp(-0.003 * t));
    }
    colour = float4(pow(saturate(col), 0.7), 1);
}
