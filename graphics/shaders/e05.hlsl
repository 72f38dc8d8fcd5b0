// Ring tube: the camera flies down a tube whose wall, unrolled into polar
// coordinates, is tiled with interlocking rings; a wobbling blob floats
// ahead. One mirror bounce, and everything sinks into a dark red haze.

static const float3 e05_fog = float3(0.17, 0, 0);
static const float e05_radius = 1.3;
static float e05_time;

float3 e05_blob_centre(float z)
{
    return float3(0.25 * sin(1.3 * e05_time), 0.2 * cos(0.9 * e05_time), z);
}

// The field takes an angle and four sines at every step: these cost half
// the driver's own and are within 1.2e-5 (the angle) and 4e-6 (the sine),
// far below a pixel at any depth of the tube.
float e05_angle(float y, float x)
{
    float ax = abs(x), ay = abs(y);
    float u = min(ax, ay) / max(max(ax, ay), 1e-20), u2 = u * u;
    float a = u * (0.9998660 + u2 * (-0.3302995 + u2 * (0.1801410 + u2 * (-0.0851330 + u2 * 0.0208351))));
    a = ay > ax ? 1.5707963 - a : a;
    a = x < 0 ? 3.1415927 - a : a;
    return y < 0 ? -a : a;
}

float e05_sin(float x)
{
    x -= 6.2831853 * round(x * 0.15915494);
    x = abs(x) > 1.5707963 ? (x < 0 ? -3.1415927 : 3.1415927) - x : x;
    float x2 = x * x;
    return x * (1 - x2 * 0.16666667 * (1 - x2 * 0.05 * (1 - x2 * 0.023809524 * (1 - x2 * 0.013888889))));
}

// Distance and material (0 wall, 1 ring, 2 blob).
float2 e05_map(float3 v, float blobz)
{
    float r = length(v.xy);
    float ang = e05_angle(v.y, v.x + 1e-9);
    // Warp: the wall breathes with angle and depth.
    float wall = e05_radius + 0.08 * e05_sin(3.0 * ang + 0.7 * v.z);
    float dwall = wall - r;
    // Unroll the wall: arc length across, depth along, height off the wall.
    // Across is measured at the point's own radius, so the unrolled
    // distances never exceed the true ones.
    float cells = 12.0;
    float arc = ang * cells / 6.2831853;
    float2 cell = float2(floor(arc), floor(v.z / 0.6));
    float2 f = float2(frac(arc) - 0.5, frac(v.z / 0.6) - 0.5) * float2(6.2831853 * r / cells, 0.6);
    float lift = r - (wall - 0.1);
    // Rings lie flat on the wall and stand up from it by turns: one torus, its axes chosen per cell,
    // rather than a branch whose both sides run where neighbouring pixels see both kinds.
    bool flat = uint(abs(cell.x + cell.y)) % 2u == 0;
    float ring = length(float2(length(flat ? f : float2(f.y, lift)) - 0.18, flat ? lift : f.x)) - 0.032;
    // Only this cell's ring is known: never step further past the cell's
    // border than the neighbours' rings keep clear of it. They are of the
    // other kind: 0.088 clear of the sides along the tube, and across it at
    // least 0.04 beside a standing ring and 0.2 beside a flat one. Away from
    // the wall the ring layer itself bounds the step.
    float border = min(3.14159265 * r / cells - abs(f.x) + (flat ? 0.2 : 0.04), 0.3 - abs(f.y) + 0.08);
    ring = max(min(ring, border), wall - 0.33 - r);
    float2 res = float2(dwall, 0);
    if (ring < res.x)
        res = float2(ring, 1);
    float3 b = v - e05_blob_centre(blobz);
    float lb = length(b);
    float blob = lb - 0.55; // bound while far, skipping the wobble's sines
    if (lb < 0.8)
    {
        float wob = 0.1 * e05_sin(5.0 * b.x + 2.1 * e05_time) * e05_sin(4.0 * b.y - 1.7 * e05_time) * e05_sin(4.5 * b.z + 1.3 * e05_time);
        blob = (lb - 0.42 + wob) * 0.7;
    }
    if (blob < res.x)
        res = float2(blob, 2);
    return res;
}

float3 e05_normal(float3 v, float blobz)
{
    float2 k = float2(1, -1) * 0.002;
    return normalize(k.xyy * e05_map(v + k.xyy, blobz).x + k.yyx * e05_map(v + k.yyx, blobz).x +
                     k.yxy * e05_map(v + k.yxy, blobz).x + k.xxx * e05_map(v + k.xxx, blobz).x + 1e-7);
}

