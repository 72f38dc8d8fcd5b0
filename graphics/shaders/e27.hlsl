// Five glowing filaments winding round the view axis, looked at through a glass
// ball: inside the unit circle the picture is flipped and magnified toward the rim.

static const float e27_tau = 6.2831853;

// cos and sin of an angle within +-0.63: the series is exact to 1e-6 there
// and far cheaper than the general functions' range reduction.
float2 e27_cis_small(float x)
{
    float x2 = x * x;
    float c = 1.0 + x2 * (-0.5 + x2 * (1.0 / 24.0 + x2 * (-1.0 / 720.0 + x2 * (1.0 / 40320.0))));
    float s = x * (1.0 + x2 * (-1.0 / 6.0 + x2 * (1.0 / 120.0 + x2 * (-1.0 / 5040.0))));
    return float2(c, s);
}

float2 e27_turn(float2 a, float2 b)
{
    return float2(a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x);
}

// Distance to the nearest of the five helices; strand gets its index.
float e27_strands(float3 s, float t, out float strand)
{
    float twist = 0.9;
    float radius = 0.9 + 0.25 * sin(s.z * 0.35 + t * 0.4);
    // the nudge keeps atan2 defined on the axis itself
    float a = atan2(s.y, s.x + 1e-7) - s.z * twist - t * 0.6;
    float sector = e27_tau / 5.0;
    float id = round(a / sector);
    strand = id - 5.0 * floor(id / 5.0);
    float la = a - id * sector;
    float r = length(s.xy);
    float2 cs = e27_cis_small(la);
    float2 off = float2(r * cs.x - radius, r * cs.y);
    // the strands lean by twist * radius, which stretches the field
    return (length(off) - 0.035) / sqrt(1.0 + twist * twist * radius * radius);
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 uv = (position - q * 0.5) / q.y * 3.0;

    float r2 = dot(uv, uv);
    float rim = 0.0;
    if (r2 < 1.0)
    {
        float h = sqrt(1.0 - r2);
        uv = -uv / (0.35 + 0.9 * h);
        float g = (1.0 - h) * (1.0 - h) * (1.0 - h);
        rim = g * g;
    }

    float3 ro = float3(0.0, 0.0, t * 1.2);
    float3 rd = normalize(float3(uv * 0.45, 1.0));

    // the channels lag by a third and two thirds of a turn
    float2 lag1 = float2(cos(e27_tau * 0.33), sin(e27_tau * 0.33));
    float2 lag2 = float2(cos(e27_tau * 0.67), sin(e27_tau * 0.67));

    float3 acc = 0.0;
    float z = 0.0;
    for (int i = 0; i < 70; i++)
    {
        float3 s = ro + rd * z;
        float strand;
        float d = e27_strands(s, t, strand);
        float adv = max(d * 0.8, 0.02);
        // one cis serves the three channels, each lagging by a fixed turn
        float a = e27_tau * (strand * 0.19 + s.z * 0.04 + t * 0.05);
        float2 h = float2(cos(a), sin(a));
        float3 hue = 0.5 + 0.5 * float3(h.x, e27_turn(h, lag1).x, e27_turn(h, lag2).x);
        acc += hue * adv * 0.0005 / (d * d + 0.0002);
        z += adv;
        if (z > 30.0)
            break;
    }
    float3 col = acc + rim * float3(0.35, 0.4, 0.5);
    colour = float4(pow(saturate(col), 1.0 / 2.2), 1.0);
}
