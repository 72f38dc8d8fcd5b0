// Stage lighting in haze: 49 spotlights in one of four formations, flashing on
// the beat. Each beam is the in-scattering of a point light along the view ray
// (closed form) times how much of that ray its cone covers (20 samples).

static float lt_beat;

// Light i of 49 in formation f: its position and beam axis. u is the (cos,
// sin) of the light's angle in the ring (i 0.12823) or the fan (column 0.38).
void lt_place(int i, int f, float2 u, out float3 at, out float3 axis)
{
    float2 g = float2(uint(i) % 7u, uint(i) / 7u) - 3.0;
    if (f == 0)
    {
        // A wall of lights across the back, raking down toward the front.
        at = float3(g * 1.5, 14.0);
        axis = normalize(float3(0.0, -0.6, -1.0));
    }
    else if (f == 1)
    {
        // A ring overhead, every beam sloping in toward the middle.
        float r = 4.0 + (i & 1) * 2.5;
        at = float3(r * u.x, 7.0, 10.0 + r * u.y);
        axis = normalize(float3(-at.x * 0.5, -7.0, 10.0 - at.z));
    }
    else if (f == 2)
    {
        // A floor grid firing upward.
        at = float3(g.x * 2.0, -4.5, 9.0 + g.y * 2.0);
        axis = float3(0.0, 1.0, 0.0);
    }
    else
    {
        // A fan: seven arcs of lights low on the stage, beams opening upward.
        at = float3(u.y * (3.0 + g.y * 0.6), -7.0 + g.y * 0.5, 12.0 - u.x * (2.0 + g.y * 0.6));
        axis = normalize(float3(u.y * 1.4, 1.0, -0.3));
    }
}

// The unit beam axis tipped by a and b across itself: s1 is the axis crossed
// with x or y, written out, and axis, s1, s2 are orthonormal, so the tipped
// axis's length is known.
float3 lt_tip(float3 axis, float a, float b)
{
    float3 s1 = abs(axis.y) > 0.9 ? float3(0.0, axis.z, -axis.y) : float3(-axis.z, 0.0, axis.x);
    s1 *= rsqrt(dot(s1, s1));
    float3 s2 = cross(axis, s1);
    return (axis + s1 * a + s2 * b) * rsqrt(1.0 + a * a + b * b);
}