// Where the ray from ro along rd is inside the sphere of radius r about centre (empty when x > y).
float2 e05_sphere_span(float3 ro, float3 rd, float3 centre, float r)
{
    float3 o = ro - centre;
    float b = dot(o, rd), disc = b * b - dot(o, o) + r * r;
    return disc < 0 ? float2(1e9, -1e9) : -b + float2(-1, 1) * sqrt(disc);
}

// Marches at most 64 steps out to 10 units; returns distance, material.
float2 e05_march(float3 ro, float3 rd, float blobz)
{
    // Within 0.89 of the axis nothing stands but the blob, inside 0.55 of its centre: the wall breathes
    // no closer than 1.22 and the rings stay within 0.33 of it. The march crosses that core in one step,
    // to where it leaves or meets the blob's sphere, where otherwise its steps would shrink as it nears
    // the rings at a slant.
    float a = max(dot(rd.xy, rd.xy), 1e-9), b = dot(ro.xy, rd.xy), disc = b * b - a * (dot(ro.xy, ro.xy) - 0.89 * 0.89);
    float2 core = disc < 0 ? float2(1e9, -1e9) : (-b + float2(-1, 1) * sqrt(max(disc, 0))) / a;
    float2 blob = e05_sphere_span(ro, rd, e05_blob_centre(blobz), 0.55);
    float d = 0.0;
    for (int i = 0; i < 64; i++)
    {
        float2 h = e05_map(ro + rd * d, blobz);
        if (h.x < 0.001 * d + 0.0005)
            return float2(d, h.y);
        float clear = d < core.x || d > core.y ? d : d < blob.x ? min(core.y, blob.x) : d > blob.y ? core.y : d;
        d = max(d + h.x, clear);
        if (d > 10.0)
            break;
    }
    return float2(10.0, -1.0);
}

float3 e05_shade(float3 pos, float3 rd, float3 nrm, float mat, float3 lpos)
{
    float3 base = mat < 0.5 ? float3(0.35, 0.12, 0.1) : (mat < 1.5 ? float3(0.95, 0.65, 0.3) : float3(0.5, 0.7, 0.9));
    float3 tol = lpos - pos;
    float ld = length(tol);
    float3 l = tol / max(ld, 1e-4);
    float diff = max(dot(nrm, l), 0.0);
    float shine = pow(max(dot(reflect(rd, nrm), l), 0.0), 24.0);
    float fall = 1.0 / (1.0 + 0.25 * ld * ld);
    return base * (0.12 + diff * fall * 1.6) + shine * fall;
}

void ya(out float4 colour, float2 position)
{
    e05_time = c.x + p.y;
    float2 uv = (2.0 * position - q) / 1080.0;
    float camz = 1.4 * e05_time;
    float blobz = camz + 2.6;
    float3 ro = float3(0.35 * sin(0.5 * e05_time), 0.3 * sin(0.37 * e05_time), camz);
    float3 ta = e05_blob_centre(blobz);
    float3 fw = normalize(ta - ro);
    float3 rt = normalize(cross(float3(0, 1, 0), fw));
    float3 up = cross(fw, rt);
    float3 rd = normalize(fw * 1.5 + rt * uv.x + up * uv.y);
    float3 lpos = float3(0, 0, camz + 0.6);

    float2 h = e05_march(ro, rd, blobz);
    float3 col = e05_fog;
    if (h.y >= 0.0)
    {
        float3 pos = ro + rd * h.x;
        float3 nrm = e05_normal(pos, blobz);
        col = e05_shade(pos, rd, nrm, h.y, lpos);
        float3 rr = reflect(rd, nrm);
        float2 h2 = e05_march(pos + nrm * 0.01, rr, blobz);
        float3 rcol = e05_fog;
        if (h2.y >= 0.0)
        {
            float3 p2 = pos + nrm * 0.01 + rr * h2.x;
            rcol = e05_shade(p2, rr, e05_normal(p2, blobz), h2.y, lpos);
        }
        float fres = h.y > 1.5 ? 0.7 : (h.y > 0.5 ? 0.45 : 0.2);
        fres = lerp(fres, 1.0, pow(1.0 - max(dot(-rd, nrm), 0.0), 5.0));
        // Haze the bounce over its whole path, the direct view over its own.
        rcol = lerp(sqrt(max(rcol, 0.0)), e05_fog, 1.0 - exp(-0.3 * (h.x + h2.x)));
        col = lerp(sqrt(max(col, 0.0)), e05_fog, 1.0 - exp(-0.3 * h.x));
        col = lerp(col, rcol, fres * 0.8);
    }
    colour = float4(col, 1);
}
