// Print poster: wavy cyan and magenta bands, a halftone of a tumbling torus, and a shaky block-letter word.
static float k18Time;
static float4 k18Jitter[6]; // xy: a letter's shift, zw: cos and sin of its tilt
static float4 k18Tumble;    // cos and sin of the torus's two turns

float k18Box(float2 v, float2 centre, float2 half_)
{
    float2 e = abs(v - centre) - half_;
    return length(max(e, 0)) + min(max(e.x, e.y), 0);
}

// Block letters T U M B L E on a 0.8 x 1 cell.
float k18Letter(int id, float2 v)
{
    float d = 1e3;
    float stem = k18Box(v, float2(0.1, 0.5), float2(0.1, 0.5));
    float top = k18Box(v, float2(0.4, 0.9), float2(0.4, 0.1));
    float foot = k18Box(v, float2(0.4, 0.1), float2(0.4, 0.1));
    float right = k18Box(v, float2(0.7, 0.5), float2(0.1, 0.5));
    if (id == 0) d = min(top, k18Box(v, float2(0.4, 0.45), float2(0.1, 0.45)));
    else if (id == 1) d = min(min(stem, right), foot);
    else if (id == 2) d = min(min(stem, right), min(top, k18Box(v, float2(0.4, 0.62), float2(0.08, 0.28))));
    else if (id == 3)
    {
        d = min(stem, min(k18Box(v, float2(0.32, 0.9), float2(0.32, 0.1)), k18Box(v, float2(0.35, 0.1), float2(0.35, 0.1))));
        d = min(d, k18Box(v, float2(0.35, 0.5), float2(0.3, 0.08)));
        d = min(d, min(k18Box(v, float2(0.62, 0.7), float2(0.1, 0.2)), k18Box(v, float2(0.7, 0.3), float2(0.1, 0.2))));
    }
    else if (id == 4) d = min(stem, foot);
    else d = min(min(stem, top), min(foot, k18Box(v, float2(0.35, 0.5), float2(0.3, 0.08))));
    return d;
}

// Distance to the whole word, in letter units; each letter shaken by the noise volume.
float k18Word(float2 v)
{
    // Letters stay within 0.65 of their cell centres, shaken by at most 0.11:
    // beyond 0.1 of that box no edge or shadow is drawn, so the bound serves.
    float reach = k18Box(v, float2(3.025, 0.5), float2(3.385, 0.76));
    if (reach > 0.1)
        return reach;
    float d = 1e3;
    for (int i = 0; i < 6; i++)
    {
        float4 n = k18Jitter[i];
        float2 lp = v - float2(i * 1.05 + 0.4, 0.5) - n.xy;
        lp = float2(n.z * lp.x - n.w * lp.y, n.w * lp.x + n.z * lp.y) + float2(0.4, 0.5);
        d = min(d, k18Letter(i, lp));
    }
    return d;
}

float k18Torus(float3 pos)
{
    float ca = k18Tumble.x, sa = k18Tumble.y, cb = k18Tumble.z, sb = k18Tumble.w;
    pos.yz = float2(ca * pos.y - sa * pos.z, sa * pos.y + ca * pos.z);
    pos.xy = float2(cb * pos.x - sb * pos.y, sb * pos.x + cb * pos.y);
    float2 t = float2(length(pos.xz) - 0.17, pos.y);
    return length(t) - 0.07;
}

// Brightness of the torus seen through one halftone cell centre.
float k18Shade(float2 uv)
{
    float3 ro = float3(0, 0, 1.6);
    float3 rd = normalize(float3(uv - float2(0, -0.14), -3.8));
    // The torus lies within 0.24 of the origin; a ray passing 0.05 beyond that
    // leaves the march's depth range before its steps run out, and draws nothing.
    float along = dot(-ro, rd);
    if (dot(ro, ro) - along * along > 0.29 * 0.29)
        return 0;
    float t = 1.2;
    for (int i = 0; i < 40; i++)
    {
        float d = k18Torus(ro + rd * t);
        if (d < 0.001) break;
        t += d;
        if (t > 2.0) return 0;
    }
    float3 pos = ro + rd * t;
    float2 e = float2(0.002, -0.002);
    float3 n = e.xyy * k18Torus(pos + e.xyy) + e.yyx * k18Torus(pos + e.yyx)
             + e.yxy * k18Torus(pos + e.yxy) + e.xxx * k18Torus(pos + e.xxx);
    n /= max(length(n), 1e-6);
    float3 light = normalize(float3(-0.5, 0.6, 0.7));
    float dif = saturate(dot(n, light));
    float gloss = saturate(dot(reflect(rd, n), light));
    gloss *= gloss;
    gloss *= gloss;
    gloss *= gloss;
    gloss *= gloss; // the 16th power
    return saturate(0.04 + 0.8 * dif * dif + 0.5 * gloss);
}

void ya(out float4 colour, float2 position)
{
    k18Time = c.x + p.y;
    float2 uv = (2 * position - q) / q.y; // one unit is half the frame height
    float px = 2 / q.y;
    for (int i = 0; i < 6; i++)
    {
        float4 n = zs(float3(i * 0.137 + 0.03, floor(k18Time * 6) * 0.0913, 0.2));
        k18Jitter[i] = float4(n.xy * 0.22, cos(n.z * 0.35), sin(n.z * 0.35));
    }
    float a = k18Time * 0.7 + 1.3, b = k18Time * 0.45;
    k18Tumble = float4(cos(a), sin(a), cos(b), sin(b));

    float warp = uv.x * 3.5 + 0.6 * sin(uv.y * 2.5 + k18Time * 0.8) + 0.3 * sin(uv.y * 5.5 - uv.x * 2 + k18Time * 1.3);
    float band = abs(frac(warp) - 0.5) * 2;
    float3 col = lerp(float3(0.0, 0.62, 0.75), float3(0.85, 0.08, 0.48), smoothstep(0.47, 0.53, band));

    // halftone: a grid of 30 cells per unit, turned like a print screen
    const float ang = 0.26;
    float2 g = float2(cos(ang) * uv.x + sin(ang) * uv.y, -sin(ang) * uv.x + cos(ang) * uv.y) * 30;
    float2 cellc = floor(g) + 0.5;
    float2 cu = float2(cos(ang) * cellc.x - sin(ang) * cellc.y, sin(ang) * cellc.x + cos(ang) * cellc.y) / 30;
    float shade = k18Shade(cu);
    float r = 0.55 * sqrt(shade);
    float dot_ = length(g - cellc) - r;
    col = lerp(col, float3(1.0, 0.97, 0.85), (1 - smoothstep(-0.06, 0.06, dot_)) * step(0.001, shade));

    // the word, with its drop shadow
    const float scale = 0.2;
    float2 wv = (uv - float2(-0.62, 0.56)) / scale;
    float sh = k18Word(wv - float2(0.12, -0.15));
    col = lerp(col, float3(0.05, 0.02, 0.1), 0.75 * (1 - smoothstep(-0.02, 0.08, sh)));
    float wd = k18Word(wv);
    col = lerp(col, float3(0.08, 0.05, 0.15), 1 - smoothstep(0.04, 0.04 + px / scale * 1.5, wd));
    col = lerp(col, float3(1.0, 0.85, 0.1), 1 - smoothstep(-0.04, -0.04 + px / scale * 1.5, wd));

    col = pow(saturate(col), 1 / 2.2);
    col *= saturate(cos(uv.x * 0.8) * cos(uv.y * 0.65));
    colour = float4(col, 1);
}
