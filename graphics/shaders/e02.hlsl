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

float2 e02_turn(float2 a, float2 b)
{
    return float2(a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x);
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 w = (2.0 * position - q) / 1080.0 * 1.3;
    float3 d = 0;
    // The wobble of the turn and the glow's hue are the same for every pixel and
    // grow by a fixed angle a pass, so they turn by plain products, the same on
    // every driver, rather than being taken afresh for each pass and channel.
    float2 hue = cis(0.5 * t);
    float2 wobble = cis(0.23 * t);
    const float2 wobble_step = cis(1.0);
    const float2 hue_step = cis(0.4), lag1 = cis(1.0), lag2 = cis(2.0), lag3 = cis(3.0);
    for (int i = 0; i < 18; i++)
    {
        float fi = i;
        // The map folds back on itself eighteen times and magnifies any error:
        // its sines come from cis, the same on every driver.
        float2 turn = cis(0.62 + 0.1 * wobble.y);
        wobble = e02_turn(wobble, wobble_step);
        w = e02_turn(w, turn);
        float2 warp = w.yx * 2.7 + float2(0.9 * t, -0.7 * t) + fi * 0.8;
        w += 0.3 * float2(cis(warp.x).y, cis(warp.y).y);
        w = 1.25 * e02_tanh(1.4 * w);
        float gap = abs(w.x + 0.2 * cis(4.0 * w.y + 1.7 * t + fi).y + 0.025 * cis(31.0 * w.y - 9.0 * t + 3.0 * fi).y);
        float3 tint = float3(e02_turn(hue, lag1).x, e02_turn(hue, lag2).x, e02_turn(hue, lag3).x);
        d += (1.0 + tint) * 0.022 / max(gap, 0.0015);
        hue = e02_turn(hue, hue_step);
    }
    d = max(d, 1e-3);
    colour = float4(15.6 / (min(d, 13.0) + 164.0 / d), 1);
}
