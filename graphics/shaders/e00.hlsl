// Pipe flight: a small craft threads a winding corridor through a lattice of
// curved pipes. Every unit cell holds three quarter-torus pipes on three
// skew edges; each pipe end meets a face centre, so any mirroring of a cell
// still joins its neighbours, and a random mirroring per cell makes a maze.

static float e00_time;
static float3 e00_craft;          // craft position
static float3x3 e00_frame;        // world to craft axes (rows: right, up, forward)

float2 e00_path(float z)
{
    // The path is asked for at every step of every march.
    float3 s, c;
    sincos_fast(float3(0.35, 0.83, 0.27) * z + float3(0.0, 0.0, 1.0), s, c);
    return float2(0.9 * s.x + 0.35 * s.y, 0.6 * s.z);
}

float e00_torus(float2 around, float along)
{
    return length(float2(length(around) - 0.5, along)) - 0.085;
}

// The cell last asked for and its mirroring: a march takes step after step
// in one cell, and the hash is a good part of a step's cost.
static float3 e00_cell;
static float3 e00_flip;

float2 e00_pipes(float3 v)
{
    float3 cell = floor(v);
    if (any(cell != e00_cell))
    {
        uint h = cell_hash(cell);
        e00_cell = cell;
        e00_flip = float3((h & 1u) != 0u ? -1.0 : 1.0, (h & 2u) != 0u ? -1.0 : 1.0, (h & 4u) != 0u ? -1.0 : 1.0);
    }
    float3 l = (v - cell - 0.5) * e00_flip;
    float d = e00_torus(l.xy - float2(0.5, 0.5), l.z);
    d = min(d, e00_torus(l.yz - float2(-0.5, 0.5), l.x));
    d = min(d, e00_torus(l.zx - float2(-0.5, -0.5), l.y));
    // Keep the flight corridor clear; the soft cut rounds the pipe ends.
    float cut = 0.42 - length(v.xy - e00_path(v.z));
    float k = saturate(0.5 + 0.5 * (cut - d) / 0.06);
    // The cut follows a slanting path, so its slope exceeds 1: scale down.
    return float2(0.85 * (lerp(d, cut, k) + 0.06 * k * (1.0 - k)), d);
}

float e00_box(float3 v, float3 half_size, float round_off)
{
    float3 d = abs(v) - half_size;
    return length(max(d, 0.0)) + min(max(d.x, max(d.y, d.z)), 0.0) - round_off;
}

float e00_cylinder_z(float3 v, float radius, float half_len)
{
    float2 d = float2(length(v.xy) - radius, abs(v.z) - half_len);
    return length(max(d, 0.0)) + min(max(d.x, d.y), 0.0);
}

float e00_vehicle(float3 v)
{
    // Far off, a bounding sphere will do; switch where it nearly agrees with
    // the shape, or the soft shadow shows the seam. The turn into the craft's
    // axes keeps lengths, so only the shape needs it.
    float3 w = v - e00_craft;
    if (dot(w, w) > 0.36)
        return length(w) - 0.18;
    float3 l = mul(e00_frame, w);
    float3 m = float3(abs(l.x), l.y, l.z);
    float d = e00_box(l, float3(0.035, 0.018, 0.09), 0.012);                           // hull
    d = min(d, e00_box(l - float3(0, 0.025, 0.015), float3(0.018, 0.012, 0.03), 0.006)); // canopy
    d = min(d, e00_box(m - float3(0.07, -0.004, -0.02), float3(0.06, 0.004, 0.035), 0.002)); // wings
    d = min(d, e00_cylinder_z(m - float3(0.115, -0.004, -0.03), 0.018, 0.055));          // engines
    d = min(d, length(float2(length(l.xy) - 0.06, l.z + 0.085)) - 0.007);               // tail ring
    d = min(d, e00_box(l - float3(0, 0.035, -0.07), float3(0.003, 0.025, 0.025), 0.002)); // fin
    return d;
}

// Distance and material (0 pipe, 1 craft), and in z a longer step that is
// as safe: away from the corridor's cut the pipes' own distance holds.
float3 e00_map(float3 v)
{
    float2 a = e00_pipes(v);
    float b = e00_vehicle(v);
    return a.x < b ? float3(a.x, 0, max(a.x, min(a.y, b))) : float3(b, 1, b);
}

