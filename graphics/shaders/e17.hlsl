// A hanging column of twenty-two thin slabs drifting while sixteen glowing spheres circle through it.
static float d17Time;
static const float d17SlabGap = 0.42; // slab slots up the column
static const float d17BallGap = 0.6;  // sphere slots up the column

float d17Hash(float v)
{
    float h = frac(v * 0.1731 + 0.417);
    return frac(h * h * 71.3 + h * 4.7);
}

float3 d17BallTint(float j)
{
    return 0.6 + 0.4 * cos(6.2832 * (j / 16 + float3(0, 0.3, 0.6)));
}

// Sphere j circles the column at its own height, radius, speed and sense.
float3 d17Ball(float j)
{
    float a = j * 2.4 + d17Time * (0.7 + 0.6 * d17Hash(j)) * (uint(j) % 2u == 0 ? 1 : -1);
    float r = 1.4 + 1.2 * d17Hash(j + 3);
    return float3(r * cos(a), (j - 7.5) * d17BallGap + 0.25 * sin(d17Time * 1.3 + j), r * sin(a));
}

float3 d17SlabCentre(float k)
{
    return float3(1.3 * sin(d17Time * 0.23 + k * 1.7), (k - 10.5) * d17SlabGap, 0.8 * sin(d17Time * 0.19 + k * 2.3));
}

// Where the spheres are and their tints depend on the clock alone: worked out
// once a pixel, not at every step of the march and in every light loop.
static float3 d17BallAt[16], d17TintAt[16];

void d17Place()
{
    for (int j = 0; j < 16; j++)
    {
        d17BallAt[j] = d17Ball(j);
        d17TintAt[j] = d17BallTint(j);
    }
}

float d17Slab(float3 pos, float k)
{
    float3 lp = pos - d17SlabCentre(k);
    float a = d17Time * (0.25 + 0.2 * d17Hash(k)) + k * 0.8;
    float ca = cos(a), sa = sin(a);
    lp.xz = float2(ca * lp.x - sa * lp.z, sa * lp.x + ca * lp.z);
    // The tilt stays within 0.35: there these series are exact to float precision.
    float b = 0.35 * sin(d17Time * 0.37 + k), b2 = b * b;
    float cb = 1 - b2 * 0.5 * (1 - b2 * 0.083333333 * (1 - b2 * 0.033333333));
    float sb = b * (1 - b2 * 0.16666667 * (1 - b2 * 0.05 * (1 - b2 * 0.023809524)));
    lp.xy = float2(cb * lp.x - sb * lp.y, sb * lp.x + cb * lp.y);
    float3 e = abs(lp) - float3(0.55, 0.16, 0.02);
    return length(max(e, 0)) + min(max(e.x, max(e.y, e.z)), 0);
}

// A slab's bounding sphere, or the slab itself once that is close.
float d17SlabNear(float3 pos, float k)
{
    float bound = length(pos - d17SlabCentre(k)) - 0.58;
    return bound > 0.05 ? bound : d17Slab(pos, k);
}

// x: distance, y: 0 slab, 1 sphere, z: sphere number
float3 d17Map(float3 pos)
{
    // tilted slabs and bobbing spheres reach into the next slot: the four nearest slots count,
    // the rest by how far their slots are
    float k = clamp(floor(pos.y / d17SlabGap + 10.5), 0, 20);
    float slab = min(d17Slab(pos, k), d17Slab(pos, k + 1));
    if (k > 0) slab = min(slab, d17SlabNear(pos, k - 1));
    if (k < 20) slab = min(slab, d17SlabNear(pos, k + 2));
    if (k > 1) slab = min(slab, pos.y - (k - 12.5) * d17SlabGap - 0.34);
    if (k < 19) slab = min(slab, (k - 7.5) * d17SlabGap - 0.34 - pos.y);
    float m = clamp(floor(pos.y / d17BallGap + 7.5), 0, 14);
    float3 res = float3(slab, 0, 0);
    for (float j = max(m - 1, 0); j <= min(m + 2, 15); j++)
    {
        float ball = length(pos - d17BallAt[int(j)]) - 0.22;
        if (ball < res.x) res = float3(ball, 1, j);
    }
    if (m > 1) res.x = min(res.x, pos.y - (m - 9.5) * d17BallGap - 0.47);
    if (m < 13) res.x = min(res.x, (m - 4.5) * d17BallGap - 0.47 - pos.y);
    return res;
}

