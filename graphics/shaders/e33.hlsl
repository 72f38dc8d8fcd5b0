// Quiz board: five rows of four answer cells between plain light rows, the
// point values in the cells and the category line above them. Static.

static const float3 quiz_cell = float3(63, 52, 154) / 255;
static const float3 quiz_light = float3(122, 115, 208) / 255;

void ya(out float4 colour, float2 position)
{
    float2 n = position / q;
    // A row of cells starts on a whole pixel, where 10 * n.y is a whole number
    // only up to each driver's rounding; a quarter pixel up decides it alike.
    float band = (position.y + 0.25) * (10.0 / 1080);
    int row = int(band);
    float3 col = quiz_light;
    if (row >= 3 && row <= 7) {
        bool grid = frac(4 * n.x - 0.1) > 0.8 || frac(band) > 0.8;
        // Bands 4..8 hold "100".."500" with their top at f.y = 1.
        float text = xxt(float2(frac(4 * n.x), frac(10 * n.y + 0.35)), 11 - row).x;
        col = grid ? quiz_light : lerp(quiz_cell, quiz_light, text);
    }
    if (row == 8 && xxt(float2(0.7 * n.x + 0.15, n.y + 0.14), 9).x > 0)
        col = 1;
    colour = float4(col, 1);
}
