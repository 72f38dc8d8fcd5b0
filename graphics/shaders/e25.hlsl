// A two-frequency sine lattice hovering above a mirror floor at y = 0. Points
// below the floor are folded back above it, so the march sees the lattice's
// image there, counted at a tenth of its light.

// sin and cos of 2 pi u together, to 4 10^-5 (the glow sums them over a whole
// ray, which averages such errors out): one reduction to half a turn and two
// short polynomials, a fraction of a driver's separate sin and cos.
void e25_turns(float3 u, out float3 sn, out float3 cs)
{
    float3 w = u - round(u);
    float3 v = w * w;
    sn = w * (6.28316074 + v * (-41.3367821 + v * (81.4467147 + v * (-74.9030857 + v * 33.5357062))));
    cs = 0.999958232 + v * (-19.7308420 + v * (64.6694411 + v * (-82.3780329 + v * 45.5955485)));
}

// (cos, sin) of the fine term's phase, which only the clock moves
static float2 e25_drift;

float e25_field(float3 s)
{
    // The sheet term is at most (1.5 + 0.3 * 1.5) * 0.55 - 0.02 = 1.0525: this far
    // above the layer it cannot win the max, and its sines can be skipped.
    float layer = abs(s.y - 1.9) - 1.1;
    if (layer >= 1.0525)
        return layer;
    float3 sa, ca, sb, cb;
    e25_turns(s * (1.2 / 6.2831853), sa, ca);
    e25_turns(s * (3.1 / 6.2831853), sb, cb);
    float coarse = dot(sa, ca.yzx);
    // sin(3.1 s + 0.7 t) by the sum of angles
    float fine = dot(sb * e25_drift.x + cb * e25_drift.y, cb.zxy);
    float sheet = abs(coarse + 0.3 * fine) * 0.55 - 0.02;
    // keep the lattice in a layer above the floor
    return max(sheet, layer);
}

static const float3 e25_tint_cos = cos(float3(0.3, 1.4, 2.6));
static const float3 e25_tint_sin = sin(float3(0.3, 1.4, 2.6));

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 uv = (position - q * 0.5) / q.y;
    e25_drift = float2(cos(t * 0.7), sin(t * 0.7));

    float3 ro = float3(sin(t * 0.13) * 1.5, 0.45, t * 0.9);
    float3 rd = normalize(float3(uv.x, uv.y + 0.08, 0.9));

    float3 acc = 0.0;
    float z = 0.0;
    for (int i = 0; i < 78; i++)
    {
        float3 s = ro + rd * z;
        float dim = 1.0;
        if (s.y < 0.0)
        {
            s.y = -s.y;
            dim = 0.1;
        }
        float d = 0.005 + abs(e25_field(s)) * 0.8;
        // cos(k + phase) for three k, from one cosine and one sine of the phase
        float3 sp, cp;
        e25_turns((s.y * 1.3 + s.z * 0.15 + t * 0.3) * (1.0 / 6.2831853), sp, cp);
        acc += dim * (1.1 + e25_tint_cos * cp.x - e25_tint_sin * sp.x) / d;
        z += d;
    }
    colour = float4(tanh(min(acc / 5000.0, 8.0)), 1.0);
}
