// Electric filaments: a point is turned and warped eighteen times, squashed
// through tanh each time so the map folds back on itself instead of running
// off. Every pass glows where the warped point crosses its own axis.

float2 e02_tanh(float2 v)
{
    // tanh of a large argument can come out as inf/inf on some drivers.
    v = clamp(v, -9.0, 9.0);
    float2 e = exp(2.0 * v);
    return (e - 1.0) / (e + 1.0);
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 w = (2.0 * position - q) / 1080.0 * 1.3;
    float3 d = 0;
    for (int i = 0; i < 18; i++)
    {
        float fi = i;
        // The map folds back on itself eighteen times and magnifies any error:
        // its sines come from cis, the same on every driver.
        float2 turn = cis(0.62 + 0.1 * cis(0.23 * t + fi).y);
        w = float2(turn.x * w.x - turn.y * w.y, turn.y * w.x + turn.x * w.y);
        float2 warp = w.yx * 2.7 + float2(0.9 * t, -0.7 * t) + fi * 0.8;
        w += 0.3 * float2(cis(warp.x).y, cis(warp.y).y);
        w = 1.25 * e02_tanh(1.4 * w);
        float gap = abs(w.x + 0.2 * cis(4.0 * w.y + 1.7 * t + fi).y + 0.025 * cis(31.0 * w.y - 9.0 * t + 3.0 * fi).y);
        d += (1.0 + cos(float3(1, 2, 3) + 0.4 * fi + 0.5 * t)) * 0.022 / max(gap, 0.0015);
    }
    d = max(d, 1e-3);
    colour = float4(15.6 / (min(d, 13.0) + 164.0 / d), 1);
}
