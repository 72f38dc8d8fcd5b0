// Stage lighting in haze: 49 spotlights in one of four formations, flashing on
// the beat. Each beam is the in-scattering of a point light along the view ray
// (closed form) times how much of that ray its cone covers (20 samples).

static float lt_beat;

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

// One light's in-scattering along the ray from the eye in direction dir, out
// to far, times how much of the ray its cone covers; o is the eye less the
// light.
float lt_beam(float3 o, float3 axis, float3 dir, float far)
{
    float t0 = -dot(o, dir);
    // With x - at = o + dir s and s = t0 + h tan u, the cosine to the beam
    // axis is (m cos u + h n sin u) / h: a shifted cosine wave in u. The
    // ray's ends are u = atan(-t0 / h) and atan((far - t0) / h).
    float n = dot(dir, axis);
    float oa = dot(o, axis), oo = dot(o, o);
    float m = oa + t0 * n;
    // A ray that never reaches the cone's rim is skipped, with squares
    // compared where signs allow, so a light the ray misses costs no root.
    // The ray's nearest distance h to the light is measured rather than taken
    // as the difference of two near squares, which loses it near a light.
    float3 near = o + dir * t0;
    float h2 = max(dot(near, near), 1e-4);
    // The wave's top, sqrt(m^2 + h^2 n^2), bounds it over the whole line, so
    // most rays are done here.
    if (m * m + h2 * n * n < 0.950625 * h2)
        return 0.0;
    // Else the ray reaches the rim where the top lies on it (the wave rising
    // at the near end and falling at the far one) or at an end: at the eye
    // the cosine is oa / |o|, far out (oa + far n) / |o + far dir|.
    bool crest = -m * t0 < h2 * n && m * (far - t0) > h2 * n;
    float ends = oa + far * n;
    bool reach = crest || (oa > 0.0 && oa * oa >= 0.950625 * oo) || (ends > 0.0 && ends * ends >= 0.950625 * (oo - 2.0 * far * t0 + far * far));
    if (!reach)
        return 0.0;
    float h = sqrt(h2);
    float2 e0 = float2(h, -t0) * rsqrt(h * h + t0 * t0);
    // Along the ray, (distance to the light)^-2 integrates to an arctangent;
    // stepping evenly in that angle puts the 20 cone samples where the light
    // falls. The angle the ray spans at the light, atan((far - t0) / h) -
    // atan(-t0 / h), is taken as one arctangent of the difference.
    float span = atan2(far * h, h * h + t0 * (t0 - far));
    float glow = span / h;
    // The first sample is e0 turned by half a step (the step's turn taken
    // from cis: the driver's sine shifts the samples visibly). The cosine is
    // a sinusoid in the sample's number, so each next one follows from the
    // last two: c(j + 1) = 2 cos(step) c(j) - c(j - 1).
    float2 half_turn = cis(span * 0.025);
    float cu = e0.x * half_turn.x - e0.y * half_turn.y, su = e0.y * half_turn.x + e0.x * half_turn.y;
    float cd = half_turn.x * half_turn.x - half_turn.y * half_turn.y, sd = 2.0 * half_turn.x * half_turn.y;
    float mh = m / h;
    float now = mh * cu + n * su, next = mh * (cu * cd - su * sd) + n * (su * cd + cu * sd);
    float cover = 0.0;
    for (int j = 0; j < 20; j++)
    {
        cover += smoothstep(0.975, 0.995, now);
        float after = 2.0 * cd * next - now;
        now = next;
        next = after;
    }
    return glow * cover / 20.0;
}

// On the beat each axis sways, tipped by the sines of two phases that turn
// 0.785 and 0.393 radians a beat and step by 0.9 and 1.7 radians from one
// light to the next. Off it no pixel pays for them.
float3 lt_sway(float3 axis, bool live, inout float2 swayA, inout float2 swayB)
{
    if (live)
    {
        axis = lt_tip(axis, 0.35 * swayA.y, 0.35 * swayB.x);
        swayA = float2(swayA.x * 0.62161 - swayA.y * 0.78333, swayA.y * 0.62161 + swayA.x * 0.78333);
        swayB = float2(swayB.x * -0.12884 - swayB.y * 0.99166, swayB.y * -0.12884 + swayB.x * 0.99166);
    }
    return axis;
}

