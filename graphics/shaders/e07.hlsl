// A chain of 60 pulsing, turning ellipsoids strung along +z, seen as glow: the
// ray walks through them and sums exp(-distance) in each link's colour.

static float ch_t;

float3 ch_centre(float k)
{
    // A loose helix about the z axis, its radius breathing along the chain.
    float a = k * 0.25 + ch_t * 0.6;
    float r = 2.4 + 0.6 * sin(k * 0.11 - ch_t * 0.4);
    return float3(r * cos(a), 1.5 * r * sin(a), k);
}

// Distance to link k; the bound (|p/r| - 1) min(r) never overshoots.
float ch_link(float3 w, float k)
{
    float3 o = w - ch_centre(k);
    float a = ch_t * 1.3 + k * 0.4;
    float cs = cos(a), sn = sin(a);
    o.xy = float2(cs * o.x + sn * o.y, cs * o.y - sn * o.x);
    o.yz = float2(cs * o.y - sn * o.z, sn * o.y + cs * o.z);
    float3 r = float3(0.55, 0.3, 0.15) * (1.0 + 0.35 * sin(ch_t * 4.0 - k * 0.6));
    return (length(o / r) - 1.0) * r.z;
}

// Nearest of the three links around w.z; returns (distance, link index).
float2 ch_chain(float3 w)
{
    float k0 = clamp(floor(w.z + 0.5), 0.0, 59.0);
    float2 best = float2(1e4, k0);
    for (int i = -1; i <= 1; i++)
    {
        float k = clamp(k0 + i, 0.0, 59.0);
        float d = ch_link(w, k);
        if (d < best.x)
            best = float2(d, k);
    }
    return best;
}

void ya(out float4 colour, float2 position)
{
    ch_t = c.x + p.y;
    float2 uv = (position - q * 0.5) / 1080.0;

    float3 eye = float3(1.5 * sin(ch_t * 0.21), 4.5 + 0.8 * cos(ch_t * 0.17), -6.0);
    float3 fw = normalize(float3(0.0, -1.0, 22.0) - eye);
    float3 rt = normalize(cross(float3(0.0, 1.0, 0.0), fw));
    float3 up = cross(fw, rt);
    float3 dir = normalize(fw * 1.1 + rt * uv.x + up * uv.y);

    float3 glow = 0;
    float s = 0.0;
    for (int i = 0; i < 150; i++)
    {
        float2 h = ch_chain(eye + dir * s);
        float3 tint = 0.5 + 0.5 * sin(h.y * 0.35 + ch_t * 1.5 + float3(0.0, 2.1, 4.2));
        // Walk on through the surfaces so the far links still glow behind the near ones.
        float step = abs(h.x) * 0.6 + 0.02;
        glow += tint * exp(-abs(h.x) * 25.0) * step * 4.0;
        s += step;
        if (s > 80.0)
            break;
    }
    colour = float4(sqrt(glow), 1.0);
}