float3 e00_normal(float3 v)
{
    float2 k = float2(1, -1) * 0.0015;
    return normalize(k.xyy * e00_map(v + k.xyy).x + k.yyx * e00_map(v + k.yyx).x +
                     k.yxy * e00_map(v + k.yxy).x + k.xxx * e00_map(v + k.xxx).x + 1e-7);
}

float e00_shadow(float3 from, float3 dir, float maxd)
{
    float lit = 1.0;
    float d = 0.03;
    for (int i = 0; i < 16; i++)
    {
        float h = e00_map(from + dir * d).x;
        lit = min(lit, 5.0 * h / d);
        d += clamp(h, 0.03, 0.2);
        if (lit < 0.01 || d > maxd)
            break;
    }
    return saturate(lit);
}

void ya(out float4 colour, float2 position)
{
    colour = float4(0, 0, 0, 1);
    if (position.x < 0.0 || position.y < 0.0 || position.x > 768.0 || position.y > 1080.0)
        return;
    e00_time = c.x + p.y;
    e00_cell = 0.5; // no cell
    float2 uv = (2.0 * position - q) / 1080.0;

    float zc = 1.6 * e00_time;
    float zv = zc + 1.0;
    e00_craft = float3(e00_path(zv), zv);
    float3 fw = normalize(float3(e00_path(zv + 0.2), zv + 0.2) - e00_craft);
    float bank = 2.5 * (e00_path(zv + 0.4).x - 2.0 * e00_path(zv + 0.2).x + e00_craft.x);
    float3 rt = normalize(cross(float3(-sin(bank), cos(bank), 0), fw));
    float3 up = cross(fw, rt);
    e00_frame = float3x3(rt, up, fw);

    float3 ro = float3(e00_path(zc) + float2(0, 0.07), zc);
    float3 cf = normalize(e00_craft + float3(0, 0.02, 0.3) - ro);
    float3 cr = normalize(cross(float3(0, 1, 0), cf));
    float3 cu = cross(cf, cr);
    float3 rd = normalize(cf * 1.7 + cr * uv.x + cu * uv.y);

    float d = 0.0;
    float2 h = float2(1, -1);
    for (int i = 0; i < 100; i++)
    {
        float3 m = e00_map(ro + rd * d);
        h = m.xy;
        if (h.x < 0.0004 * d + 0.0003 || d > 20.0)
            break;
        d += min(m.z, 0.45);
    }
    if (d > 20.0 || h.x > 0.05)
        return;

    float3 pos = ro + rd * d;
    float3 n = e00_normal(pos);
    pos -= n * e00_map(pos).x; // grazing rays can stop short of the surface
    // The lamp rides the corridor's axis, clear of the cut pipe ends.
    float3 lpos = float3(e00_path(zc + 0.4) + float2(0.0, 0.12), zc + 0.4);
    float3 tol = lpos - pos;
    float ld = length(tol);
    float3 l = tol / max(ld, 1e-4);
    float3 base;
    if (h.y > 0.5)
    {
        base = float3(0.85, 0.45, 0.15);
        float3 lc = mul(e00_frame, pos - e00_craft);
        if (lc.y > 0.03 && abs(lc.x) < 0.02)
            base = float3(0.2, 0.5, 0.9); // canopy glass
        if (lc.z < -0.07 && length(lc.xy - float2(sign(lc.x) * 0.115, -0.004)) < 0.016)
            base = float3(1.5, 1.2, 0.7); // engine glow
    }
    else
    {
        float hue = 0.5 + 0.5 * sin(0.9 * pos.x + 1.1 * pos.y + 0.35 * pos.z);
        base = lerp(float3(0.3, 0.45, 0.55), float3(0.6, 0.35, 0.55), hue);
    }
    float diff = max(dot(n, l), 0.0);
    float sh = diff > 0.0 ? e00_shadow(pos + n * 0.01, l, min(ld - 0.2, 2.5)) : 0.0;
    float shine = pow(max(dot(reflect(rd, n), l), 0.0), 64.0);
    float fall = 2.6 / (1.0 + 0.15 * ld * ld);
    float3 col = base * (0.08 + 0.05 * n.y + diff * sh * fall) + shine * sh * fall;
    col *= exp(-0.14 * d);
    colour = float4(pow(saturate(col), 0.8), 1);
}