// A light's beam added to x, and the halves swapped: over the 49 lights the
// even ones' beams gather in y and the odd ones' in x, with no test on the
// light's number.
void lt_add(inout float2 sum, float3 o, float3 axis, float3 dir, float far)
{
    sum = float2(sum.y, sum.x + lt_beam(o, axis, dir, far));
}

// The 49 beams of formation f on the ray from the eye along dir, the even
// lights' summed in y and the odd ones' in x. Each formation has its own loop,
// so a fixed axis and its tips fold and no light pays for another formation's
// branches; called with a constant live, it is built once for each case.
float2 lt_lights(int f, bool live, float2 swayA, float2 swayB, float3 eye, float3 dir, float far)
{
    const float2 ring_step = cis(0.12823), fan_step = cis(0.38), fan_first = cis(-3.0 * 0.38);
    float2 sum = 0.0;
    if (f == 0)
    {
        // A wall of lights across the back, raking down toward the front.
        for (float gy = -3.0; gy < 3.5; gy += 1.0)
            for (float gx = -3.0; gx < 3.5; gx += 1.0)
            {
                float3 axis = lt_sway(normalize(float3(0.0, -0.6, -1.0)), live, swayA, swayB);
                lt_add(sum, eye - float3(gx * 1.5, gy * 1.5, 14.0), axis, dir, far);
            }
    }
    else if (f == 1)
    {
        // A ring overhead, every beam sloping in toward the middle.
        float2 u = float2(1.0, 0.0);
        for (int i = 0; i < 49; i++)
        {
            float r = 4.0 + (i & 1) * 2.5;
            float3 at = float3(r * u.x, 7.0, 10.0 + r * u.y);
            float3 axis = lt_sway(normalize(float3(-at.x * 0.5, -7.0, 10.0 - at.z)), live, swayA, swayB);
            u = float2(u.x * ring_step.x - u.y * ring_step.y, u.y * ring_step.x + u.x * ring_step.y);
            lt_add(sum, eye - at, axis, dir, far);
        }
    }
    else if (f == 2)
    {
        // A floor grid firing upward.
        for (float gy = -3.0; gy < 3.5; gy += 1.0)
            for (float gx = -3.0; gx < 3.5; gx += 1.0)
            {
                float3 axis = lt_sway(float3(0.0, 1.0, 0.0), live, swayA, swayB);
                lt_add(sum, eye - float3(gx * 2.0, -4.5, 9.0 + gy * 2.0), axis, dir, far);
            }
    }
    else
    {
        // A fan: seven arcs of lights low on the stage, beams opening upward.
        // Unrolled, each column's angle, axis and tipping directions fold to
        // constants: only the sway is left to each light.
        for (float gy = -3.0; gy < 3.5; gy += 1.0)
        {
            float2 u = fan_first;
            [unroll] for (int k = 0; k < 7; k++)
            {
                float3 at = float3(u.y * (3.0 + gy * 0.6), -7.0 + gy * 0.5, 12.0 - u.x * (2.0 + gy * 0.6));
                float3 axis = lt_sway(normalize(float3(u.y * 1.4, 1.0, -0.3)), live, swayA, swayB);
                u = float2(u.x * fan_step.x - u.y * fan_step.y, u.y * fan_step.x + u.x * fan_step.y);
                lt_add(sum, eye - at, axis, dir, far);
            }
        }
    }
    return sum;
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
    // The sway's phases.
    float2 swayA = cis(lt_beat * 0.785), swayB = cis(lt_beat * 0.393);
    float2 sum;
    if (live)
        sum = lt_lights(f, true, swayA, swayB, eye, dir, far);
    else
        sum = lt_lights(f, false, swayA, swayB, eye, dir, far);
    float3 x = ((gelA * sum.y + gelB * sum.x) * flash + float3(1.0, 0.45, 0.08) * pulse * (sum.x + sum.y)) * 0.3;
    float3 col = x * (2.51 * x + 0.03) / (x * (2.43 * x + 0.59) + 0.14);
    colour = float4(pow(saturate(col), 1.0 / 2.2), 1.0);
}
