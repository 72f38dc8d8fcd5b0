// Flight through a turbulent tunnel with a light circling ahead of the camera.
// Glow is gathered as 1/step so each of the 128 steps costs one field evaluation.

// A parabolic stand-in for sin(2 pi y) / 8, y in turns (same period, phase and
// shape at a fraction of a CPU device's sin); the march calls it a dozen times
// per step, so its arguments come in turns and the 8 goes into its callers' factors.
float2 e23_wave(float2 y)
{
    float2 r = y - round(y);
    return r * (1.0 - 2.0 * abs(r));
}

float2 e23_bend(float z)
{
    return e23_wave(z * float2(0.21 / 6.2831853, 0.17 / 6.2831853) + float2(0.0, 0.25)) * float2(1.4 * 8.0, 0.9 * 8.0);
}

// Whether the walls can still add a level of 255 beyond distance z along a
// ray from o heading r (across the tunnel). Past 3.79 off the z axis (the
// tunnel's 1.5, the most the octaves push, the most it bends) every step is
// at least 0.4 of the distance past, and moving away at a rate the steps
// grow at least geometrically; the walls add at most 2 / step, so what is
// left stays under a level once 1 + 0.4 rate < 3.45 rate past. Once true it
// stays true along the ray.
bool e23_spent(float2 o, float2 r, float z)
{
    float2 s = o + r * z;
    float far = length(s), rate = dot(s, r);
    return far > 3.79 && far + 0.4 * rate < 3.45 * rate * (far - 3.79);
}

// Where the march can stop: at 30, or where the walls are spent, found by halving.
float e23_leave(float2 o, float2 r)
{
    if (!e23_spent(o, r, 30.0))
        return 30.0;
    float near = 0.0, far = 30.0;
    for (int k = 0; k < 12; k++)
    {
        float mid = 0.5 * (near + far);
        if (e23_spent(o, r, mid))
            far = mid;
        else
            near = mid;
    }
    return far;
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 uv = (position - q * 0.5) / q.y;

    float cz = t * 1.6;
    float3 ro = float3(e23_bend(cz), cz);
    float3 fw = normalize(float3(e23_bend(cz + 2.0), cz + 2.0) - ro);
    float3 rt = normalize(cross(float3(0.0, 1.0, 0.0), fw));
    float3 up = cross(fw, rt);
    float3 rd = normalize(fw + (uv.x * rt + uv.y * up) * 1.2);

    float lz = cz + 3.5 + sin(t * 0.6);
    float3 lp = float3(e23_bend(lz) + float2(cos(t * 1.7), sin(t * 1.7)) * 0.8, lz);

    // the octaves' and the hue's clock terms, in turns
    float2 drift = t * float2(0.7 / 6.2831853, 0.9 / 6.2831853);
    float2 hue_start = t * (0.3 / 6.2831853) + float2(0.25, 0.0);

    // the glow's grey, cos and sin parts of the hue, each over the steps
    float3 acc = 0.0;
    float glow = 0.0;
    float z = 0.0;
    float leave = e23_leave(ro.xy, rd.xy);
    for (int i = 0; i < 128; i++)
    {
        float3 s = ro + rd * z;
        float3 w = s;
        w.xy -= e23_bend(s.z);
        // each octave pushes the cross-section sideways by a wave along the other axes
        float f = 1.7 / 6.2831853;
        float reach = 0.38 * 8.0 / 1.7;
        for (int k = 0; k < 4; k++)
        {
            w.xy += e23_wave(w.yx * f + w.z * (f * 0.6) + drift) * reach;
            f *= 1.9;
            reach /= 1.9;
        }
        float d = 0.012 + abs(1.5 - length(w.xy)) * 0.4;
        // cos and sin of the hue angle turn into three phase-shifted channels
        float2 hue = e23_wave(s.z * (0.18 / 6.2831853) + hue_start) * 8.0;
        acc += float3(1.0, hue) * (1.0 / d);
        float3 l = s - lp;
        float l2 = dot(l, l) + 0.01;
        glow += d / (l2 * l2);
        z += d;
        if (z > leave)
            break;
    }
    float3 col = (acc.x + acc.y * float3(1.0, -0.32, -0.8) + acc.z * float3(0.0, -0.95, 0.6)) / 11000.0 + glow * float3(1.0, 0.6, 0.3) * 0.03;
    colour = float4(tanh(min(col, 8.0)), 1.0);
}