float3 d17Normal(float3 pos)
{
    float2 e = float2(0.002, -0.002);
    float3 n = e.xyy * d17Map(pos + e.xyy).x + e.yyx * d17Map(pos + e.yyx).x
             + e.yxy * d17Map(pos + e.yxy).x + e.xxx * d17Map(pos + e.xxx).x;
    return n / max(length(n), 1e-6);
}

void ya(out float4 colour, float2 position)
{
    d17Time = c.x + p.y;
    d17Place();
    float2 uv = (position - q * 0.5) / q.y;
    float3 ro = float3(3 * sin(d17Time * 0.11), 1.2 * sin(d17Time * 0.17), 10.5);
    float3 fw = normalize(float3(0, 0.3 * sin(d17Time * 0.17), 0) - ro);
    float3 rt = normalize(cross(fw, float3(0, 1, 0)));
    float3 up = cross(rt, fw);
    float3 rd = normalize(fw * 1.45 + rt * uv.x + up * uv.y);

    // everything stays within 3.6 of the column's axis: march only the part of the ray inside that cylinder
    float a2 = max(dot(rd.xz, rd.xz), 1e-6), b2 = dot(ro.xz, rd.xz), c2 = dot(ro.xz, ro.xz) - 3.6 * 3.6;
    float disc = max(b2 * b2 - a2 * c2, 0);
    float far = (-b2 + sqrt(disc)) / a2;
    float t = max((-b2 - sqrt(disc)) / a2, 0.1);
    float3 hit = 1;
    for (int i = 0; i < 70; i++)
    {
        hit = d17Map(ro + rd * t);
        if (hit.x < 0.001 * t || t > far) break;
        t += hit.x;
    }
    if (hit.x >= 0.001 * t) t = 25;
    // glow of every sphere from the ray's closest approach to it before the hit
    float3 glow = 0;
    for (int g = 0; g < 16; g++)
    {
        float3 v = d17BallAt[g] - ro;
        float along = clamp(dot(v, rd), 0, t);
        float miss = length(v - rd * along);
        glow += d17TintAt[g] * 0.06 / (0.02 + miss * miss) * exp(-0.1 * along);
    }
    float3 col = lerp(float3(0.005, 0.005, 0.015), float3(0.03, 0.015, 0.045), saturate(0.5 + rd.y));
    if (t < 25)
    {
        float3 pos = ro + rd * t;
        float3 n = d17Normal(pos);
        if (hit.y > 0.5) col = d17TintAt[int(hit.z)] * (1.2 + 0.5 * saturate(-dot(n, rd)));
        else
        {
            float occ = 0, w = 1;
            for (int k = 1; k <= 5; k++)
            {
                float h = 0.05 * k;
                occ += max(h - d17Map(pos + n * h).x, 0) * w;
                w *= 0.65;
            }
            occ = saturate(1 - 3 * occ);
            float3 light = normalize(float3(-0.4, 0.8, 0.5));
            float dif = abs(dot(n, light));
            float spec = pow(saturate(dot(reflect(rd, n), light)), 30);
            // the spheres light the slabs as they pass
            float3 lit = 0;
            for (int b = 0; b < 16; b++)
            {
                float3 l = d17BallAt[b] - pos;
                float r2 = dot(l, l);
                lit += d17TintAt[b] * abs(dot(n, l)) * rsqrt(max(r2, 1e-4)) / (1 + 3 * r2);
            }
            col = float3(0.8, 0.8, 0.85) * ((0.35 * dif + 0.06) * occ + 5 * lit) + spec * 0.3;
        }
    }
    col += glow * 0.3;
    colour = float4(sqrt(1 - exp(-col * 1.5)), 1);
}
