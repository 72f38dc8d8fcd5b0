// Star gates: the camera rides a winding path through a stack of glass
// planes, each with a glowing star, composited front to back.

float2 e03_path(float z)
{
    return float2(0.55 * sin(0.61 * z) + 0.2 * sin(1.37 * z), 0.4 * cos(0.47 * z));
}

float2 e03_cis(float a)
{
    return float2(cos(a), sin(a));
}

float2 e03_turn(float2 a, float2 b)
{
    return float2(a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x);
}

// Signed distance to a five-pointed star of tip radius ro and notch radius ri.
float e03_star(float2 v, float ro, float ri)
{
    float sector = 1.2566371; // 2 pi / 5
    float a = atan2(v.y, v.x + 1e-9);
    a = a - sector * floor(a / sector);
    a = abs(a - 0.5 * sector);
    // a lies within 0 ... 0.63, where the series is exact to 1e-7
    float a2 = a * a;
    float2 u = length(v) * float2(1 + a2 * (-1.0 / 2 + a2 * (1.0 / 24 + a2 * (-1.0 / 720 + a2 * (1.0 / 40320)))),
                                  a * (1 + a2 * (-1.0 / 6 + a2 * (1.0 / 120 + a2 * (-1.0 / 5040)))));
    float2 tip = float2(ro, 0);
    float2 edge = ri * float2(cos(0.5 * sector), sin(0.5 * sector)) - tip;
    float2 rel = u - tip;
    float h = saturate(dot(rel, edge) / dot(edge, edge));
    float dist = length(rel - edge * h);
    return (edge.x * rel.y - edge.y * rel.x) > 0.0 ? -dist : dist;
}

float3 e03_tone(float3 x)
{
    x = max(x * 0.6, 0.0);
    x = x * (2.51 * x + 0.03) / (x * (2.43 * x + 0.59) + 0.14);
    return sqrt(saturate(x));
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 uv = (2.0 * position - q) / 1080.0;
    float camz = 0.9 * t;
    float3 ro = float3(e03_path(camz), camz);
    float3 ahead = float3(e03_path(camz + 1.2), camz + 1.2);
    float3 fw = normalize(ahead - ro);
    float3 rt = normalize(float3(fw.z, 0, -fw.x));
    float3 up = cross(fw, rt);
    float roll = 0.25 * sin(0.4 * t);
    float2 sv = float2(cos(roll) * uv.x - sin(roll) * uv.y, sin(roll) * uv.x + cos(roll) * uv.y);
    float3 rd = normalize(fw * 1.6 + rt * sv.x + up * sv.y);

    float3 sum = 0;
    float cover = 0;
    float first = floor(camz / 0.5) + 1.0;
    // Every angle a pane takes grows by a fixed step from one pane to the
    // next, so each turns from its first pane's cis instead of being taken afresh.
    float z0 = 0.5 * first;
    float2 bend1 = e03_cis(0.61 * z0), bend2 = e03_cis(1.37 * z0), sway = e03_cis(0.47 * z0);
    float2 place = e03_cis(1.9 * first), twirl = e03_cis(0.7 * first + 0.8 * t);
    float2 hue = e03_cis(6.2831853 * 0.13 * first);
    const float2 bend1_step = e03_cis(0.305), bend2_step = e03_cis(0.685), sway_step = e03_cis(0.235);
    const float2 place_step = e03_cis(1.9), twirl_step = e03_cis(0.7), hue_step = e03_cis(6.2831853 * 0.13);
    const float2 lag1 = e03_cis(6.2831853 * 0.33), lag2 = e03_cis(6.2831853 * 0.67);
    for (int i = 0; i < 16; i++)
    {
        float k = first + i;
        float pz = 0.5 * k;
        float dist = (pz - ro.z) / max(rd.z, 1e-3);
        float2 onpane = ro.xy + rd.xy * dist - float2(0.55 * bend1.y + 0.2 * bend2.y, 0.4 * sway.x);
        // A thin frame marks each pane of glass.
        float2 edge = abs(onpane) - float2(0.75, 1.0);
        float frame = exp(-90.0 * abs(max(edge.x, edge.y)));
        // Stars sit off the path on a slow spiral so the flight weaves between them.
        float2 hit = e03_turn(onpane - 0.28 * place, twirl);
        float sd = e03_star(hit, 0.2, 0.085);
        float3 tint = 0.55 + 0.45 * float3(hue.x, e03_turn(hue, lag1).x, e03_turn(hue, lag2).x);
        float body = smoothstep(0.004, -0.004, sd);
        float halo = exp(-18.0 * max(sd, 0.0));
        // Far panes fade in and near ones fade out, so none pops.
        float depth = i + 1.0 - frac(camz / 0.5);
        float fade = smoothstep(16.0, 11.0, depth) * smoothstep(0.0, 0.6, depth);
        float alpha = saturate(body * 0.85 + halo * 0.35 + 0.5 * frame + 0.02) * fade;
        float3 light = tint * (body * 2.2 + halo * 1.4) + float3(0.5, 0.6, 0.9) * (frame * 1.5 + 0.1);
        sum += (1.0 - cover) * alpha * light;
        cover += (1.0 - cover) * alpha;
        if (cover > 0.995)
            break;
        bend1 = e03_turn(bend1, bend1_step);
        bend2 = e03_turn(bend2, bend2_step);
        sway = e03_turn(sway, sway_step);
        place = e03_turn(place, place_step);
        twirl = e03_turn(twirl, twirl_step);
        hue = e03_turn(hue, hue_step);
    }
    sum += (1.0 - cover) * float3(0.02, 0.015, 0.05) * (1.0 + uv.y);
    colour = float4(e03_tone(sum), 1);
}
