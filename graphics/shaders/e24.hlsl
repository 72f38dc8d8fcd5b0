// A cave: a folded box fractal wrapped round an axis along z, rocks scattered on
// its floor and drifting fog, all roughened from the noise volume. The camera
// drifts along a fixed line.

static const float2 e24_axis = float2(0.0, 0.9);
static const float e24_radius = 2.4;

// zs jumps where frac wraps; running each axis back and forth over the volume
// (never quite reaching its last texel) keeps the noise continuous.
float3 e24_mirror(float3 s)
{
    return (0.5 + 63.0 * abs(1.0 - 2.0 * frac(s * 0.5))) / 64.0;
}

// One read varies only along x and y + z: enough for the floor, the grain and
// the fog. The rocks need two reads with swapped axes to be lumpy in 3D.
float e24_noise1(float3 s)
{
    return zs(e24_mirror(s)).x * 2.0;
}

float e24_noise(float3 s)
{
    return zs(e24_mirror(s)).x + zs(e24_mirror(s.zxy + 0.37)).y;
}

uint e24_hash(float2 cell)
{
    uint h = uint(int(cell.x) * 7919 + int(cell.y) * 104729 + 1013904223);
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    h *= 3266489917u;
    return h ^ (h >> 16);
}

// atan2(o.y, o.x) to 10^-6: a polynomial on the nearer octant, turned out
// to the others, several times cheaper than a driver's atan2
float e24_angle(float2 o)
{
    float2 a = abs(o);
    float x = min(a.x, a.y) / max(a.x, a.y);
    float v = x * x;
    float r = x * (0.9999992256 + v * (-0.3332567804 + v * (0.1987204027 + v * (-0.1344786406 + v * (0.08312645301 + v * (-0.03636043086 + v * 0.007648353927))))));
    r = a.y > a.x ? 1.5707963 - r : r;
    r = o.x < 0 ? 3.1415927 - r : r;
    return o.y < 0 ? -r : r;
}

float e24_walls(float2 o, float rr, float z)
{
    // unroll the cylinder: x round the wall, y into the rock, z along the cave
    float3 w = float3(e24_angle(o) * e24_radius, rr - e24_radius, z);
    float d = -w.y;
    float size = 2.4;
    for (int i = 0; i < 3; i++)
    {
        float3 a = abs(frac(w / size + 0.5) - 0.5) * size;
        float cross3 = min(max(a.x, a.y), min(max(a.y, a.z), max(a.z, a.x))) - size / 6.0;
        d = max(d, -cross3);
        // fold the next level askew so the holes do not line up
        w = float3(w.x * 0.8 - w.z * 0.6, w.y, w.x * 0.6 + w.z * 0.8) + float3(0.31, 0.17, 0.53) * size;
        size /= 3.0;
    }
    return d * 0.8;
}

// Without detail the rocks are smooth hulls that enclose their noisy surface.
float e24_floor(float3 s, bool detail)
{
    // rocks reach no higher than 0.3
    if (s.y > 0.35)
        return s.y - 0.3;
    float cellsize = 1.1;
    float2 cell = floor(s.xz / cellsize);
    uint h = e24_hash(cell);
    float2 jitter = (float2(h & 255u, (h >> 8) & 255u) / 255.0 - 0.5) * 0.35;
    float size = 0.1 + 0.2 * float((h >> 16) & 255u) / 255.0;
    float2 f = s.xz - (cell + 0.5) * cellsize - jitter;
    float d = (length(float3(f.x, s.y * 1.5, f.y)) - size) * 0.66;
    // The noise moves the surface by at most 0.1: where even the hull is
    // farther than the ground, the rock's noise cannot matter.
    float hull = d - 0.1;
    if (detail && hull < s.y)
        hull = d + 0.1 * e24_noise(s * 0.16);
    return min(hull, s.y);
}

