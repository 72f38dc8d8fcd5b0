// A cartoon creature hopping along, squashing on landing and stretching in
// flight, over ground with a ball bouncing in every 3-unit cell. Each pixel
// takes 2 x 2 samples spread over a 1/24-second shutter.

static float hop_time;
static float3 hop_base;   // creature's feet
static float hop_stretch; // vertical scale; the other two axes keep the volume

uint hop_hash(uint n)
{
    n = (n ^ 0xa3u) * 0x9e3779b1u;
    n ^= n >> 16;
    n *= 0x7feb352du;
    return n ^ (n >> 15);
}

float hop_unit(int2 cell)
{
    return float(hop_hash(uint(cell.x) * 73u + hop_hash(uint(cell.y))) & 0xffffu) / 65535.0;
}

float hop_ellipsoid(float3 p, float3 r)
{
    return (length(p / r) - 1) * min(r.x, min(r.y, r.z));
}

float hop_blend(float a, float b, float k)
{
    float h = saturate(0.5 + 0.5 * (b - a) / k);
    return lerp(b, a, h) - k * h * (1 - h);
}

void hop_pose(float t)
{
    hop_time = t;
    float u = frac(t / 0.95);
    float height = 0, s;
    if (u < 0.7) {
        float a = u / 0.7;
        height = 1.5 * 4 * a * (1 - a);
        s = 1.2 - 0.8 * a * (1 - a);
    } else {
        s = 1.2 - 0.5 * sin(3.1416 * (u - 0.7) / 0.3);
    }
    hop_stretch = s;
    hop_base = float3(1.2 * t, height, 0);
}

// Creature in its own frame, facing +x, feet at y = 0. Returns the distance;
// part says which material: 0 fur, 1 eye, 2 pupil.
float hop_creature(float3 p, out int part)
{
    p -= hop_base;
    part = 0;
    float3 scale = float3(rsqrt(hop_stretch), hop_stretch, rsqrt(hop_stretch));
    p /= scale;
    float shrink = min(scale.x, scale.y);
    float3 m = float3(p.x, p.y, abs(p.z));
    float d = hop_ellipsoid(p - float3(0, 0.9, 0), float3(0.8, 0.9, 0.75));
    float3 ear = m - float3(-0.15, 1.7, 0.32);
    ear.xy = float2(ear.x * 0.9 + ear.y * 0.44, ear.y * 0.9 - ear.x * 0.44);
    d = hop_blend(d, hop_ellipsoid(ear - float3(0, 0.35, 0), float3(0.14, 0.5, 0.12)), 0.12);
    d = hop_blend(d, hop_ellipsoid(m - float3(0.2, 0.1, 0.42), float3(0.4, 0.13, 0.22)), 0.1);
    d = hop_blend(d, length(p - float3(-0.82, 0.55, 0)) - 0.22, 0.1);
    float eye = length(m - float3(0.6, 1.2, 0.28)) - 0.2;
    float pupil = length(m - float3(0.77, 1.22, 0.3)) - 0.09;
    if (eye < d) {
        d = eye;
        part = 1;
    }
    if (pupil < d) {
        d = pupil;
        part = 2;
    }
    return d * shrink;
}

float3 hop_ball(int2 cell)
{
    float phase = hop_unit(cell);
    float lift = 1.6 * abs(sin((2.2 + phase) * hop_time + 6.2832 * phase));
    return float3(3 * cell.x + 1.5, 0.4 + lift, 3 * cell.y + 1.5);
}

// The two rows of cells along the creature's path stay empty.
bool hop_lane(int2 cell)
{
    return cell.y == 0 || cell.y == -1;
}

// The creature's field, for its normal.
float hop_field(float3 p)
{
    int part;
    return hop_creature(p, part);
}

float3 hop_normal(float3 p)
{
    const float2 k = float2(1, -1) * 0.002;
    return normalize(k.xyy * hop_field(p + k.xyy) + k.yyx * hop_field(p + k.yyx) +
                     k.yxy * hop_field(p + k.yxy) + k.xxx * hop_field(p + k.xxx) + 1e-9);
}

// Where the ray from eye along dir first meets a ball before travel: the cells it crosses in the balls'
// layer are walked in order, and each cell's ball, wholly inside its cell, is met by its own formula. Its
// radius grows by 0.001 of the distance, as a march stops that far short of a surface.
bool hop_meet_ball(float3 eye, float3 dir, inout float travel)
{
    if (dir.y >= 0)
        return false;
    float along = max((eye.y - 2.4) / -dir.y, 0);
    float2 at = eye.xz + along * dir.xz;
    int2 cell = int2(floor(at / 3));
    float2 inv = 1 / float2(abs(dir.x) < 1e-6 ? 1e-6 : dir.x, abs(dir.z) < 1e-6 ? 1e-6 : dir.z);
    int2 go = int2(sign(inv));
    // the distance at which the ray leaves this cell through its sides in x and in z
    float2 leave = (3 * (float2(cell) + max(float2(go), 0)) - eye.xz) * inv, across = abs(3 * inv);
    bool met = false;
    [loop] for (int i = 0; i < 72 && along < travel && !met; i++) {
        if (!hop_lane(cell)) {
            float3 v = hop_ball(cell) - eye;
            float mid = dot(v, dir), r = 0.4 + 0.001 * mid, h = r * r - (dot(v, v) - mid * mid);
            float enter = mid - sqrt(max(h, 0));
            met = h > 0 && enter < travel;
            travel = met ? enter : travel;
        }
        bool inX = leave.x < leave.y;
        along = min(leave.x, leave.y);
        cell += inX ? int2(go.x, 0) : int2(0, go.y);
        leave += inX ? float2(across.x, 0) : float2(0, across.y);
    }
    return met;
}

