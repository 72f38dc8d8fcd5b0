// A flapping creature gliding over five layers of candy-coloured blobs, a meadow far below.
static float w19Time;
static float3 w19Body;
static float2 w19Wing;
static const float w19Cell = 3.0;   // blob cell size within a layer
static const float w19Layer = 1.6;  // layer spacing in height
static const float w19Yaw = 0.35;    // the creature's heading, turned from the camera

float w19Smin(float a, float b, float k)
{
    float h = saturate(0.5 + 0.5 * (b - a) / k);
    return lerp(b, a, h) - k * h * (1 - h);
}

float3 w19Local(float3 pos)
{
    float3 lp = pos - w19Body;
    return float3(cos(w19Yaw) * lp.x - sin(w19Yaw) * lp.z, lp.y, sin(w19Yaw) * lp.x + cos(w19Yaw) * lp.z);
}

float w19Creature(float3 pos)
{
    float3 lp = w19Local(pos);
    float3 e = lp / float3(0.42, 0.36, 0.85);
    float k = length(e);
    float d = k * (k - 1) / max(length(e / float3(0.42, 0.36, 0.85)), 1e-4);
    d = w19Smin(d, length(lp - float3(0, 0.3, 0.78)) - 0.3, 0.12);
    d = w19Smin(d, length(lp - float3(0, 0.05, -0.95)) - 0.16, 0.2);
    // each wing a chain of shrinking spheres swinging about the shoulder
    float3 wp = float3(abs(lp.x), lp.y, lp.z);
    for (int i = 0; i < 6; i++)
    {
        float reach = 0.35 + 0.25 * i;
        float3 centre = float3(w19Wing.x * reach, 0.15 + w19Wing.y * reach, 0.1 - 0.015 * i * i);
        d = w19Smin(d, length(wp - centre) - (0.26 - 0.025 * i), 0.12);
    }
    return d;
}

// Blob of one layer of a cell whose noise is n: centre in xyz, radius in w (not positive means none).
// A blob reaches at most 0.85 across and 0.75 up or down from its cell's centre.
float4 w19Blob(float2 cell, float layer, float4 n)
{
    float4 h = frac(n * (3.17 + layer * 1.71) + n.wxyz * (layer * 2.3)) - 0.5;
    float r = h.w > 0.1 ? 0.3 + 0.7 * h.w : -1;
    return float4((cell.x + 0.5) * w19Cell + 0.4 * h.x, 0.8 + layer * w19Layer + 0.2 * h.y, (cell.y + 0.5) * w19Cell + 0.4 * h.z, r);
}

float w19Layer1(float3 bp, float2 cell, float layer, float4 n)
{
    float4 blob = w19Blob(cell, layer, n);
    return blob.w > 0 ? length(bp - blob.xyz) - blob.w : 9;
}

// x: distance, y: material (0 ground, 1 creature, 2 + layer blobs)
float2 w19Map(float3 pos)
{
    float2 res = float2(pos.y, 0);
    float cr = length(pos - w19Body) - 2.4;
    if (cr < 0.3) cr = w19Creature(pos);
    if (cr < res.x) res = float2(cr, 1);
    // nothing to sample above the top layer's reach
    float top = pos.y - (0.8 + 4 * w19Layer + 0.75);
    if (top > 0.3)
    {
        if (top < res.x) res = float2(top, 6);
        return res;
    }
    // the layers drift toward the camera; the layers just below and above count in full
    float3 bp = pos - float3(0, 0, w19Time * 1.5);
    float2 cell = floor(bp.xz / w19Cell);
    float lo = clamp(floor((pos.y - 0.8) / w19Layer), 0, 3);
    // one noise texel per cell seeds the blobs of all its layers
    float4 n = zs(float3((cell + 0.5) / 64, 0)) + 0.5;
    float a = w19Layer1(bp, cell, lo, n), b = w19Layer1(bp, cell, lo + 1, n);
    float d = min(a, b);
    // other cells' blobs stay beyond our cell's walls, other layers' beyond their reach
    float2 inCell = bp.xz - cell * w19Cell;
    float bound = min(min(inCell.x, w19Cell - inCell.x), min(inCell.y, w19Cell - inCell.y)) + 0.65;
    if (lo > 0) bound = min(bound, pos.y - (0.8 + (lo - 1) * w19Layer) - 0.75);
    if (lo < 3) bound = min(bound, (0.8 + (lo + 2) * w19Layer) - 0.75 - pos.y);
    d = min(d, max(bound, top));
    if (d < res.x) res = float2(d, 2 + (a < b ? lo : lo + 1));
    return res;
}

