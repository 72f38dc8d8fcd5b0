// A scene the timeline assembles: B.x switches a figure (1), a glowing tunnel
// (2), a vehicle (4) and tumbling (8); B.y mirrors the view in x (1) and y (2);
// B.z > 0 lays atlas band B.z over it as a spinning banner tinted by B.w.

static int pd_parts;
static float pd_clock;
static float3x3 pd_turn;
static float2 pd_arm; // cos and sin of the arms' swing, the same all frame

float pd_blend(float a, float b, float k)
{
    float h = saturate(0.5 + 0.5 * (b - a) / k);
    return lerp(b, a, h) - k * h * (1 - h);
}

// Scaled-sphere bound: never overshoots, exact on the axes.
float pd_ellipsoid(float3 p, float3 r)
{
    return (length(p / r) - 1) * min(r.x, min(r.y, r.z));
}

float pd_box(float3 p, float3 half_size, float round_by)
{
    float3 d = abs(p) - half_size + round_by;
    return length(max(d, 0)) + min(max(d.x, max(d.y, d.z)), 0) - round_by;
}

float2 pd_turned(float2 v, float2 cs)
{
    return float2(cs.x * v.x - cs.y * v.y, cs.y * v.x + cs.x * v.y);
}

float2 pd_swing(float2 v, float a)
{
    return pd_turned(v, float2(cos(a), sin(a)));
}

// cos and sin of an angle within about +-1.6: the series is exact to 1e-6
// there and far cheaper than the general functions' range reduction.
float2 pd_cis_small(float x)
{
    float x2 = x * x;
    float c = 1 + x2 * (-1.0 / 2 + x2 * (1.0 / 24 + x2 * (-1.0 / 720 + x2 * (1.0 / 40320 + x2 * (-1.0 / 3628800)))));
    float s = x * (1 + x2 * (-1.0 / 6 + x2 * (1.0 / 120 + x2 * (-1.0 / 5040 + x2 * (1.0 / 362880 + x2 * (-1.0 / 39916800))))));
    return float2(c, s);
}

float pd_figure(float3 p)
{
    p.x = abs(p.x);
    float d = pd_ellipsoid(p - float3(0, 0.3, 0), float3(0.85, 1.25, 0.6));
    d = pd_blend(d, pd_ellipsoid(p - float3(0, 2.15, 0), float3(0.6, 0.65, 0.55)), 0.25);
    float3 arm = p - float3(0.95, 1.1, 0);
    arm.xy = pd_turned(arm.xy, pd_arm);
    d = pd_blend(d, pd_ellipsoid(arm - float3(0, -0.9, 0), float3(0.3, 1.0, 0.3)), 0.3);
    d = pd_blend(d, pd_ellipsoid(p - float3(0.45, -1.55, 0), float3(0.35, 1.05, 0.4)), 0.3);
    d = pd_blend(d, pd_ellipsoid(p - float3(0.5, -2.55, 0.25), float3(0.35, 0.2, 0.6)), 0.2);
    return d;
}

float pd_wheels(float3 p)
{
    p.xz = abs(p.xz);
    p -= float3(1.5, -0.85, 1.05);
    float2 w = float2(length(p.xy) - 0.6, abs(p.z) - 0.25);
    return min(max(w.x, w.y), 0) + length(max(w, 0)) - 0.05;
}

float pd_vehicle(float3 p)
{
    float d = pd_box(p - float3(0, -0.25, 0), float3(2.4, 0.55, 1.0), 0.2);
    d = pd_blend(d, pd_box(p - float3(-0.35, 0.65, 0), float3(1.2, 0.45, 0.85), 0.25), 0.15);
    return min(d, pd_wheels(p));
}

float3 pd_tunnel_axis(float z)
{
    return float3(1.2 * sin(0.25 * z + 1.3 * pd_clock), 1.2 * cos(0.2 * z + 1.1 * pd_clock), z);
}

float pd_tunnel_about(float3 p, float2 axis)
{
    return 6 - length(p.xy - axis);
}

float pd_tunnel(float3 p)
{
    return pd_tunnel_about(p, pd_tunnel_axis(p.z).xy);
}

float pd_object(float3 p)
{
    float bound = length(p) - 3.6;
    if (bound > 0.5)
        return bound;
    p = mul(pd_turn, p);
    float d = 1e5;
    if (pd_parts & 1)
        d = pd_figure(p);
    if (pd_parts & 4)
        d = min(d, pd_vehicle(p));
    return d;
}

// axis: the tunnel's axis at p's depth
float pd_scene_about(float3 p, float2 axis)
{
    float d = (pd_parts & 5) ? pd_object(p) : 1e5;
    if (pd_parts & 2)
        d = min(d, 0.9 * pd_tunnel_about(p, axis));
    return d;
}

float pd_scene(float3 p)
{
    return pd_scene_about(p, pd_tunnel_axis(p.z).xy);
}

float3 pd_normal(float3 p)
{
    const float2 k = float2(1, -1) * 0.002;
    return normalize(k.xyy * pd_scene(p + k.xyy) + k.yyx * pd_scene(p + k.yyx) +
                     k.yxy * pd_scene(p + k.yxy) + k.xxx * pd_scene(p + k.xxx) + 1e-9);
}

