// A volumetric flight down a winding tunnel whose walls are a five-octave sum
// of rotated sines, marched front to back until the view is opaque.

// Sine and cosine of each component of 2 x, given x, together. The driver's
// sin and cos each reduce the angle and run a long series on their own; here
// the half angle, brought into [-pi/2, pi/2], feeds two short fitted series
// (within 8e-5) that share it, and the double-angle rule brings them back.
// Callers fold the halving into their own factors.
void tn_sincos_twice(float3 x, out float3 s, out float3 k)
{
    float3 h = x - 3.14159265 * round(x * 0.318309886);
    float3 h2 = h * h;
    float3 sh2 = h * (1.99946997 + h2 * (-0.331452349 + h2 * 0.0150606627)); // twice sin(h)
    float3 ch = 0.999996748 + h2 * (-0.499926886 + h2 * (0.0415007403 - h2 * 0.00127439641));
    s = sh2 * ch;
    k = 1.0 - 0.5 * sh2 * sh2;
}

// The path's centre from its three half angles, each z times its rate.
static const float3 tn_path_rate = float3(0.065, 0.0255, 0.0485);
float2 tn_path_at(float3 x)
{
    float3 s, k;
    tn_sincos_twice(x, s, k);
    return float2(2.4 * s.x + 1.3 * s.y, 1.6 * k.z);
}

float2 tn_path(float z)
{
    return tn_path_at(z * tn_path_rate);
}

// Fixed rotation between octants so their sine ridges never line up, with
// the octaves' step in frequency, 2.03, taken into it.
static const float3x3 tn_turn = 2.03 * float3x3(0.00, 0.80, 0.60, -0.80, 0.36, -0.48, -0.60, -0.48, 0.64);

// Along a ray every octave's argument is linear in the distance s: octave k
// samples twice tn_from[k] + tn_along[k] * s, set once a pixel, where
// stepping the turn at every sample would cost nine products an octave. So
// do the point's distance from the path's axis and the path's three angles.
static float3 tn_from[5];
static float3 tn_along[5];
static float3 tn_eye;
static float3 tn_dir;
static float3 tn_path_from;
static float3 tn_path_along;

// The wall's density at distance s along the ray, and the sine sum it is
// made of in `detail`. It is 0, and so is `detail`, as soon as the octaves
// still to come cannot lift it over the 0.001 the march counts: in the open
// middle of the tunnel one octave says so. `clear` is then how far along the
// ray it stays 0: the bound we tested rises no faster than
// 1.08 (the slope of r, the path bending at most 0.41 per unit) plus 1.3
// times the octaves' slopes. An octave's gradient has squared length
// sum (cos x cos y - sin x sin z)^2 over the three turns of (x, y, z), each
// at most cos^2 y + sin^2 z, so at most 3: sqrt(3) times amplitude times
// frequency.
float tn_density(float s, out float detail, out float clear)
{
    float r = length(tn_eye.xy + tn_dir.xy * s - tn_path_at(tn_path_from + tn_path_along * s));
    float n = 0.0, a = 0.5, slope = 1.081, f = 0.9;
    detail = 0.0;
    [unroll] for (int i = 0; i < 5; i++)
    {
        float3 sn, k;
        tn_sincos_twice(tn_from[i] + tn_along[i] * s, sn, k);
        n += a * dot(sn, k.yzx);
        slope += 1.3 * 1.7321 * a * f;
        f *= 2.03;
        a *= 0.5;
        // One octave's sum reaches +-1.5 a, but the octaves left, at
        // unrelated frequencies, do not peak together: their sum stays within
        // the amplitudes left, a down to 1/32, which add up to 2 a - 1/32.
        // The rare sample it misses is thin fog at the wall's very edge.
        float bound = r - 1.7 + (n + 2.0 * a - 0.03125) * 1.3;
        if (bound * 1.6 <= 0.001)
        {
            clear = (0.000625 - bound) / slope;
            return 0.0;
        }
    }
    detail = n;
    clear = 0.0;
    return saturate((r - 1.7 + n * 1.3) * 1.6);
}

void ya(out float4 colour, float2 position)
{
    float t = c.x + p.y;
    float2 uv = (position - q * 0.5) / 1080.0;

    float z = t * 2.0;
    float3 eye = float3(tn_path(z), z);
    float3 fw = normalize(float3(tn_path(z + 2.5), z + 2.5) - eye);
    float3 rt = normalize(cross(float3(0.0, 1.0, 0.0), fw));
    float3 up = cross(fw, rt);
    float3 dir = normalize(fw * 0.8 + rt * uv.x + up * uv.y);
    tn_eye = eye;
    tn_dir = dir;
    tn_path_from = eye.z * tn_path_rate;
    tn_path_along = dir.z * tn_path_rate;
    tn_from[0] = eye * 0.45;
    tn_along[0] = dir * 0.45;
    [unroll] for (int k = 1; k < 5; k++)
    {
        tn_from[k] = mul(tn_turn, tn_from[k - 1]);
        tn_along[k] = mul(tn_turn, tn_along[k - 1]);
    }

    float3 sum = 0;
    float alpha = 0.0;
    float s = 0.05;
    float open_to = 0.0; // the march samples no density short of this
    for (int i = 0; i < 130; i++)
    {
        float ds = 0.05 + s * 0.02;
        if (s < open_to)
        {
            s += ds;
            continue;
        }
        float detail, clear;
        float d = tn_density(s, detail, clear);
        open_to = s + clear;
        if (d > 0.001)
        {
            float a = 1.0 - exp(-d * ds * 9.0);
            // Dull rust where the wall is thick; where the sine sum crosses zero
            // its ridges glow cyan. Depth dims both so the bend of the tunnel reads.
            float vein = exp(-abs(detail) * 9.0);
            float3 tone = lerp(float3(0.55, 0.22, 0.1) * (0.4 + d), float3(0.3, 0.9, 1.2), vein);
            tone *= 1.6 * exp(-s * 0.15) + 0.03;
            sum += (1.0 - alpha) * a * tone;
            alpha += (1.0 - alpha) * a;
            if (alpha > 0.99)
                break;
        }
        s += ds;
    }
    float3 col = sum + (1.0 - alpha) * float3(0.02, 0.01, 0.04);

    // Lift the shadows toward violet and roll the highlights off.
    col = 1.0 - exp(-col * 1.8);
    col = pow(col, float3(1.05, 0.95, 0.9)) + float3(0.02, 0.0, 0.04) * (1.0 - col);
    float2 v = saturate(position / q) - 0.5; // beyond the frame the edge value holds
    col *= saturate(1.0 - dot(v, v) * 1.3);
    colour = float4(col, 1.0);
}
