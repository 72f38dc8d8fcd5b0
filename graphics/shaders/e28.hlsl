// A turbulent spherical shell of radius 3, seen from a slow orbit. Each of the 80
// steps adds glow inversely to its length, so the shell's skin is brightest.

// A parabolic stand-in for sin (same period, phase and range) at a fraction of
// its cost on a CPU device; the march calls it five times per step. It takes
// its argument in turns and returns an eighth of the wave: callers fold the 8
// into their own factor.
float3 e28_wave(float3 turns)
{
    float3 r = turns - round(turns);
    return r * (1.0 - 2.0 * abs(r));
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 uv = (position - q * 0.5) / q.y;

    float a = t * 0.2;
    float3 ro = float3(sin(a), 0.25 * sin(t * 0.13), cos(a)) * 9.5;
    float3 fw = normalize(-ro);
    float3 rt = normalize(cross(float3(0.0, 1.0, 0.0), fw));
    float3 up = cross(fw, rt);
    float3 rd = normalize(fw + uv.x * rt + uv.y * up);

    // The waves' phases in turns: 1 / 2 pi is 0.15915494.
    const float turn = 0.15915494;
    const float3 drift = t * float3(0.6, 0.8, 1.0) * turn;
    const float3 hue = float3(1.5708, 3.0708, 4.5708) * turn - t * 0.5 * turn;
    float3 acc = 0.0;
    float z = 0.0;
    for (int i = 0; i < 80; i++)
    {
        float3 s = ro + rd * z;
        float3 w = s;
        float f = 1.0;
        for (int k = 0; k < 4; k++)
        {
            w += e28_wave(w.zxy * (f * 1.3 * turn) + drift) * (3.2 / f);
            f *= 2.0;
        }
        float d = 0.01 + abs(length(w) - 3.0) * 0.2;
        acc += (1.2 + 8.0 * e28_wave(hue + length(s) * (1.2 * turn))) * (1.0 / d);
        z += d;
        if (z > 22.0)
            break;
    }
    colour = float4(tanh(min(acc / 3000.0, 8.0)), 1.0);
}
