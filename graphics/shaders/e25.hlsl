// A two-frequency sine lattice hovering above a mirror floor at y = 0. Points
// below the floor are folded back above it, so the march sees the lattice's
// image there, counted at a tenth of its light.

float e25_field(float3 s, float t)
{
    // The sheet term is at most (1.5 + 0.3 * 1.5) * 0.55 - 0.02 = 1.0525: this far
    // above the layer it cannot win the max, and its sines can be skipped.
    float layer = abs(s.y - 1.9) - 1.1;
    if (layer >= 1.0525)
        return layer;
    float coarse = dot(sin(s * 1.2), cos(s.yzx * 1.2));
    float fine = dot(sin(s * 3.1 + t * 0.7), cos(s.zxy * 3.1));
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
        float d = 0.005 + abs(e25_field(s, t)) * 0.8;
        // cos(k + phase) for three k, from one cosine and one sine of the phase
        float phase = s.y * 1.3 + s.z * 0.15 + t * 0.3;
        float2 cs = float2(cos(phase), sin(phase));
        acc += dim * (1.1 + e25_tint_cos * cs.x - e25_tint_sin * cs.y) / d;
        z += d;
    }
    colour = float4(tanh(min(acc / 5000.0, 8.0)), 1.0);
}
