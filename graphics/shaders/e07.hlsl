// A chain of 60 pulsing, turning ellipsoids strung along +z, seen as glow: the
// ray walks through them and sums exp(-distance) in each link's colour.

static float ch_t;

// (cos, sin) of angle u turned on by the angle whose (cos, sin) is by.
float2 ch_turn(float2 u, float2 by)
{
    return float2(u.x * by.x - u.y * by.y, u.y * by.x + u.x * by.y);
}

// Every angle of a link moves by a fixed amount from one link to the next, so
// a ray keeps the sines of the first of the three links near it and turns
// them on as it passes links, and on per link within a step:
// x: place on the helix (+0.25), y: helix radius wobble (+0.11),
// z: spin (+0.4), w: pulse (-0.6), and the link's hue (+0.35).
static const float2 ch_by[5] = { float2(0.968912422, 0.247403959), float2(0.993956098, 0.109778301),
                                 float2(0.921060994, 0.389418342), float2(0.825335615, -0.564642473),
                                 float2(0.939372713, 0.342897807) };
static const float3 ch_inv_radii = float3(1.0 / 0.55, 1.0 / 0.3, 1.0 / 0.15);

// Nearest of the three links from k on, k's sines in ang; returns
// (distance, the link's hue angle as (cos, sin)) and leaves ang alone.
float3 ch_chain(float3 w, float k, float2 ang[5])
{
    float3 best = float3(1e4, 1.0, 0.0);
    for (int i = 0; i < 3; i++)
    {
        float r = 2.4 + 0.6 * ang[1].y;
        float3 o = w - float3(r * ang[0].x, 1.5 * r * ang[0].y, k);
        // The link turns about z and then about x by the same angle.
        float cs = ang[2].x, sn = ang[2].y;
        o.xy = float2(cs * o.x + sn * o.y, cs * o.y - sn * o.x);
        o.yz = float2(cs * o.y - sn * o.z, sn * o.y + cs * o.z);
        // Radii (0.55, 0.3, 0.15) times the pulse f: (|o / radii| - 1) min(radii)
        // never exceeds the true distance, and needs no division written so.
        float f = 1.0 + 0.35 * ang[3].y;
        float d = (length(o * ch_inv_radii) - f) * 0.15;
        if (d < best.x)
            best = float3(d, ang[4]);
        k += 1.0;
        for (int j = 0; j < 5; j++)
            ang[j] = ch_turn(ang[j], ch_by[j]);
    }
    return best;
}

// Where the ray leaves the box that holds every point a link glows at:
// centres lie within |x| <= 3, |y| <= 4.5, z <= 59, and the glow reaches
// under 1.85 from a centre.
float ch_leave(float3 eye, float3 dir)
{
    // The eye is inside the box's sides, so the bounds ahead are positive;
    // a ray parallel to a side meets it at +infinity.
    float2 ahead = float2(dir.x >= 0.0 ? 1.0 : -1.0, dir.y >= 0.0 ? 1.0 : -1.0);
    float2 side = (float2(5.0, 6.5) - eye.xy * ahead) / abs(dir.xy);
    return min(min(side.x, side.y), (61.0 - eye.z) / dir.z);
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

    // The ray only moves on in z, so the first link near it only moves on.
    float kb = 0.0;
    float2 ang[5];
    sincos(ch_t * 0.6, ang[0].y, ang[0].x);
    sincos(-ch_t * 0.4, ang[1].y, ang[1].x);
    sincos(ch_t * 1.3, ang[2].y, ang[2].x);
    sincos(ch_t * 4.0, ang[3].y, ang[3].x);
    sincos(ch_t * 1.5, ang[4].y, ang[4].x);
    // The hue of a link is 0.5 + 0.5 sin(its angle + (0, 2.1, 4.2)).
    const float3 hue_cos = float3(1.0, -0.504846105, -0.490260821);
    const float3 hue_sin = float3(0.0, 0.863209367, -0.871575772);

    float end = min(80.0, ch_leave(eye, dir));
    float3 glow = 0;
    float s = 0.0;
    for (int i = 0; i < 150; i++)
    {
        float3 w = eye + dir * s;
        float k = clamp(floor(w.z + 0.5), 1.0, 58.0) - 1.0;
        for (; kb < k; kb += 1.0)
            for (int j = 0; j < 5; j++)
                ang[j] = ch_turn(ang[j], ch_by[j]);
        float3 h = ch_chain(w, kb, ang);
        // Walk on through the surfaces so the far links still glow behind the near ones.
        float step = abs(h.x) * 0.6 + 0.02;
        if (abs(h.x) < 0.3) // further out the glow is below one part in a thousand
            glow += (0.5 + 0.5 * (h.z * hue_cos + h.y * hue_sin)) * exp(-abs(h.x) * 25.0) * step * 4.0;
        s += step;
        if (s > end)
            break;
    }
    colour = float4(sqrt(glow), 1.0);
}
