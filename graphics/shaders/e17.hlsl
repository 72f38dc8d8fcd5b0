// A hanging column of twenty-two thin slabs drifting while sixteen glowing spheres circle through it.
static float d17Time;
static const float d17SlabGap = 0.42; // slab slots up the column
static const float d17BallGap = 0.6;  // sphere slots up the column

float d17Hash(float v)
{
    float h = frac(v * 0.1731 + 0.417);
    return frac(h * h * 71.3 + h * 4.7);
}

// The spheres' tints, 0.6 + 0.4 cos(2 pi (j / 16 + (0, 0.3, 0.6))): fixed, so written out.
static const float3 d17Tint[16] = {
    float3(1.00000000, 0.47639153, 0.27639527), float3(0.96955167, 0.34021916, 0.39100389),
    float3(0.88284219, 0.24359626, 0.53743042), float3(0.75307235, 0.20123284, 0.69338265),
    float3(0.59999853, 0.21957839, 0.83511814), float3(0.44692493, 0.29583995, 0.94105887),
    float3(0.31715573, 0.41840733, 0.99507623), float3(0.23044720, 0.56862068, 0.98894654),
    float3(0.20000000, 0.72361127, 0.92360300), float3(0.23044945, 0.85978307, 0.80899360),
    float3(0.31715988, 0.95640508, 0.66256668), float3(0.44693036, 0.99876739, 0.50661450),
    float3(0.60000441, 0.98042070, 0.36487948), float3(0.75307778, 0.90415814, 0.25893960),
    float3(0.88284635, 0.78159005, 0.20492331), float3(0.96955392, 0.63137639, 0.21105414)};

// (cos, sin) of a phase advanced by a fixed angle (cos d, sin d): a product, not two more sines.
float2 d17Turn(float2 v, float2 d)
{
    return float2(v.x * d.x - v.y * d.y, v.y * d.x + v.x * d.y);
}

// Where the spheres are depends on the clock alone: worked out once a pixel,
// not at every step of the march and in every light loop.
static float3 d17BallAt[16];

// Sphere j circles the column at its own height, radius, speed and sense.
void d17Place()
{
    float2 bob = cis(d17Time * 1.3); // the bob's phase, one radian on from sphere to sphere
    for (int j = 0; j < 16; j++)
    {
        float2 a = cis(j * 2.4 + d17Time * (0.7 + 0.6 * d17Hash(j)) * (uint(j) % 2u == 0 ? 1 : -1));
        float r = 1.4 + 1.2 * d17Hash(j + 3);
        d17BallAt[j] = float3(r * a.x, (j - 7.5) * d17BallGap + 0.25 * bob.y, r * a.y);
        bob = d17Turn(bob, float2(0.54030231, 0.84147098));
    }
}

// Slab k, lp the point from its centre, b the sine of its tilt's phase.
float d17Slab(float3 lp, float k, float b)
{
    float2 a = cis(d17Time * (0.25 + 0.2 * d17Hash(k)) + k * 0.8);
    lp.xz = float2(a.x * lp.x - a.y * lp.z, a.y * lp.x + a.x * lp.z);
    // The tilt stays within 0.35: there these series are exact to float precision.
    b *= 0.35;
    float b2 = b * b;
    float cb = 1 - b2 * 0.5 * (1 - b2 * 0.083333333 * (1 - b2 * 0.033333333));
    float sb = b * (1 - b2 * 0.16666667 * (1 - b2 * 0.05 * (1 - b2 * 0.023809524)));
    lp.xy = float2(cb * lp.x - sb * lp.y, sb * lp.x + cb * lp.y);
    float3 e = abs(lp) - float3(0.55, 0.16, 0.02);
    return length(max(e, 0)) + min(max(e.x, max(e.y, e.z)), 0);
}

// The phases of slab k's drift in x and z and of its tilt; the next slab's are
// theirs turned by 1.7, 2.3 and 1 radians.
struct d17Phases
{
    float2 x, z, b;
};

d17Phases d17PhasesOf(float k)
{
    d17Phases f;
    f.x = cis(d17Time * 0.23 + k * 1.7);
    f.z = cis(d17Time * 0.19 + k * 2.3);
    f.b = cis(d17Time * 0.37 + k);
    return f;
}

d17Phases d17Next(d17Phases f)
{
    f.x = d17Turn(f.x, float2(-0.12884449, 0.99166481));
    f.z = d17Turn(f.z, float2(-0.66627602, 0.74570521));
    f.b = d17Turn(f.b, float2(0.54030231, 0.84147098));
    return f;
}

float3 d17From(float3 pos, float k, d17Phases f)
{
    return pos - float3(1.3 * f.x.y, (k - 10.5) * d17SlabGap, 0.8 * f.z.y);
}

// A slab's bounding sphere, or the slab itself once that is close.
float d17SlabNear(float3 pos, float k, d17Phases f)
{
    float3 lp = d17From(pos, k, f);
    float bound = length(lp) - 0.58;
    if (bound > 0.05)
        return bound;
    return d17Slab(lp, k, f.b.y);
}

