// Three lanes of ten cartoon heads hopping over a rolling sine-wave meadow.
static float h13Time;
static bool h13Marching; // the row-wall bound below only keeps the march safe; normals and occlusion skip it

float h13Hash(float2 v)
{
    float h = frac(dot(v, float2(0.3183099, 0.3678794)) * 17.13 + 0.123);
    return frac(h * h * 91.7 + h * 3.1);
}

float h13Smin(float a, float b, float k)
{
    float h = saturate(0.5 + 0.5 * (b - a) / k);
    return lerp(b, a, h) - k * h * (1 - h);
}

float h13Ground(float2 xz)
{
    // The meadow is asked for at every step.
    float3 s, c;
    sincos_fast(float3(1.1 * xz.x + 0.7 * xz.y - 2.0 * h13Time, 0.9 * xz.y - 0.4 * xz.x + 1.3 * h13Time, 0), s, c);
    return 0.16 * s.x + 0.1 * s.y;
}

// Where the head standing in lane i, row j, stands (x, z), how high it is lifted
// off the meadow and its squash.
float4 h13Stance(float2 cell)
{
    float rate = 0.8 + 0.5 * h13Hash(cell + 7.0);
    float s = frac(h13Time * rate + h13Hash(cell));
    float hop = 4 * s * (1 - s);
    float squash = lerp(0.72, 1.1, smoothstep(0.0, 0.35, hop));
    return float4(cell * float2(1.1, -1.6), 0.38 * squash + (0.7 + 0.5 * h13Hash(cell + 3.0)) * hop, squash);
}

// Head centre and squash for the head standing in lane i, row j.
void h13Pose(float2 cell, out float3 centre, out float squash)
{
    float4 st = h13Stance(cell);
    centre = float3(st.x, h13Ground(st.xy) + st.z, st.y);
    squash = st.w;
}

// x: distance, y: material (1 skin, 2 eye)
float2 h13Head(float3 lp, float squash)
{
    float k = 1 / sqrt(squash);
    float3 sp = lp / float3(k, squash, k);
    float sc = min(min(k, squash), 1);
    float d = length(sp) - 0.38;
    float3 ap = float3(abs(sp.x), sp.y, sp.z);
    d = h13Smin(d, length(ap - float3(0.33, 0.27, -0.04)) - 0.13, 0.07);
    d = h13Smin(d, length(sp - float3(0, -0.03, 0.39)) - 0.085, 0.05);
    float eye = length(ap - float3(0.14, 0.1, 0.3)) - 0.1;
    return eye < d ? float2(eye * sc, 2) : float2(d * sc, 1);
}

// The row of heads last asked for and its three poses (centre, squash), lane -1, 0 and 1: a march
// takes step after step by one row, and a pose costs three hashes and the meadow.
static float h13Row;
static float4 h13Left, h13Middle, h13Right;

// Folds the head of one cell into best (distance, material, cell). A far head counts by its bounding
// sphere, which is already beyond every occlusion tap.
void h13Try(float3 pos, float2 cell, inout float4 best)
{
    if (abs(cell.x) > 1 || cell.y < 0 || cell.y > 9) return;
    if (cell.y != h13Row)
    {
        h13Row = cell.y;
        h13Pose(float2(-1, cell.y), h13Left.xyz, h13Left.w);
        h13Pose(float2(0, cell.y), h13Middle.xyz, h13Middle.w);
        h13Pose(float2(1, cell.y), h13Right.xyz, h13Right.w);
    }
    float4 pose = cell.x < 0 ? h13Left : cell.x > 0 ? h13Right : h13Middle;
    float2 d = float2(length(pos - pose.xyz) - 0.72, 1);
    if (d.x < 0.5) d = h13Head(pos - pose.xyz, pose.w);
    if (d.x < best.x) best = float4(d, cell);
}

// x: distance, y: material (0 ground, 1 skin, 2 eye), zw: the head's cell
float4 h13Map(float3 pos)
{
    float4 res = float4((pos.y - h13Ground(pos.xz)) * 0.8, 0, 0, 0);
    float2 cell = float2(clamp(round(pos.x / 1.1), -1, 1), clamp(round(-pos.z / 1.6), 0, 9));
    // squashed heads bulge into the next lane, so that one counts too
    h13Try(pos, cell, res);
    h13Try(pos, cell + float2(pos.x > cell.x * 1.1 ? 1 : -1, 0), res);
    if (h13Marching)
    {
        // the next row's heads stay 0.25 behind the wall between rows
        float lz = pos.z + cell.y * 1.6;
        float wall = lz < 0 ? (cell.y < 9 ? 0.8 + lz : 9) : (cell.y > 0 ? 0.8 - lz : 9);
        res.x = min(res.x, max(wall + 0.25, pos.y - 2.8));
    }
    return res;
}

