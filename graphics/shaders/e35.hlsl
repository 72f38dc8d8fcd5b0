// Test pattern for entry 35 until its effect lands: the entry number, the
// clock in whole seconds and a hand turning once every four seconds.
static const int entry = 35;

// Seven-segment digit d in a cell 1 wide and 2 high.
float digit(float2 u, int d)
{
    const int masks[10] = {63, 6, 91, 79, 102, 109, 125, 7, 127, 111};
    const float4 segments[7] = {float4(0.5, 2, 0.45, 0.1), float4(1, 1.5, 0.1, 0.45), float4(1, 0.5, 0.1, 0.45),
                                float4(0.5, 0, 0.45, 0.1), float4(0, 0.5, 0.1, 0.45), float4(0, 1.5, 0.1, 0.45),
                                float4(0.5, 1, 0.45, 0.1)};
    float lit = 0;
    for (int s = 0; s < 7; s++)
        if ((masks[d] >> s) & 1)
            lit = max(lit, all(abs(u - segments[s].xy) < segments[s].zw));
    return lit;
}

// Whole number n in digits `size` wide, its units digit left of `corner`.
float number(float2 position, float2 corner, float size, int n)
{
    float2 u = (position - corner) / size;
    int cell = int(floor(-u.x / 1.6)); // counted leftward from the units digit
    int digits = 1;
    for (int r = abs(n); r >= 10; r /= 10)
        digits++;
    if (u.y < -0.2 || u.y > 2.2 || cell < 0 || cell > digits)
        return 0;
    float2 v = float2(u.x + 1.6 * cell + 1.3, u.y);
    if (cell == digits)
        return n < 0 && all(abs(v - float2(0.5, 1)) < float2(0.45, 0.1));
    int m = abs(n);
    for (int k = 0; k < cell; k++)
        m /= 10;
    return digit(v, m % 10);
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float3 tint = 0.5 + 0.5 * cos(6.2832 * (entry / 37.0 + float3(0, 0.33, 0.67)));
    colour = float4(tint * (0.25 + 0.5 * position.y / 1080), 1);
    float2 d = position - float2(384, 300);
    float angle = atan2(d.x, d.y) - 6.2832 * frac(t / 4);
    float hand = length(d) < 110 && abs(sin(angle) * length(d)) < 5 && cos(angle) > 0;
    float ring = abs(length(d) - 120) < 4;
    float lit = max(max(hand, ring), number(position, float2(564, 640), 110, entry));
    lit = max(lit, number(position, float2(604, 470), 40, int(floor(t))));
    colour.rgb = lerp(colour.rgb, 1, lit);
}
