// Flight down a tunnel of rings of mirror boxes with neon edges, inside a ribbed cylinder.
static float t15Time;
// A march stays by one ring for many steps: the turn of the last ring met is
// kept, and taken anew only when the ring changes.
static float t15Ring = 1e9;
static float2 t15Turn;
static const float t15Gap = 2.5;      // ring spacing along the tunnel
static const float t15Radius = 2.3;   // ring radius
static const float t15Wall = 3.4;     // cylinder radius
static const float3 t15Box = float3(0.32, 0.55, 0.3);

float3 t15Tint(float ring)
{
    return frac(ring * 0.5) < 0.25 ? float3(1.0, 0.1, 0.85) : float3(0.1, 0.9, 1.0);
}

// Box-local point of the ring box nearest to pos, with that ring's index,
// mirrored to its positive side: every caller takes its absolute value.
float3 t15Local(float3 pos, out float ring)
{
    ring = round(pos.z / t15Gap);
    if (ring != t15Ring)
    {
        t15Ring = ring;
        t15Turn = cis(t15Time * (frac(ring * 0.5) < 0.25 ? 0.5 : -0.5) + ring * 0.3);
    }
    // Turned by the spin, the boxes stand at multiples of 45 degrees, each
    // mirror-symmetric about its own radius: folding into 0 ... 22.5 degrees
    // by mirrors lands on the nearest box as turning back to it would, with
    // no angle taken.
    float2 v = abs(float2(t15Turn.x * pos.x - t15Turn.y * pos.y, t15Turn.y * pos.x + t15Turn.x * pos.y));
    v = v.y > v.x ? v.yx : v;
    const float2 mirror = float2(-0.38268343, 0.92387953); // normal of the 22.5 degree line
    v -= 2 * max(dot(v, mirror), 0) * mirror;
    return float3(v.x - t15Radius, v.y, pos.z - ring * t15Gap);
}

float t15Map(float3 pos)
{
    float ring;
    float3 b = abs(t15Local(pos, ring)) - t15Box;
    return length(max(b, 0)) + min(max(b.x, max(b.y, b.z)), 0) - 0.02;
}

float3 t15Normal(float3 pos)
{
    float2 e = float2(0.002, -0.002);
    float3 n = e.xyy * t15Map(pos + e.xyy) + e.yyx * t15Map(pos + e.yyx)
             + e.yxy * t15Map(pos + e.yxy) + e.xxx * t15Map(pos + e.xxx);
    return n / max(length(n), 1e-6);
}

// Distance to the cylinder wall from inside; the march never goes past it.
float t15Cylinder(float3 ro, float3 rd)
{
    float a = dot(rd.xy, rd.xy);
    float b = dot(ro.xy, rd.xy);
    float k = dot(ro.xy, ro.xy) - t15Wall * t15Wall;
    if (a < 1e-7) return 60;
    return min((-b + sqrt(max(b * b - a * k, 0))) / a, 60);
}

float3 t15WallColour(float3 pos)
{
    float ring = round(pos.z / t15Gap);
    float rib = abs(pos.z - ring * t15Gap);
    float a = atan2(pos.y, pos.x) * 8 / 6.2831853;
    float seam = abs(frac(a + 0.5) - 0.5);
    float3 base = float3(0.04, 0.035, 0.07) * (1 + 0.5 * sin(pos.z * 3));
    return base + t15Tint(ring) * (0.6 * exp(-18 * rib) + 0.15 * exp(-40 * seam));
}

// One pass: march to the first box or the wall, summing the edge glow passed on the way.
float3 t15Trace(float3 ro, float3 rd, out float3 hitPos, out float3 n, out bool box)
{
    float far = t15Cylinder(ro, rd);
    float t = 0.02;
    float3 glow = 0;
    box = false;
    for (int i = 0; i < 80; i++)
    {
        float3 pos = ro + rd * t;
        float d = t15Map(pos);
        glow += t15Tint(round(pos.z / t15Gap)) * exp(-12 * d) * 0.02;
        if (d < 0.001)
        {
            box = true;
            break;
        }
        t += d;
        if (t > far)
        {
            t = far;
            break;
        }
    }
    hitPos = ro + rd * t;
    n = box ? t15Normal(hitPos) : float3(-normalize(hitPos.xy + 1e-5), 0);
    float3 col;
    if (box)
    {
        float ring;
        float3 l = abs(t15Local(hitPos, ring)) / t15Box;
        // near an edge two of the three face coordinates approach 1
        float mid = l.x + l.y + l.z - max(l.x, max(l.y, l.z)) - min(l.x, min(l.y, l.z));
        float edge = smoothstep(0.8, 0.97, mid);
        col = t15Tint(ring) * (edge * 2.5) + float3(0.02, 0.02, 0.03);
    }
    else col = t15WallColour(hitPos);
    return col * exp(-0.04 * t) + glow;
}

void ya(out float4 colour, float2 position)
{
    t15Time = c.x + p.y;
    float2 uv = (position - q * 0.5) / q.y;
    float3 ro = float3(0.4 * cis(t15Time * 0.7).y, 0.3 * cis(t15Time * 0.5).x, -3 * t15Time);
    float2 r = cis(0.3 * cis(t15Time * 0.25).y);
    uv = float2(uv.x * r.x - uv.y * r.y, uv.x * r.y + uv.y * r.x);
    float3 rd = normalize(float3(uv, -1.1));

    float3 pos, n;
    bool box;
    float3 col = t15Trace(ro, rd, pos, n, box);
    if (box)
    {
        float3 pos2, n2;
        bool box2;
        float3 rr = reflect(rd, n);
        float fres = 0.35 + 0.6 * pow(1 - saturate(-dot(rd, n)), 4);
        col += t15Trace(pos + n * 0.01, rr, pos2, n2, box2) * fres * exp(-0.04 * length(pos - ro));
    }
    colour = float4(1 - exp(-col * 1.4), 1);
}