// rock: 1 where the floor or its rocks are nearer than the walls
float e24_scene(float3 s, bool detail, out float rock)
{
    float ground = e24_floor(s, detail);
    float2 o = s.xy - e24_axis;
    float rr = length(o);
    // The holes only ever deepen the bare cylinder, so the walls are no nearer
    // than 0.8 of it: where that is beyond the ground, they need no folding.
    float walls = 0.8 * (e24_radius - rr);
    // near the axis the bare cylinder is bound enough, and atan2 has no answer on it
    if (rr > 0.5 && walls <= ground)
        walls = e24_walls(o, rr, s.z);
    else if (rr <= 0.5)
        walls = e24_radius - rr;
    rock = ground < walls ? 1.0 : 0.0;
    return min(walls, ground);
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 uv = (position - q * 0.5) / q.y;

    float3 ro = float3(-0.2, 1.5, 2.2) - 0.1 * t;
    float3 fw = normalize(float3(-0.12, -0.14, -1.0));
    float3 rt = normalize(cross(float3(0.0, 1.0, 0.0), fw));
    float3 up = cross(fw, rt);
    float3 rd = normalize(fw + (uv.x * rt + uv.y * up) * 1.1);

    // Reading the noise volume costs far more than the rest of a step, and a CPU
    // device runs a branch for all its lanes when any one takes it, so the long
    // march runs on the smooth hulls and only the last few steps read the noise.
    float rock = 0.0;
    float z = 0.0;
    bool hit = false;
    for (int i = 0; i < 100; i++)
    {
        float d = e24_scene(ro + rd * z, false, rock);
        if (d < 0.001 * z + 0.0005)
        {
            hit = true;
            break;
        }
        z += d;
        if (z > 25.0)
            break;
    }
    if (hit)
    {
        hit = false;
        for (int i = 0; i < 24; i++)
        {
            float d = e24_scene(ro + rd * z, true, rock);
            if (d < 0.001 * z + 0.0005)
            {
                hit = true;
                break;
            }
            z += d;
        }
    }

    float3 lamp = float3(0.3, 1.6, ro.z - 7.0);
    float3 col = 0.0;
    if (hit)
    {
        float3 s = ro + rd * z;
        // gradient from the four corners of a tetrahedron
        float2 e = float2(0.003, -0.003);
        float m;
        float3 n = e.xyy * e24_scene(s + e.xyy, true, m) + e.yyx * e24_scene(s + e.yyx, true, m) +
                   e.yxy * e24_scene(s + e.yxy, true, m) + e.xxx * e24_scene(s + e.xxx, true, m);
        n = n / max(length(n), 1e-6);

        float occ = 1.0;
        for (int j = 1; j <= 3; j++)
        {
            float hh = 0.08 * j;
            occ -= (hh - e24_scene(s + n * hh, true, m)) * (0.5 / j);
        }
        occ = saturate(occ);

        // the bare floor gets its bumps in the shading alone
        float3 b = s * 0.18;
        float grain = e24_noise1(b);
        if (s.y < 0.002 + 0.001 * z)
            n = normalize(n + float3(grain - e24_noise1(b + float3(0.01, 0.0, 0.0)), 0.0,
                                     grain - e24_noise1(b + float3(0.0, 0.0, 0.01))) * 0.35);
        grain = 0.8 + 0.5 * grain;

        float3 tolamp = lamp - s;
        float ld = max(length(tolamp), 1e-3);
        float diff = saturate(dot(n, tolamp / ld)) * 6.0 / (1.0 + ld * ld * 0.15);
        float head = saturate(dot(n, -rd)) * 1.2 / (1.0 + z * z * 0.25);
        float3 albedo = rock > 0.5 ? float3(0.45, 0.4, 0.35) : float3(0.38, 0.36, 0.42);
        col = albedo * grain * occ * (diff * float3(1.0, 0.75, 0.45) + head * float3(0.6, 0.7, 0.9) + 0.04);
    }

    // fog: a few noise reads between the camera and what it sees
    float far = hit ? min(z, 14.0) : 14.0;
    float seg = far / 8.0;
    float trans = 1.0;
    float3 fogc = 0.0;
    for (int k = 0; k < 8; k++)
    {
        float3 s = ro + rd * (seg * (k + 0.5));
        float dens = saturate(e24_noise1(s * 0.04 + float3(t * 0.004, 0.0, t * 0.002)) * 1.6 + 0.3) * 0.1;
        float glow = 1.0 / (1.0 + dot(s - lamp, s - lamp) * 0.08);
        fogc += trans * dens * seg * (float3(0.25, 0.3, 0.4) * 0.5 + glow * float3(1.0, 0.7, 0.4) * 1.5);
        // exp(-x) for x up to 0.175 by its series, to 2 10^-6
        float x = dens * seg;
        trans *= 1.0 - x * (1.0 - x * (0.5 - x * (0.16666667 - x * 0.041666667)));
    }
    col = col * trans + fogc;
    colour = float4(sqrt(saturate(col)), 1.0);
}