void ya(out float4 colour, float2 position)
{
    position.y -= 1080.0 * floor(position.y / 1080.0);
    lt_beat = (c.x + p.y) * 4.0 + 50.0;
    float R = lt_beat;
    int f = R >= 608.0 ? 2 : (int)floor(R / 64.0) & 3; // & keeps negative beats in 0..3
    bool live = R >= 128.0 && R < 608.0;
    float flash = live ? pow(1.0 - frac(R), 1.5) : 0.6;
    float pulse = (R > 384.0 && R < 576.0) ? pow(1.0 - frac(R / 4.0), 2.0) : 0.0;
    const float sway = 0.35;

    float2 uv = (position - q * 0.5) / 1080.0;
    float3 eye = float3(0.0, 0.5, -8.0);
    float3 fw = normalize(float3(0.0, -0.5, 10.0) - eye);
    float3 rt = normalize(cross(float3(0.0, 1.0, 0.0), fw));
    float3 up = cross(fw, rt);
    float3 dir = normalize(fw * 0.85 + rt * uv.x + up * uv.y);
    const float far = 60.0;

    // Each formation has its pair of gel colours, alternating light by light.
    float3 gelA = f == 0 ? float3(0.3, 0.45, 1.0) : f == 1 ? float3(1.0, 0.2, 0.7) : f == 2 ? float3(0.2, 0.75, 1.0) : float3(1.0, 0.6, 0.2);
    float3 gelB = f == 0 ? float3(0.9, 0.3, 1.0) : f == 1 ? float3(0.3, 0.4, 1.0) : f == 2 ? float3(0.7, 0.3, 1.0) : float3(1.0, 0.25, 0.35);
    // The sway phases turn 0.785 and 0.393 radians a beat and step by 0.9 and
    // 1.7 radians from one light to the next.
    float2 swayA = cis(lt_beat * 0.785), swayB = cis(lt_beat * 0.393);
    // The ring's and the fan's angles turn from light to light too; the fan
    // goes back six columns at the end of each row.
    float2 u = f == 1 ? float2(1.0, 0.0) : cis(-3.0 * 0.38);
    const float2 ring_step = cis(0.12823), fan_step = cis(0.38), fan_back = cis(-6.0 * 0.38);
    float3 sum = 0;
    for (int i = 0; i < 49; i++)
    {
        float3 at, axis;
        lt_place(i, f, u, at, axis);
        float2 by = f == 1 ? ring_step : uint(i) % 7u == 6u ? fan_back : fan_step;
        u = float2(u.x * by.x - u.y * by.y, u.y * by.x + u.x * by.y);
        // The same for every pixel, so off the beat no pixel pays for it.
        if (live)
        {
            axis = lt_tip(axis, sway * swayA.y, sway * swayB.x);
            swayA = float2(swayA.x * 0.62161 - swayA.y * 0.78333, swayA.y * 0.62161 + swayA.x * 0.78333);
            swayB = float2(swayB.x * -0.12884 - swayB.y * 0.99166, swayB.y * -0.12884 + swayB.x * 0.99166);
        }

        float3 o = eye - at;
        float t0 = -dot(o, dir);
        // The ray's nearest distance to the light, measured rather than taken
        // as the difference of two near squares, which loses it near a beam.
        float h = max(length(o + dir * t0), 0.01);
        // With x - at = o + dir s and s = t0 + h tan u, the cosine to the beam
        // axis is (m cos u + h n sin u) / h: a shifted cosine wave in u. The
        // ray's ends are u = atan(-t0 / h) and atan((far - t0) / h).
        float n = dot(dir, axis);
        float m = dot(o, axis) + t0 * n;
        float2 e0 = float2(h, -t0) * rsqrt(h * h + t0 * t0);
        float2 e1 = float2(h, far - t0) * rsqrt(h * h + (far - t0) * (far - t0));
        // Rising at the near end and falling at the far one puts the wave's
        // crest on the ray; a ray that never reaches the cone's rim is skipped.
        bool crest = m * e0.y < h * n * e0.x && m * e1.y > h * n * e1.x;
        float most = crest ? sqrt(m * m + h * h * n * n) : max(m * e0.x + h * n * e0.y, m * e1.x + h * n * e1.y);
        if (most < 0.975 * h)
            continue;
        // Along the ray, (distance to the light)^-2 integrates to an arctangent;
        // stepping evenly in that angle puts the 20 cone samples where the light falls.
        float a0 = atan(-t0 / h), a1 = atan((far - t0) / h);
        float glow = (a1 - a0) / h;
        float du = (a1 - a0) / 20.0;
        // The first sample is e0 turned by half a step; each next one turns by
        // a step, taken from cis: the driver's sine shifts the samples visibly.
        float2 half_turn = cis(du * 0.5), turn = cis(du);
        float cu = e0.x * half_turn.x - e0.y * half_turn.y, su = e0.y * half_turn.x + e0.x * half_turn.y;
        float cd = turn.x, sd = turn.y;
        float cover = 0.0;
        for (int j = 0; j < 20; j++)
        {
            float cosine = (m * cu + h * n * su) / h;
            cover += smoothstep(0.975, 0.995, cosine);
            float nc = cu * cd - su * sd;
            su = su * cd + cu * sd;
            cu = nc;
        }
        float3 tint = (i & 1) ? gelB : gelA;
        sum += (tint * flash + float3(1.0, 0.45, 0.08) * pulse) * glow * cover / 20.0;
    }
    float3 x = sum * 0.3;
    float3 col = x * (2.51 * x + 0.03) / (x * (2.43 * x + 0.59) + 0.14);
    colour = float4(pow(saturate(col), 1.0 / 2.2), 1.0);
}
