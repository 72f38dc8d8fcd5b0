// The power-8 bulb, turning slowly, seen from a camera that swings to and fro
// on an arc. The distance estimate also records an orbit trap for colour.

static float mb_t;
static float2 mb_turn; // (cos, sin) of the bulb's angle, 0.2 t
static float4 mb_trap;

float2 mb_square(float2 u)
{
    return float2(u.x * u.x - u.y * u.y, 2.0 * u.x * u.y);
}

float mb_de(float3 w)
{
    // Turning the bulb is turning the point the other way, about y.
    w = float3(mb_turn.x * w.x - mb_turn.y * w.z, w.y, mb_turn.y * w.x + mb_turn.x * w.z);

    float3 z = w;
    float dr = 1.0;
    float r = length(z);
    mb_trap = float4(abs(z), r * r);
    for (int i = 0; i < 7; i++)
    {
        if (r > 2.0)
            break;
        float r2 = r * r, r4 = r2 * r2;
        dr = 8.0 * r4 * r2 * r * dr + 1.0;
        // Raising to the 8th power doubles both spherical angles three times
        // over. The azimuth's turn (x, z) / rho is squared three times; the
        // polar pair (y, rho) is squared as a complex number, its distance from
        // the axis taken as positive each time.
        float rho2 = z.x * z.x + z.z * z.z;
        float2 around = float2(z.x * z.x - z.z * z.z, 2.0 * z.x * z.z) / max(rho2, 1e-24);
        around = mb_square(mb_square(around));
        float2 polar = mb_square(float2(z.y, sqrt(rho2)));
        polar = mb_square(float2(polar.x, abs(polar.y)));
        polar = mb_square(float2(polar.x, abs(polar.y)));
        z = float3(polar.y * around.x, polar.x, polar.y * around.y) + w;
        r = length(z);
        mb_trap = min(mb_trap, float4(abs(z), r * r));
    }
    return 0.5 * log(max(r, 1e-6)) * r / dr;
}

float3 mb_normal(float3 w, float e)
{
    float2 k = float2(1.0, -1.0) * e;
    return normalize(k.xyy * mb_de(w + k.xyy) + k.yyx * mb_de(w + k.yyx) +
                     k.yxy * mb_de(w + k.yxy) + k.xxx * mb_de(w + k.xxx) + 1e-9);
}

// Entry and exit distances of the ray through the sphere of radius 1.25 that
// holds the whole bulb; x > y when it misses.
float2 mb_bounds(float3 o, float3 d)
{
    float b = dot(o, d);
    float h = b * b - dot(o, o) + 1.5625;
    if (h < 0.0)
        return float2(1.0, 0.0);
    h = sqrt(h);
    return float2(-b - h, -b + h);
}

float mb_shadow(float3 w, float3 l)
{
    float end = mb_bounds(w, l).y;
    float res = 1.0;
    float s = 0.01;
    for (int i = 0; i < 50; i++)
    {
        float d = mb_de(w + l * s);
        res = min(res, 10.0 * d / s);
        s += clamp(d, 0.005, 0.2);
        if (res < 0.005 || s > end)
            break;
    }
    return saturate(res);
}

void ya(out float4 colour, float2 position)
{
    mb_t = c.x + p.y;
    sincos(mb_t * 0.2, mb_turn.y, mb_turn.x);
    float2 uv = (position - q * 0.5) / 1080.0;

    // The camera swings on an arc: to and fro in azimuth, a gentle rise and fall.
    float az = 0.9 * sin(mb_t * 0.31) + 0.6;
    float el = 0.35 + 0.25 * sin(mb_t * 0.19 + 0.8);
    float3 eye = 3.8 * float3(cos(el) * sin(az), sin(el), -cos(el) * cos(az));
    float3 fw = normalize(-eye);
    float3 rt = normalize(cross(float3(0.0, 1.0, 0.0), fw));
    float3 up = cross(fw, rt);
    float3 dir = normalize(fw * 1.2 + rt * uv.x + up * uv.y);

    float2 v = saturate(position / q) - 0.5; // beyond the frame the edge value holds
    float3 col = lerp(float3(0.08, 0.06, 0.1), float3(0.22, 0.2, 0.28), saturate(uv.y + 0.6));
    float2 span = mb_bounds(eye, dir);
    if (span.x < span.y)
    {
        // Over-relaxed march: stretch each step by 1.5, and fall back to a
        // plain step when the spheres of two steps no longer overlap.
        float s = max(span.x, 0.0);
        float omega = 1.5, prev = 0.0, len = 0.0;
        bool found = false;
        for (int i = 0; i < 48; i++)
        {
            float d = mb_de(eye + dir * s);
            if (omega > 1.0 && d + prev < len)
            {
                s += prev - len;
                len = prev;
                omega = 1.0;
                continue;
            }
            if (d < 0.0007 * s)
            {
                found = true;
                break;
            }
            len = d * omega;
            prev = d;
            s += len;
            if (s > span.y)
                break;
        }
        if (found)
        {
            float3 w = eye + dir * s;
            mb_de(w);
            float4 trap = mb_trap;
            float3 nrm = mb_normal(w, 0.0003 * s);
            float3 sun = normalize(float3(0.6, 0.7, -0.4));
            float sha = mb_shadow(w + nrm * 0.002, sun);
            float3 alb = lerp(float3(0.85, 0.55, 0.25), float3(0.2, 0.45, 0.75), saturate(trap.y * 1.3));
            alb = lerp(alb, float3(0.95, 0.9, 0.8), saturate(1.0 - trap.w * 1.6) * 0.6);
            float dif = saturate(dot(nrm, sun)) * sha;
            float occ = saturate(sqrt(trap.w) * 1.4 - 0.2);
            float spe = pow(saturate(dot(reflect(dir, nrm), sun)), 20.0) * dif;
            col = alb * (dif * float3(1.3, 1.2, 1.0) + occ * (0.25 + 0.15 * nrm.y) * float3(0.5, 0.6, 0.8)) + spe * 0.5;
        }
    }
    col *= saturate(1.0 - dot(v, v) * 1.2);
    colour = float4(sqrt(saturate(col)), 1.0);
}