float3 pd_wall_hue(float3 p, out float around)
{
    float2 across = p.xy - pd_tunnel_axis(p.z).xy;
    around = atan2(across.y, abs(across.x) + abs(across.y) > 0 ? across.x : 1);
    return 0.5 + 0.5 * cos(6.2832 * (0.03 * p.z - 0.25 * pd_clock) + around + float3(0, 2.1, 4.2));
}

float3 pd_wall_glow(float3 p)
{
    float around;
    float3 hue = pd_wall_hue(p, around);
    float rings = pow(abs(sin(1.5 * p.z - 5 * pd_clock)), 12);
    float ribs = pow(abs(sin(4 * around)), 20);
    return hue * (0.25 + 1.6 * rings + 0.7 * ribs);
}

void ya(out float4 colour, float2 position)
{
    pd_clock = c.x + p.y;
    pd_parts = int(B.x);
    int mirror = int(B.y);
    float2 view = (position - 0.5 * q) / q.y;
    float2 uv = view;
    if (mirror & 1)
        uv.x = abs(uv.x);
    if (mirror & 2)
        uv.y = abs(uv.y);

    float3x3 still = float3x3(1, 0, 0, 0, 1, 0, 0, 0, 1);
    pd_turn = still;
    float swing = 0.6 + 0.35 * sin(3 * pd_clock);
    pd_arm = float2(cos(swing), sin(swing));
    if (pd_parts & 8) {
        float a = 4 * pd_clock, b = 7 * pd_clock;
        float3x3 rx = float3x3(1, 0, 0, 0, cos(a), -sin(a), 0, sin(a), cos(a));
        float3x3 ry = float3x3(cos(b), 0, sin(b), 0, 1, 0, -sin(b), 0, cos(b));
        pd_turn = mul(rx, ry);
    }

    float3 eye = float3(0, 0, 15);
    float3 ray = normalize(float3(uv, -1.5));
    float3 col = lerp(float3(0.02, 0.01, 0.05), float3(0.12, 0.06, 0.2), saturate(uv.y + 0.5));

    float t = 0;
    bool hit = false;
    // The tunnel axis's two waves are linear in depth along the ray, so they
    // turn step by step from their cis at the eye instead of being taken afresh.
    float a1 = 0.25 * eye.z + 1.3 * pd_clock, a2 = 0.2 * eye.z + 1.1 * pd_clock;
    float2 wave1 = float2(cos(a1), sin(a1)), wave2 = float2(cos(a2), sin(a2));
    [loop] for (int i = 0; i < 110; i++) {
        float d = pd_scene_about(eye + t * ray, 1.2 * float2(wave1.y, wave2.x));
        if (d < 0.001 * t) {
            hit = true;
            break;
        }
        t += d;
        if (pd_parts & 2) {
            wave1 = pd_turned(wave1, pd_cis_small(0.25 * ray.z * d));
            wave2 = pd_turned(wave2, pd_cis_small(0.2 * ray.z * d));
        }
        if (t > 80)
            break;
    }

    if (hit) {
        float3 at = eye + t * ray;
        float fade = exp(-0.035 * max(t - 8, 0));
        bool wall = (pd_parts & 2) && (!(pd_parts & 5) || 0.9 * pd_tunnel(at) < pd_object(at));
        if (wall) {
            col = pd_wall_glow(at) * fade;
        } else {
            float3 n = pd_normal(at);
            float3 obj = mul(pd_turn, at);
            float3 base = float3(1.0, 0.78, 0.62);
            float car = pd_vehicle(obj);
            if ((pd_parts & 4) && (!(pd_parts & 1) || car < pd_figure(obj)))
                base = pd_wheels(obj) <= car ? float3(0.08, 0.08, 0.1) : float3(0.9, 0.15, 0.1);
            float3 sun = normalize(float3(0.5, 0.7, 0.6));
            float diffuse = saturate(dot(n, sun));
            float shine = saturate(dot(reflect(ray, n), sun));
            shine *= shine;
            shine *= shine;
            shine *= shine;
            shine *= shine;
            shine *= shine; // the 32nd power
            float around;
            float3 fill = (pd_parts & 2) ? pd_wall_hue(at + 6 * n, around) * 0.5 : float3(0.1, 0.08, 0.15);
            col = base * (0.15 + 0.85 * diffuse) + fill * saturate(0.5 + 0.5 * n.y) + shine;
        }
    }

    if (B.z > 0) {
        float a = 0.004 * sin(9 * pd_clock);
        float2 o = pd_swing(view, -pd_clock);
        float cover = 0;
        for (int e = 0; e < 10; e++)
            cover += xxt(saturate(o + float2(0.5, 0.8) + float2(sin(e), cos(e)) * e * a), int(B.z)).x;
        col = lerp(saturate(col), 0.5 + 0.5 * cos(float3(0, 2.1, 4.2) + B.w), cover / 10);
    }
    colour = float4(col, 1);
}
