// A five-by-five yard of hopping sculptures, each five thin turning slabs, glowing into the dark.
static float s16Time;
static float3 s16Glow;
static bool s16Glowing; // whether the glow is being gathered: in the march, not in the shading
static bool s16Floor; // whether the floor was the nearer surface

float s16Hash(float2 v)
{
    float h = frac(dot(v, float2(0.2718282, 0.4142136)) * 23.7 + 0.31);
    return frac(h * h * 63.1 + h * 5.3);
}

float3 s16Tint(float2 cell)
{
    return 0.55 + 0.45 * cos(6.2832 * (s16Hash(cell) + float3(0, 0.33, 0.67)));
}

// What a sculpture's look needs of its cell and the clock alone, worked out
// when a ray enters another cell rather than at every step: neighbouring
// pixels share a cell, so their lanes skip the work together.
static float2 s16Cell;
static float3 s16CellTint;
static float s16CellHop;
static float4 s16Turns[5]; // each slab's cos and sin about y, then about z

void s16Enter(float2 cell)
{
    if (all(cell == s16Cell))
        return;
    s16Cell = cell;
    s16CellTint = s16Tint(cell);
    float s = frac(s16Time * 0.9 + s16Hash(cell + 5.0));
    s16CellHop = 2.2 * s * (1 - s);
    float seed = s16Hash(cell + 9.0) * 6.2832;
    for (int k = 0; k < 5; k++)
    {
        float a = seed + k * 0.9 + s16Time * (0.6 + 0.25 * k) * (uint(k) % 2u == 0 ? 1 : -1);
        float b = 0.35 * sin(a * 0.7 + k);
        s16Turns[k] = float4(cos(a), sin(a), cos(b), sin(b));
    }
}

float s16Sculpture(float3 lp)
{
    float d = 1e3;
    for (int k = 0; k < 5; k++)
    {
        float3 sp = lp - float3(0, 0.25 + 0.32 * k, 0);
        float4 r = s16Turns[k];
        sp.xz = float2(r.x * sp.x - r.y * sp.z, r.y * sp.x + r.x * sp.z);
        sp.xy = float2(r.z * sp.x - r.w * sp.y, r.w * sp.x + r.z * sp.y);
        float3 e = abs(sp) - float3(0.75 - 0.08 * k, 0.025, 0.28);
        d = min(d, length(max(e, 0)) + min(max(e.x, max(e.y, e.z)), 0));
    }
    return d;
}

float s16Map(float3 pos)
{
    float2 cell = clamp(round(pos.xz / 3), -2, 2);
    s16Enter(cell);
    float2 local = pos.xz - cell * 3;
    float3 lp = float3(local.x, pos.y - s16CellHop, local.y);
    // a neighbour is at least 0.6 beyond our cell wall, and nothing rises above 2.5
    float2 wall = float2(abs(cell.x) < 2 ? 1.5 - abs(local.x) : 9, abs(cell.y) < 2 ? 1.5 - abs(local.y) : 9);
    float others = max(min(wall.x, wall.y) + 0.6, pos.y - 2.5);
    // The five slabs lie within 1.23 of (0, 0.89, 0). Beyond 2.5 of that sphere
    // the sculpture's glow is below exp(-12.5), and where the walls or the
    // floor are nearer still its distance changes nothing: its slabs are skipped.
    // The shading gathers no glow, so there only the distance decides.
    float bound = length(lp - float3(0, 0.89, 0)) - 1.23;
    float d = others;
    if ((s16Glowing && bound < 2.5) || bound < min(others, pos.y))
    {
        float sculpture = s16Sculpture(lp);
        s16Glow += s16CellTint * exp(-5 * max(sculpture, 0));
        d = min(sculpture, others);
    }
    s16Floor = pos.y < d;
    return min(d, pos.y);
}

float3 s16Normal(float3 pos)
{
    float2 e = float2(0.002, -0.002);
    float3 n = e.xyy * s16Map(pos + e.xyy) + e.yyx * s16Map(pos + e.yyx)
             + e.yxy * s16Map(pos + e.yxy) + e.xxx * s16Map(pos + e.xxx);
    return n / max(length(n), 1e-6);
}

void ya(out float4 colour, float2 position)
{
    s16Time = c.x + p.y;
    float2 uv = (position - q * 0.5) / q.y;
    float orbit = 0.12 * s16Time + 0.6;
    float3 ro = float3(23 * sin(orbit), 17, 23 * cos(orbit));
    float3 fw = normalize(float3(0, 0.2, 0) - ro);
    float3 rt = normalize(cross(fw, float3(0, 1, 0)));
    float3 up = cross(rt, fw);
    float3 rd = normalize(fw * 1.7 + rt * uv.x + up * uv.y);

    s16Glow = 0;
    s16Glowing = true;
    s16Cell = 99; // no cell yet
    float t = 1, d = 1;
    for (int i = 0; i < 50; i++)
    {
        d = s16Map(ro + rd * t);
        if (d < 0.001 * t || t > 60) break;
        t += d;
    }
    float3 glow = s16Glow;
    s16Glowing = false;
    float3 col = float3(0.02, 0.02, 0.05);
    if (t < 60)
    {
        float3 pos = ro + rd * t;
        bool floor_ = s16Floor;
        float3 n = s16Normal(pos);
        float occ = 0, w = 1;
        for (int k = 1; k <= 5; k++)
        {
            float h = 0.05 * k;
            occ += (h - s16Map(pos + n * h)) * w;
            w *= 0.6;
        }
        occ = saturate(1 - 3 * occ);
        float3 light = normalize(float3(0.3, 1, 0.2));
        float dif = saturate(dot(n, light));
        float2 cell = clamp(round(pos.xz / 3), -2, 2);
        float3 alb = s16Tint(cell);
        if (floor_) alb = uint(abs(cell.x + cell.y)) % 2u == 0 ? float3(0.03, 0.03, 0.04) : float3(0.06, 0.055, 0.07);
        col = alb * (dif * 14 + 4) * occ;
    }
    col += glow * 1.5;
    colour = float4(0.2 * sqrt(max(col, 0)), 1);
}
