// Stage lighting in haze: 49 spotlights in one of four formations, flashing on
// the beat. Each beam is the in-scattering of a point light along the view ray
// (closed form) times how much of that ray its cone covers (20 samples).

static float lt_beat;

// Light i of 49 in formation f: position in .xyz, and its beam axis.
void lt_place(int i, int f, float sway, out float3 at, out float3 axis)
{
    float2 g = float2(i % 7, i / 7) - 3.0;
    float k = i;
    float a = sway * sin(lt_beat * 0.785 + k * 0.9);
    float b = sway * cos(lt_beat * 0.393 + k * 1.7);
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
        float u = k * 0.12823;
        at = float3(r * cos(u), 7.0, 10.0 + r * sin(u));
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
        float u = g.x * 0.38;
        at = float3(sin(u) * (3.0 + g.y * 0.6), -7.0 + g.y * 0.5, 12.0 - cos(u) * (2.0 + g.y * 0.6));
        axis = normalize(float3(sin(u) * 1.4, 1.0, -0.3));
    }
    // Sway tips the axis about two directions across it.
    float3 s1 = normalize(cross(axis, abs(axis.y) > 0.9 ? float3(1.0, 0.0, 0.0) : float3(0.0, 1.0, 0.0)));
    float3 s2 = cross(axis, s1);
    axis = normalize(axis + s1 * a + s2 * b);
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
    float sway = live ? 0.35 : 0.0;

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
    float3 sum = 0;
    for (int i = 0; i < 49; i++)
    {
        float3 at, axis;
        lt_place(i, f, sway, at, axis);
        float3 o = eye - at;
        float t0 = -dot(o, dir);
        float h = max(sqrt(max(dot(o, o) - t0 * t0, 0.0)), 0.01);
        // Along the ray, (distance to the light)^-2 integrates to an arctangent;
        // stepping evenly in that angle puts the 20 cone samples where the light falls.
        float a0 = atan(-t0 / h), a1 = atan((far - t0) / h);
        float glow = (a1 - a0) / h;
        // With x - at = o + dir s and s = t0 + h tan u, the cosine to the beam
        // axis is (m cos u + h n sin u) / h, so each step is only a rotation.
        float n = dot(dir, axis);
        float m = dot(o, axis) + t0 * n;
        // That cosine is a shifted cosine wave in u, peaking at u = atan2(h n, m);
        // a ray that never comes within the cone's rim can skip the samples.
        float peak = atan2(h * n, m);
        float most = peak > a0 && peak < a1 ? sqrt(m * m + h * h * n * n) / h
                   : max(m * cos(a0) + h * n * sin(a0), m * cos(a1) + h * n * sin(a1)) / h;
        if (most < 0.975)
            continue;
        float du = (a1 - a0) / 20.0;
        float u = a0 + du * 0.5;
        float cu = cos(u), su = sin(u), cd = cos(du), sd = sin(du);
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
    float3 x = sum * 0.2;
    float3 col = x * (2.51 * x + 0.03) / (x * (2.43 * x + 0.59) + 0.14);
    colour = float4(pow(saturate(col), 1.0 / 2.2), 1.0);
}