float3 hop_sky(float3 dir)
{
    return lerp(float3(0.95, 0.85, 0.7), float3(0.35, 0.6, 0.95), saturate(dir.y * 2));
}

float3 hop_sample(float2 uv, float t)
{
    hop_pose(t);
    float3 look = float3(1.2 * t + 0.5, 1.1, 0);
    float3 eye = look + float3(2.5, 4, 8.5);
    float3 ahead = normalize(look - eye);
    float3 side = normalize(cross(ahead, float3(0, 1, 0)));
    float3 dir = normalize(uv.x * side + uv.y * cross(side, ahead) + 1.5 * ahead);

    float ground = dir.y < 0 ? -eye.y / dir.y : 1e9;
    // Past 38 units the haze leaves under 3 % of what a ray meets: the ground or sky behind will do.
    float travel = min(ground, 38);
    int material = -1;
    // The creature lies within 2.3 of its middle, even fully stretched: march only the part of the ray inside that sphere.
    float3 off = eye - hop_base - float3(0, 1.1, 0);
    float b = dot(off, dir), disc = b * b - dot(off, off) + 2.3 * 2.3;
    if (disc > 0) {
        float along = max(-b - sqrt(disc), 0), leave = min(-b + sqrt(disc), travel);
        bool settled = false;
        [loop] for (int i = 0; i < 72 && along < leave && !settled; i++) {
            int part;
            float d = hop_creature(eye + along * dir, part);
            settled = d < 0.001 * along;
            if (settled) {
                travel = along;
                material = part;
            }
            along += d;
        }
    }
    if (hop_meet_ball(eye, dir, travel))
        material = 3;
    if (material < 0) {
        if (ground > 45)
            return hop_sky(dir);
        travel = ground;
        material = 4;
    }

    float3 at = eye + travel * dir;
    // Ground and balls have exact normals; only the creature needs the field's.
    int2 at_cell = int2(floor(at.xz / 3));
    float3 n = material == 4 ? float3(0, 1, 0)
               : material == 3 ? normalize(at - hop_ball(at_cell) + 1e-9)
                               : hop_normal(at);
    float3 sun = normalize(float3(0.4, 0.8, 0.5));
    float3 base = float3(0.95, 0.55, 0.2);
    if (material == 1)
        base = 0.95;
    else if (material == 2)
        base = 0.02;
    else if (material == 3)
        base = 0.55 + 0.45 * cos(6.2832 * (hop_unit(at_cell) + float3(0, 0.33, 0.67)));
    float shade = 1;
    if (material == 4) {
        int2 cell = at_cell;
        float2 checks = floor(at.xz / 1.5);
        base = uint(abs(checks.x + checks.y)) % 2u == 0 ? float3(0.35, 0.7, 0.25) : float3(0.3, 0.6, 0.22);
        // Blob shadows under the creature and under this cell's ball.
        float3 ball = hop_ball(cell);
        if (!hop_lane(cell))
            shade *= lerp(1, smoothstep(0.1, 0.5 + 0.15 * ball.y, length(at.xz - ball.xz)), 0.6);
        float lift = hop_base.y;
        shade *= lerp(1, smoothstep(0.3, 0.9 + 0.3 * lift, length((at.xz - hop_base.xz) * float2(0.9, 1.1))), 0.65);
    }
    float diffuse = saturate(dot(n, sun)) * shade;
    float sky = 0.5 + 0.5 * n.y;
    float shine = material == 4 ? 0 : pow(saturate(dot(reflect(dir, n), sun)), 30);
    float3 col = base * (0.85 * diffuse + 0.3 * sky * float3(0.7, 0.85, 1.0)) + 0.5 * shine * shade;
    // The haze also hides the far ground, where the march runs out of steps.
    return lerp(hop_sky(dir), col, exp(-0.0025 * travel * travel));
}

void ya(out float4 colour, float2 position)
{
    float clock = c.x + p.y;
    float3 sum = 0;
    for (int k = 0; k < 4; k++) {
        float2 sub = float2(k & 1, k >> 1) * 0.5 - 0.25;
        float2 uv = (position + sub - 0.5 * q) / q.y;
        sum += hop_sample(uv, clock + (k + 0.5) / 4 / 24);
    }
    float2 centred = (position - 0.5 * q) / q;
    float vignette = 1 - 0.7 * dot(centred, centred);
    colour = float4(sum / 4 * vignette, 1);
}
