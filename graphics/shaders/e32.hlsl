// 64 bouncing spheres on an 8 x 8 grid of pitch 3 above a floor at y = -10,
// ray traced analytically: primary ray, two reflections, a shadow ray per hit.

static const float ball_radius = 1.1;
static const float floor_y = -10;
static const float bounce_height = 5.5;
static float ball_clock;

float balls_hash(uint n)
{
    n = (n ^ 0x5bu) * 0x9e3779b1u;
    n ^= n >> 15;
    n *= 0x2c1b3c6du;
    n ^= n >> 12;
    return float(n & 0xffffu) * (1.0 / 65535.0);
}

// Ball i's centre: its grid place and its height at this clock, worked out
// for each ball a ray tries. A ray tries far fewer than all 64, and a table of
// them per pixel lives in memory on a CPU device, each lane's its own.
float3 ball_centre(int i)
{
    float w = ((2.2 + 1.3 * balls_hash(i + 1)) * ball_clock + 6.2832 * balls_hash(i + 71)) * 0.15915494;
    w -= round(w);
    float v = w * w;
    float hop = abs(w * (6.28318491 + v * (-41.3415883 + v * (81.5999136 + v * (-76.6141403 + v * (41.3413654 + v * -12.4688186))))));
    return float3(3 * ((i & 7) - 3.5), floor_y + ball_radius + bounce_height * hop, 3 * ((i >> 3) - 3.5));
}

// Where the ray is inside the box that holds every ball (a little wider, so
// that rounding never clips a grazing hit): most rays miss it, and the rest
// are tried only against the balls in their stretch of it.
bool balls_in_reach(float3 from, float3 dir, out float enter, out float leave)
{
    const float m = 0.01;
    float3 lo = float3(-10.5 - ball_radius - m, floor_y - m, -10.5 - ball_radius - m);
    float3 hi = float3(10.5 + ball_radius + m, floor_y + 2 * ball_radius + bounce_height + m, 10.5 + ball_radius + m);
    float3 inv = 1 / (abs(dir) < 1e-6 ? 1e-6 * (dir < 0 ? -1 : 1) : dir);
    float3 a = (lo - from) * inv, b = (hi - from) * inv;
    float3 near = min(a, b), far = max(a, b);
    enter = max(max(near.x, max(near.y, near.z)), 0);
    leave = min(far.x, min(far.y, far.z));
    return leave > enter;
}

// Nearest ball hit: returns its distance (1e9 for none) and its index in which.
// A ball stays within 1.1 of its grid line, so the grid is walked a row at a
// time across the ray's main horizontal direction, only the rows the ray
// crosses inside the box, and in each row only the balls within reach of
// where the ray crosses it are tried.
float balls_hit(float3 from, float3 dir, out int which)
{
    which = -1;
    float best = 1e9;
    float enter, leave;
    if (!balls_in_reach(from, dir, enter, leave))
        return best;
    bool along_x = abs(dir.x) >= abs(dir.z);
    float2 f = along_x ? from.xz : from.zx, d = along_x ? dir.xz : dir.zx;
    // A little wider than the balls, so that rounding never drops one the ray grazes.
    const float wide = ball_radius + 0.01;
    float2 span = f.x + d.x * float2(enter, leave);
    int top = int(clamp(floor((max(span.x, span.y) + wide) / 3 + 3.5), -1, 7));
    // A ray near upright crosses its rows everywhere: then its whole stretch is tried.
    bool steep = abs(d.x) < 1e-3;
    for (int row = int(clamp(ceil((min(span.x, span.y) - wide) / 3 + 3.5), 0, 8)); row <= top; row++) {
        float across = 3 * (row - 3.5);
        float2 t = (across + float2(-wide, wide) - f.x) / (steep ? 1 : d.x);
        t = steep ? float2(enter, leave) : clamp(t, enter, leave);
        float2 reach = f.y + d.y * t;
        float lo = min(reach.x, reach.y) - wide, hi = max(reach.x, reach.y) + wide;
        int first = int(clamp(ceil(lo / 3 + 3.5), 0, 8)), last = int(clamp(floor(hi / 3 + 3.5), -1, 7));
        for (int k = first; k <= last; k++) {
            int i = along_x ? k * 8 + row : row * 8 + k;
            float3 rel = from - ball_centre(i);
            float b = dot(rel, dir);
            float h = b * b - dot(rel, rel) + ball_radius * ball_radius;
            if (h > 0) {
                float hit = -b - sqrt(h);
                if (hit > 1e-3 && hit < best) {
                    best = hit;
                    which = i;
                }
            }
        }
    }
    return best;
}

