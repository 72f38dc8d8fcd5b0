// One flapping creature tumbling in the middle of the frame. The same creature is
// drawn again through 20 stacked sine warps of the screen, each copy behind the
// last, and each one with its colour channels turned one step further.

float e29_oval(float2 s, float2 r)
{
    // scaled-circle bound: exact on the axes, close enough for soft edges
    return (length(s / r) - 1.0) * min(r.x, r.y);
}

// s turned by the angle whose cos and sin are cs
float2 e29_turn(float2 s, float2 cs)
{
    return float2(cs.x * s.x - cs.y * s.y, cs.y * s.x + cs.x * s.y);
}

// Signed distance to the creature; eye is the distance to its eyes. beat is the
// sine of the wings' phase.
float e29_creature(float2 s, float beat, out float eye)
{
    // the flap stays within +-0.55, where the series is exact to 1e-8
    float flap = beat * 0.55;
    float f2 = flap * flap;
    float2 cs = float2(1.0 + f2 * (-1.0 / 2.0 + f2 * (1.0 / 24.0 + f2 * (-1.0 / 720.0 + f2 * (1.0 / 40320.0)))),
                       flap * (1.0 + f2 * (-1.0 / 6.0 + f2 * (1.0 / 120.0 + f2 * (-1.0 / 5040.0)))));
    float body = e29_oval(s - float2(0.0, -0.01), float2(0.045, 0.085));
    float head = length(s - float2(0.0, 0.095)) - 0.045;
    float2 w = float2(abs(s.x), s.y) - float2(0.03, 0.02);
    w = e29_turn(w, cs) - float2(0.095, 0.0);
    float wing = e29_oval(w, float2(0.1, 0.028));
    float2 ft = float2(abs(s.x) - 0.025, s.y + 0.1);
    float feet = e29_oval(ft, float2(0.014, 0.03));
    eye = length(float2(abs(s.x) - 0.017, s.y - 0.105)) - 0.011;
    return min(min(body, head), min(wing, feet));
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    position.y -= q.y * floor(position.y / q.y);
    float2 uv = (position - q * 0.5) / (q.y * 1.35);

    // tumbling: a spin in the picture plane and a turn about the vertical axis
    float spin = t * 0.9;
    float roll = cos(t * 0.7);
    float squeeze = sign(roll) / max(abs(roll), 0.35);

    float3 tint = float3(1.0, 0.62, 0.18);
    // The spin is the same for every copy, and the wings' phase and the fade grow
    // by a fixed step a copy, so they are carried from copy to copy.
    float2 spun = float2(cos(spin), sin(spin));
    float2 wings = float2(cos(t * 9.0), sin(t * 9.0));
    const float2 wings_step = float2(cos(0.45), sin(0.45));
    float fade = 1.0;
    float3 acc = 0.0;
    float cover = 0.0;
    float2 w = uv;
    for (int i = 0; i < 20; i++)
    {
        float fi = float(i);
        float2 s = e29_turn(w, spun);
        s.x *= squeeze;
        float eye;
        float d = e29_creature(s, wings.y, eye) / max(abs(squeeze), 1.0);
        float body = smoothstep(0.003, -0.0015, d);
        float edge = exp(-abs(d) * 160.0);
        float3 ink = tint * (0.55 + 0.45 * smoothstep(-0.03, 0.0, d));
        ink = lerp(ink, 0.03, smoothstep(0.003, -0.002, eye));
        ink += edge * 0.6;
        float a = saturate(body + edge * 0.5);
        acc += (1.0 - cover) * a * ink * fade;
        cover += (1.0 - cover) * a;

        // next level: warp the screen again and rotate the channels
        w += 0.06 * sin(w.yx * float2(5.0, 4.0) + float2(t * 0.8, -t * 0.6) + fi * 0.9);
        tint = tint.gbr;
        wings = e29_turn(wings, wings_step);
        fade *= 0.88;
    }
    float3 back = lerp(float3(0.02, 0.01, 0.05), float3(0.1, 0.04, 0.14), uv.y + 0.5);
    colour = float4(acc + (1.0 - cover) * back, 1.0);
}
