// A chain of 60 pulsing, turning ellipsoids strung along +z, seen as glow: the
// ray walks through them and sums exp(-distance) in each link's colour.

static float ch_t;

// (cos, sin) of angle u turned on by the angle whose (cos, sin) is by.
float2 ch_turn(float2 u, float2 by)
{
    return float2(u.x * by.x - u.y * by.y, u.y * by.x + u.x * by.y);
}

// Every angle of a link moves by a fixed amount from one link to the next, so
// the three links near a point share one set of sines, turned on per link:
// x: place on the helix (+0.25), y: helix radius wobble (+0.11),
// z: spin (+0.4), w: pulse (-0.6).
static const float2 ch_by[4] = { float2(0.968912, 0.247404), float2(0.993956, 0.109778),
                                 float2(0.921061, 0.389418), float2(0.825336, -0.564642) };

// Nearest of the three links around w.z; returns (distance, link index).
// The chain is a loose helix about +z, one link per unit of depth.
float2 ch_chain(float3 w)
{
    float k = clamp(floor(w.z + 0.5), 1.0, 58.0) - 1.0;
    float2 ang[4];
    sincos(k * 0.25 + ch_t * 0.6, ang[0].y, ang[0].x);
    sincos(k * 0.11 - ch_t * 0.4, ang[1].y, ang[1].x);
    sincos(ch_t * 1.3 + k * 0.4, ang[2].y, ang[2].x);
    sincos(ch_t * 4.0 - k * 0.6, ang[3].y, ang[3].x);
    float2 best = float2(1e4, k);
    for (int i = 0; i < 3; i++)
    {
        float r = 2.4 + 0.6 * ang[1].y;
        float3 o = w - float3(r * ang[0].x, 1.5 * r * ang[0].y, k);
        // The link turns about z and then about x by the same angle.
        float cs = ang[2].x, sn = ang[2].y;
        o.xy = float2(cs * o.x + sn * o.y, cs * o.y - sn * o.x);
        o.yz = float2(cs * o.y - sn * o.z, sn * o.y + cs * o.z);
        float3 radii = float3(0.55, 0.3, 0.15) * (1.0 + 0.35 * ang[3].y);
        // (|o / radii| - 1) min(radii) never exceeds the true distance.
        float d = (length(o / radii) - 1.0) * radii.z;
        if (d < best.x)
            best = float2(d, k);
        k += 1.0;
        for (int j = 0; j < 4; j++)
            ang[j] = ch_turn(ang[j], ch_by[j]);
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
        // Walk on through the surfaces so the far links still glow behind the near ones.
        float step = abs(h.x) * 0.6 + 0.02;
        if (abs(h.x) < 0.3) // further out the glow is below one part in a thousand
            glow += (0.5 + 0.5 * sin(h.y * 0.35 + ch_t * 1.5 + float3(0.0, 2.1, 4.2))) * exp(-abs(h.x) * 25.0) * step * 4.0;
        s += step;
        if (s > 80.0)
            break;
    }
    colour = float4(sqrt(glow), 1.0);
}