float3 h13Normal(float3 pos)
{
    float2 e = float2(0.002, -0.002);
    float3 n = e.xyy * h13Map(pos + e.xyy).x + e.yyx * h13Map(pos + e.yyx).x
             + e.yxy * h13Map(pos + e.yxy).x + e.xxx * h13Map(pos + e.xxx).x;
    return n / max(length(n), 1e-6);
}

float h13Occlusion(float3 pos, float3 n)
{
    float occ = 0, w = 1;
    for (int i = 1; i <= 5; i++)
    {
        float h = 0.04 + 0.07 * i;
        occ += max(h - h13Map(pos + n * h).x, 0) * w;
        w *= 0.7;
    }
    return saturate(1 - 1.6 * occ);
}

float3 h13Skin(float2 cell)
{
    float hue = h13Hash(cell + 11.0) * 6.2832;
    return 0.55 + 0.4 * cos(hue + float3(0, 2.1, 4.2));
}

void ya(out float4 colour, float2 position)
{
    h13Time = c.x + p.y;
    h13Row = -1; // no row
    float2 uv = (position - q * 0.5) / q.y;
    float3 ro = float3(0.35 * sin(0.3 * h13Time), 4.2, 6.5);
    float3 fw = normalize(float3(0, 0, -7) - ro);
    float3 rt = normalize(cross(fw, float3(0, 1, 0)));
    float3 up = cross(rt, fw);
    float3 rd = normalize(fw * 1.5 + rt * uv.x + up * uv.y);

    float3 sky = lerp(float3(0.75, 0.88, 1.0), float3(0.3, 0.55, 0.95), saturate(rd.y * 2.5));
    h13Marching = true;
    float t = 0.1;
    float4 hit = 1;
    for (int i = 0; i < 150; i++)
    {
        hit = h13Map(ro + rd * t);
        if (hit.x < 0.001 * t || t > 60) break;
        t += hit.x;
    }
    h13Marching = false;
    float3 col = sky;
    if (t < 60)
    {
        float3 pos = ro + rd * t;
        float3 n = h13Normal(pos);
        float3 sun = normalize(float3(0.5, 0.8, 0.45));
        float dif = saturate(dot(n, sun));
        float ao = h13Occlusion(pos, n);
        float3 alb;
        if (hit.y < 0.5)
        {
            float g = h13Ground(pos.xz);
            alb = lerp(float3(0.18, 0.45, 0.12), float3(0.45, 0.75, 0.2), saturate(g * 3 + 0.5));
            // soft blot under each head, fading as it hops away from the ground
            // A blot ends 0.6 + 0.3 * lift < 1.09 from its head (lift < 1.62), and heads stand 1.1 apart
            // across and 1.6 along, so only the 2 x 2 heads around pos can reach it.
            float blot = 1;
            float2 first = floor(float2(pos.x / 1.1, -pos.z / 1.6));
            for (int k = 0; k < 4; k++)
            {
                float2 cell = first + float2(k & 1, k >> 1);
                if (abs(cell.x) > 1 || cell.y < 0 || cell.y > 9) continue;
                float4 st = h13Stance(cell);
                blot *= 1 - 0.6 * exp(-st.z) * (1 - smoothstep(0.2, 0.6 + 0.3 * st.z, length(pos.xz - st.xy)));
            }
            dif *= blot;
        }
        else
        {
            float2 cell = hit.zw;
            float3 centre;
            float squash;
            h13Pose(cell, centre, squash);
            float3 lp = (pos - centre) / float3(1, squash, 1);
            if (hit.y > 1.5)
            {
                // pupil: the part of the eye that looks toward the camera
                float3 ec = float3(sign(lp.x) * 0.14, 0.1, 0.3);
                float3 ed = lp - ec;
                alb = dot(ed, float3(0, 0.1, 1)) > 0.06 ? float3(0.02, 0.02, 0.03) : float3(0.95, 0.95, 0.95);
            }
            else
            {
                alb = h13Skin(cell);
                float smile = abs(lp.y - (-0.15 + 1.6 * lp.x * lp.x));
                if (lp.z > 0.25 && abs(lp.x) < 0.17 && smile < 0.025) alb = float3(0.35, 0.03, 0.05);
            }
        }
        float rim = pow(saturate(1 + dot(n, rd)), 3);
        col = alb * (dif * float3(1.1, 1.0, 0.9) + ao * float3(0.3, 0.38, 0.5)) + rim * 0.25 * ao;
        col = lerp(col, sky, 1 - exp(-0.0006 * t * t));
    }
    colour = float4(pow(saturate(col), 0.4545), 1);
}