// The nearest blob the ray from ro along rd meets before travel, and its material. The ray walks the
// cells it crosses within the blobs' heights, 0.05 to 7.95, and meets each blob, wholly inside its cell,
// by its own formula, its radius grown by 0.001 of the distance, as a march stops that far short of it.
void w19MeetBlob(float3 ro, float3 rd, inout float travel, inout float material)
{
    float3 bo = ro - float3(0, 0, w19Time * 1.5); // in the drifting layers' frame
    float2 span = (float2(0.05, 7.95) - bo.y) / (abs(rd.y) < 1e-6 ? 1e-6 : rd.y);
    float along = max(min(span.x, span.y), 0), last = min(max(span.x, span.y), travel);
    float2 inv = 1 / float2(abs(rd.x) < 1e-6 ? 1e-6 : rd.x, abs(rd.z) < 1e-6 ? 1e-6 : rd.z);
    float2 cell = floor((bo.xz + along * rd.xz) / w19Cell);
    float2 go = sign(inv);
    // the distances at which the ray leaves this cell through its sides in x and in z
    float2 leave = (w19Cell * (cell + max(go, 0)) - bo.xz) * inv, across = abs(w19Cell * inv);
    bool met = false;
    [loop] for (int i = 0; i < 120 && along < last && !met; i++)
    {
        float4 n = zs(float3((cell + 0.5) / 64, 0)) + 0.5;
        for (int layer = 0; layer < 5; layer++)
        {
            float4 blob = w19Blob(cell, layer, n);
            float3 v = blob.xyz - bo;
            float mid = dot(v, rd), r = blob.w + 0.001 * mid, h = r * r - (dot(v, v) - mid * mid);
            // a camera low among the blobs may have one about it (met at once) or behind it (not met)
            float enter = max(mid - sqrt(max(h, 0)), 0.1);
            if (blob.w > 0 && h > 0 && mid + sqrt(max(h, 0)) > 0.1 && enter < travel)
            {
                travel = enter;
                material = 2 + layer;
                met = true;
            }
        }
        bool inX = leave.x < leave.y;
        along = min(leave.x, leave.y);
        cell += inX ? float2(go.x, 0) : float2(0, go.y);
        leave += inX ? float2(across.x, 0) : float2(0, across.y);
    }
}

// Ground and blobs have their normals in closed form; only the creature needs differences.
float3 w19Normal(float3 pos, float material)
{
    if (material < 0.5) return float3(0, 1, 0);
    if (material > 1.5)
    {
        float3 bp = pos - float3(0, 0, w19Time * 1.5);
        float2 cell = floor(bp.xz / w19Cell);
        float3 v = bp - w19Blob(cell, material - 2, zs(float3((cell + 0.5) / 64, 0)) + 0.5).xyz;
        return v / max(length(v), 1e-6);
    }
    float2 e = float2(0.002, -0.002);
    float3 n = e.xyy * w19Creature(pos + e.xyy) + e.yyx * w19Creature(pos + e.yyx)
             + e.yxy * w19Creature(pos + e.yxy) + e.xxx * w19Creature(pos + e.xxx);
    return n / max(length(n), 1e-6);
}

void ya(out float4 colour, float2 position)
{
    w19Time = c.x + p.y;
    position.y -= q.y * floor((position.y - 0.5) / q.y);
    float2 uv = (position - q * 0.5) / q.y;
    // the creature keeps pace with the camera, half-following its climbs
    w19Body = float3(I.x + 0.5 * sin(w19Time * 0.7), 10 + 0.5 * (I.y - 11) + 0.25 * sin(w19Time * 5.5 + 1.2), I.z - 9 + 0.5 * sin(w19Time * 0.4));

    float flap = 0.8 * sin(w19Time * 5.5);
    w19Wing = float2(cos(flap), sin(flap));
    float pitch = I.w;
    float3 fw = float3(0, -sin(pitch), -cos(pitch));
    float3 rt = float3(1, 0, 0);
    float3 up = cross(rt, fw);
    float3 ro = I.xyz;
    float3 rd = normalize(fw * 1.5 + rt * uv.x + up * uv.y);

    float3 sky = lerp(float3(0.95, 0.8, 0.7), float3(0.25, 0.45, 0.85), saturate(rd.y * 3 + 0.2));
    // Past 70 there is only sky; the ground is met exactly, and the creature, within 2.4 of its middle,
    // is marched only inside that sphere.
    float t = rd.y < 0 ? min(-ro.y / rd.y, 70) : 70;
    float material = 0;
    float3 off = ro - w19Body;
    float b = dot(off, rd), disc = b * b - dot(off, off) + 2.4 * 2.4;
    if (disc > 0)
    {
        float along = max(-b - sqrt(disc), 0.1), leave = min(-b + sqrt(disc), t);
        for (int i = 0; i < 120 && along < leave; i++)
        {
            float d = w19Creature(ro + rd * along);
            if (d < 0.001 * along)
            {
                t = along;
                material = 1;
                break;
            }
            along += d;
        }
    }
    w19MeetBlob(ro, rd, t, material);
    float3 col = sky;
    if (t < 70)
    {
        float3 pos = ro + rd * t;
        float3 n = w19Normal(pos, material);
        float3 sun = normalize(float3(0.4, 0.8, 0.3));
        float dif = saturate(dot(n, sun));
        float3 alb;
        if (material < 0.5)
            alb = lerp(float3(0.25, 0.5, 0.2), float3(0.4, 0.6, 0.25), 0.5 + 0.5 * sin(pos.x * 0.4) * sin((pos.z - w19Time * 1.5) * 0.4));
        else if (material < 1.5)
        {
            float3 lp = w19Local(pos);
            alb = lp.y < -0.12 && abs(lp.x) < 0.4 ? float3(0.98, 0.85, 0.55) : float3(0.85, 0.25, 0.1);
            if (abs(lp.x) > 0.6) alb = lerp(alb, float3(0.95, 0.6, 0.1), saturate(abs(lp.x) - 0.6));
            float3 eye = float3(abs(lp.x), lp.y, lp.z) - float3(0.12, 0.4, 1.03);
            if (length(eye) < 0.07) alb = 0.02;
        }
        else alb = 0.6 + 0.35 * cos(material * 1.7 + float3(0, 1.5, 3.5));
        float occ = saturate(w19Map(pos + n * 0.3).x / 0.3);
        float rim = pow(saturate(1 + dot(n, rd)), 2);
        col = alb * (dif * float3(1.1, 1.0, 0.85) + (0.3 + 0.2 * n.y) * float3(0.45, 0.55, 0.8) * occ) + rim * 0.2 * sky;
        col = lerp(col, sky, 1 - exp(-0.0004 * t * t));
    }
    colour = float4(sqrt(saturate(col)), 1);
}
