// End screen: a grey hourglass over the limit notice, dark on white. Static.

void ya(out float4 colour, float2 position)
{
    float2 n = position / q;
    float2 v = n - float2(0, 0.68);
    float dx = abs(v.x - 0.5);
    float3 col = 1;
    bool glass = abs(v.y) < 0.1 && dx < 0.057 - 0.037 * cos(34 * v.y);
    bool hollow = v.y > -0.085 && v.y < 0 && dx < -1.4 * v.y - 0.06;
    if (glass && !hollow)
        col = 0.3;
    float2 i = n * float2(1.2, 1.6);
    // The range tests keep each read inside its own band of the atlas.
    if (i.y > 0.4)
        col -= xxt(i - float2(0.1, 0.85), 12).x;
    if (i.y > 0.2 && i.y < 0.8)
        col -= xxt(i - float2(0.1, 0.65), 13).x;
    colour = float4(col, 1);
}
