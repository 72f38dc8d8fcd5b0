// Six rings of flapping creatures circling above a ground plane; ring k has radius
// 3k and 2k + 3 copies, and neighbouring rings turn opposite ways. The camera
// comes from the timeline: position I.xyz, pitched down by I.w.

static const float e26_tau = 6.2831853;

// Ellipsoid: the level of length(s / r) divided by its gradient's length, which
// stays close to the true distance even for the flat wings.
float e26_oval(float3 s, float3 r)
{
    float k0 = length(s / r);
    float k1 = length(s / (r * r));
    return k0 * (k0 - 1.0) / max(k1, 1e-6);
}

float e26_blend(float a, float b, float k)
{
    float h = max(k - abs(a - b), 0.0) / k;
    return min(a, b) - h * h * k * 0.25;
}

// cos and sin of an angle within about +-0.8: the series is exact to 1e-6
// there and far cheaper than the general functions' range reduction.
float2 e26_cis_small(float x)
{
    float x2 = x * x;
    float c = 1.0 + x2 * (-0.5 + x2 * (1.0 / 24.0 + x2 * (-1.0 / 720.0 + x2 * (1.0 / 40320.0))));
    float s = x * (1.0 + x2 * (-1.0 / 6.0 + x2 * (1.0 / 120.0 + x2 * (-1.0 / 5040.0))));
    return float2(c, s);
}

// One creature facing +z, x to its side. part: 0 body, 1 wing, 2 eye.
float e26_creature(float3 s, float phase, float t, out float part)
{
    float flap = sin(t * 7.0 + phase) * 0.7;
    float body = e26_oval(s, float3(0.26, 0.24, 0.45));
    float head = length(s - float3(0.0, 0.18, 0.42)) - 0.2;
    float tail = e26_oval(s - float3(0.0, 0.06, -0.48), float3(0.08, 0.07, 0.25));
    float trunk = e26_blend(e26_blend(body, head, 0.12), tail, 0.1);

    float3 w = float3(abs(s.x) - 0.15, s.y - 0.08, s.z);
    float2 cs = e26_cis_small(flap);
    w.xy = float2(cs.x * w.x + cs.y * w.y, -cs.y * w.x + cs.x * w.y);
    float wing = e26_oval(w - float3(0.5, 0.0, 0.0), float3(0.5, 0.055, 0.26));

    float eye = length(float3(abs(s.x) - 0.1, s.y - 0.26, s.z - 0.56)) - 0.055;
    float d = e26_blend(trunk, wing, 0.06);
    part = wing < trunk ? 1.0 : 0.0;
    if (eye < d)
        part = 2.0;
    return min(d, eye);
}

// Distance to the creatures of ring k, k from 1 to 6.
float e26_ring(float3 s, float r, float k, float t, out float part)
{
    float radius = 3.0 * k;
    float count = 2.0 * k + 3.0;
    float dir = uint(k) % 2u == 0 ? -1.0 : 1.0;
    float a = atan2(s.z, s.x) - dir * t * 1.3 / radius;
    float sector = e26_tau / count;
    float id = round(a / sector);
    float la = a - id * sector;
    float phase = id * 1.9 + k * 0.7;
    float height = 1.3 + 0.25 * sin(t * 2.0 + phase);
    float2 cs = e26_cis_small(la);
    float3 l = float3(r * cs.x - radius, s.y - height, dir * r * cs.y);
    return e26_creature(l, phase, t, part);
}

// part: 0 body, 1 wing, 2 eye, 3 ground; ring: the ring hit.
float e26_scene(float3 s, float t, out float part, out float ring)
{
    part = 3.0;
    ring = 0.0;
    float d = s.y;
    float r = length(s.xz);
    // the creatures stay within this band of heights and radii
    float band = max(abs(s.y - 1.35) - 0.9, max(2.0 - r, r - 19.5));
    if (band > 0.3)
        return min(d, band);
    // A creature reaches at most 1.3 from its ring's radius, so only the nearest
    // ring is drawn; the rings either side are bounded by that reach.
    float k = clamp(round(r / 3.0), 1.0, 6.0);
    float pk = 0.0;
    float dk = e26_ring(s, r, k, t, pk);
    if (dk < d)
    {
        d = dk;
        part = pk;
        ring = k;
    }
    float inner = k > 1.0 ? r - 3.0 * k + 1.7 : 1e3;
    float outer = k < 6.0 ? 3.0 * k + 1.7 - r : 1e3;
    return min(d, min(inner, outer));
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    position.y -= q.y * floor(position.y / q.y);
    float2 uv = (position - q * 0.5) / q.y;

    float pitch = I.w;
    float3 ro = I.xyz;
    float3 fw = float3(0.0, -sin(pitch), -cos(pitch));
    float3 up = float3(0.0, cos(pitch), -sin(pitch));
    float3 rd = normalize(fw * 1.1 + uv.x * float3(1.0, 0.0, 0.0) + uv.y * up);

    float3 sky = lerp(float3(0.85, 0.75, 0.6), float3(0.3, 0.5, 0.85), saturate(rd.y * 2.5 + 0.1));
    float part = 3.0, ring = 0.0;
    float z = 0.0;
    bool hit = false;
    for (int i = 0; i < 128; i++)
    {
        float d = e26_scene(ro + rd * z, t, part, ring);
        if (d < 0.0006 * z + 0.0005)
        {
            hit = true;
            break;
        }
        z += d;
        if (z > 90.0)
            break;
    }

    float3 col = sky;
    if (hit)
    {
        float3 s = ro + rd * z;
        float2 e = float2(0.002, 0.0);
        float pa, ra;
        float3 n = float3(e26_scene(s + e.xyy, t, pa, ra) - e26_scene(s - e.xyy, t, pa, ra),
                          e26_scene(s + e.yxy, t, pa, ra) - e26_scene(s - e.yxy, t, pa, ra),
                          e26_scene(s + e.yyx, t, pa, ra) - e26_scene(s - e.yyx, t, pa, ra));
        n = n / max(length(n), 1e-6);
        float3 sun = normalize(float3(0.5, 0.8, 0.3));

        // soft shadow toward the sun
        float shade = 1.0;
        float h = 0.05;
        for (int j = 0; j < 28; j++)
        {
            float d = e26_scene(s + n * 0.01 + sun * h, t, pa, ra);
            shade = min(shade, saturate(16.0 * d / h));
            h += clamp(d, 0.02, 0.5);
            if (shade < 0.02 || h > 6.0)
                break;
        }
        shade = smoothstep(0.0, 1.0, shade);

        float3 albedo;
        if (part > 2.5)
        {
            float rr = length(s.xz);
            float lines = smoothstep(0.06, 0.0, abs(frac(rr / 3.0 + 0.5) - 0.5) * 3.0);
            albedo = lerp(float3(0.35, 0.55, 0.25), float3(0.55, 0.6, 0.35), lines * 0.6);
        }
        else if (part > 1.5)
            albedo = 0.02;
        else
        {
            float3 fur = 0.55 + 0.45 * cos(ring * 1.1 + float3(0.0, 2.1, 4.2));
            albedo = part > 0.5 ? lerp(fur, 1.0, 0.55) : fur;
        }
        float diff = saturate(dot(n, sun));
        float amb = 0.35 + 0.25 * n.y;
        col = albedo * (diff * shade * float3(1.0, 0.92, 0.8) * 1.2 + amb * float3(0.5, 0.6, 0.8));
        col = lerp(col, sky, 1.0 - exp(-z * 0.006));
    }
    colour = float4(sqrt(saturate(col)), 1.0);
}