float3 balls_sky(float3 dir)
{
    return lerp(float3(0.5, 0.55, 0.7), float3(0.03, 0.1, 0.35), saturate(dir.y * 1.5 + 0.2));
}

float3 balls_floor(float3 at, float dist)
{
    float u = at.x + 1.4 * sin(0.45 * at.z + 0.8 * ball_clock);
    float v = at.z + 1.4 * sin(0.35 * at.x - 0.6 * ball_clock);
    float2 f = abs(frac(float2(u, v) / 2.5) - 0.5);
    float width = 0.04 + 0.004 * dist;
    float line_mask = saturate((width - 0.5 + max(f.x, f.y)) / width);
    // Far away the lines are thinner than a pixel; fade them to their average.
    line_mask = lerp(line_mask, 0.3, saturate(dist / 120));
    return lerp(float3(0.03, 0.04, 0.09), float3(1.0, 0.75, 0.25), line_mask);
}

void ya(out float4 colour, float2 position)
{
    ball_clock = c.x + p.y;
    float2 uv = (position - 0.5 * q) / q.y;
    float swing = 0.6 + 0.15 * ball_clock;
    // cis: 26 units out, the driver's own sine error would move the camera
    // by a visible fraction of a pixel.
    float2 around = cis(swing);
    float3 from = float3(26 * around.y, 6, 26 * around.x);
    float3 ahead = normalize(float3(0, -6.5, 0) - from);
    float3 side = normalize(cross(ahead, float3(0, 1, 0)));
    float3 up = cross(side, ahead);
    float3 dir = normalize(uv.x * side + uv.y * up + 1.6 * ahead);
    float3 sun = normalize(float3(-0.5, 0.8, 0.4));

    float3 col = 0, carry = 1;
    [loop] for (int bounce = 0; bounce < 3; bounce++) {
        int which;
        float t = balls_hit(from, dir, which);
        float to_floor = dir.y < 0 ? (floor_y - from.y) / dir.y : 1e9;
        if (which < 0 && to_floor > 1e8) {
            col += carry * balls_sky(dir);
            break;
        }
        float3 n, base;
        float gloss;
        if (which >= 0 && t < to_floor) {
            from += t * dir;
            n = (from - ball_centre(which)) / ball_radius;
            base = 0.5 + 0.5 * cos(6.2832 * (balls_hash(which + 13) + float3(0, 0.33, 0.67)));
            gloss = 0.45;
        } else {
            t = to_floor;
            from += t * dir;
            n = float3(0, 1, 0);
            base = balls_floor(from, t);
            gloss = 0.25;
        }
        int blocker;
        float lit = balls_hit(from + 1e-3 * n, sun, blocker) < 1e8 ? 0.2 : 1;
        float diffuse = saturate(dot(n, sun)) * lit;
        float shine = pow(saturate(dot(reflect(dir, n), sun)), 40) * lit;
        float3 local = base * (0.2 + 0.8 * diffuse) + shine;
        float haze = exp(-0.003 * t);
        col += carry * (1 - gloss) * lerp(balls_sky(dir), local, haze);
        carry *= gloss * haze;
        dir = reflect(dir, n);
        from += 1e-3 * n;
        if (bounce == 2)
            col += carry * balls_sky(dir);
    }
    colour = float4(pow(saturate(col), 0.7), 1);
}
