// Folded rings: the plane is folded four times and every fold lays a thin
// glowing ring pattern over the last, so the rings breed smaller copies.

float3 e01_palette(float t)
{
    return 0.5 + 0.5 * cos(6.2831853 * (t + float3(0.263, 0.416, 0.557)));
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 u = (2.0 * position - q) / 1080.0;
    float r0 = length(u);
    float3 sum = 0;
    for (int k = 0; k < 4; k++)
    {
        u = frac(1.5 * u) - 0.5;
        float ring = abs(sin(8.0 * length(u) * exp(-r0) + t) / 8.0);
        // The ring's zero crossings would give 0.01/0: cap the glow instead.
        float glow = pow(0.01 / max(ring, 1e-4), 1.2);
        sum += e01_palette(r0 + 0.4 * k + 0.4 * t) * glow;
    }
    colour = float4(sum, 1);
}
