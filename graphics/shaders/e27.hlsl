// Five glowing filaments winding round the view axis, looked at through a glass
// ball: inside the unit circle the picture is flipped and magnified toward the rim.

static const float e27_tau = 6.2831853;

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
    float2 off = float2(r * cos(la) - radius, r * sin(la));
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
        rim = pow(1.0 - h, 6.0);
    }

    float3 ro = float3(0.0, 0.0, t * 1.2);
    float3 rd = normalize(float3(uv * 0.45, 1.0));

    float3 acc = 0.0;
    float z = 0.0;
    for (int i = 0; i < 70; i++)
    {
        float3 s = ro + rd * z;
        float strand;
        float d = e27_strands(s, t, strand);
        float adv = max(d * 0.8, 0.02);
        float3 hue = 0.5 + 0.5 * cos(e27_tau * (strand * 0.19 + s.z * 0.04 + t * 0.05 + float3(0.0, 0.33, 0.67)));
        acc += hue * adv * 0.0005 / (d * d + 0.0002);
        z += adv;
        if (z > 30.0)
            break;
    }
    float3 col = acc + rim * float3(0.35, 0.4, 0.5);
    colour = float4(pow(saturate(col), 1.0 / 2.2), 1.0);
}