// The slabs alone: the march meets the spheres by their own formula.
float d17Slabs(float3 pos)
{
    // tilted slabs reach into the next slot: the four nearest slots count, the rest by how far their slots are
    float k = clamp(floor(pos.y / d17SlabGap + 10.5), 0, 20);
    d17Phases below = d17PhasesOf(k - 1), at = d17Next(below), above = d17Next(at);
    float slab = min(d17Slab(d17From(pos, k, at), k, at.b.y), d17Slab(d17From(pos, k + 1, above), k + 1, above.b.y));
    if (k > 0) slab = min(slab, d17SlabNear(pos, k - 1, below));
    if (k < 20) slab = min(slab, d17SlabNear(pos, k + 2, d17Next(above)));
    if (k > 1) slab = min(slab, pos.y - (k - 12.5) * d17SlabGap - 0.34);
    if (k < 19) slab = min(slab, (k - 7.5) * d17SlabGap - 0.34 - pos.y);
    return slab;
}

float d17Map(float3 pos)
{
    // bobbing spheres reach into the next slot, as the slabs do
    float m = clamp(floor(pos.y / d17BallGap + 7.5), 0, 14);
    float d = d17Slabs(pos);
    for (float j = max(m - 1, 0); j <= min(m + 2, 15); j++)
        d = min(d, length(pos - d17BallAt[int(j)]) - 0.22);
    if (m > 1) d = min(d, pos.y - (m - 9.5) * d17BallGap - 0.47);
    if (m < 13) d = min(d, (m - 4.5) * d17BallGap - 0.47 - pos.y);
    return d;
}

float3 d17Normal(float3 pos)
{
    float2 e = float2(0.002, -0.002);
    float3 n = e.xyy * d17Map(pos + e.xyy) + e.yyx * d17Map(pos + e.yyx)
             + e.yxy * d17Map(pos + e.yxy) + e.xxx * d17Map(pos + e.xxx);
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

    // The nearest sphere the ray enters. Marched, a sphere is met 0.001 t short of its surface; here its
    // radius grows by that much.
    float ballT = 25;
    int ball = -1;
    for (int j = 0; j < 16; j++)
    {
        float3 v = d17BallAt[j] - ro;
        float along = dot(v, rd), r = 0.22 + 0.001 * along, h = r * r - (dot(v, v) - along * along);
        float enter = along - sqrt(max(h, 0));
        if (h > 0 && enter > 0.1 && enter < ballT)
        {
            ballT = enter;
            ball = j;
        }
    }
    // The slabs' centres drift within 1.3 of the axis in x, 0.8 in z, and a slab reaches 0.573 from its
    // centre: march only the part of the ray inside both that box and that cylinder, and before the sphere.
    float2 inv = 1 / float2(abs(rd.x) < 1e-6 ? 1e-6 : rd.x, rd.z);
    float2 lo = (-float2(1.88, 1.38) - ro.xz) * inv, hi = (float2(1.88, 1.38) - ro.xz) * inv;
    float2 nearBox = min(lo, hi), farBox = max(lo, hi);
    float a2 = dot(rd.xz, rd.xz), b2 = dot(ro.xz, rd.xz), c2 = dot(ro.xz, ro.xz) - 2.1 * 2.1;
    float disc2 = b2 * b2 - a2 * c2, disc = sqrt(max(disc2, 0));
    float t = max(max(max(nearBox.x, nearBox.y), (-b2 - disc) / a2), 0.1);
    float far = disc2 < 0 ? 0 : min(min(min(farBox.x, farBox.y), (-b2 + disc) / a2), ballT);
    bool onSlab = false;
    for (int i = 0; i < 70 && t <= far; i++)
    {
        float d = d17Slabs(ro + rd * t);
        onSlab = d < 0.001 * t;
        if (onSlab) break;
        t += d;
    }
    if (!onSlab) t = ballT;
    // glow of every sphere from the ray's closest approach to it before the hit
    float3 glow = 0;
    for (int g = 0; g < 16; g++)
    {
        float3 v = d17BallAt[g] - ro;
        float along = clamp(dot(v, rd), 0, t);
        float miss = length(v - rd * along);
        glow += d17Tint[g] * 0.06 / (0.02 + miss * miss) * exp(-0.1 * along);
    }
    float3 col = lerp(float3(0.005, 0.005, 0.015), float3(0.03, 0.015, 0.045), saturate(0.5 + rd.y));
    if (t < 25)
    {
        float3 pos = ro + rd * t;
        float3 n = d17Normal(pos);
        if (!onSlab) col = d17Tint[ball] * (1.2 + 0.5 * saturate(-dot(n, rd)));
        else
        {
            float occ = 0, w = 1;
            for (int k = 1; k <= 5; k++)
            {
                float h = 0.05 * k;
                occ += max(h - d17Map(pos + n * h), 0) * w;
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
                lit += d17Tint[b] * abs(dot(n, l)) * rsqrt(max(r2, 1e-4)) / (1 + 3 * r2);
            }
            col = float3(0.8, 0.8, 0.85) * ((0.35 * dif + 0.06) * occ + 5 * lit) + spec * 0.3;
        }
    }
    col += glow * 0.3;
    colour = float4(sqrt(1 - exp(-col * 1.5)), 1);
}
