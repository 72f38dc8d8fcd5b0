// Flight through a lattice of 4-unit cells. Each cell holds a cluster of
// eight rounded boxes, one per octant, each turning about x; open lanes
// 1.5 units wide run between the clusters.

static float lb_t;
// Whole cells flown so far: the march runs near the origin and adds these
// back only to name cells, which keeps float precision on the faces.
static float lb_base;

// Box centres sit 0.75 from the cell centre along each axis. Half sizes and
// rounding of every box; turning about x keeps it inside lb_bound.
static const float3 lb_half = float3(0.42, 0.14, 0.3);
static const float lb_round = 0.05;
static const float3 lb_bound = float3(0.47, 0.39, 0.39);

// The cell last asked for, with its hash and the turn that hash adds: the
// hash and a cis are most of a step's cost, and a march takes step after
// step in one cell. The eye's cell is held first.
static float3 lb_cell;
static float lb_h;
// cell_hash taken apart: its first half sums the cell's coordinates times
// three factors, which a move to a neighbouring cell changes by one factor.
// Kept, that sum spares the hash its conversions and three of its four
// products; the second half mixes the sum as cell_hash does.
static const uint3 lb_factor = uint3(0x8da6b343u, 0xd8163841u, 0xcb1ab31fu);
static uint lb_sum;
static float2 lb_spin;
// cis(lb_t * (0.6 + 0.25 n)), the turn of octant n before its cell's share,
// worked out once a pixel rather than at every step.
static float2 lb_octant_turn[8];

// (cos, sin) of a whole turn times h, 0 <= h < 1, for the cells' own turns,
// cheaper than cis: the half angle, brought into [-pi/2, pi/2], feeds two
// series fitted over that range (within 6e-7 and 7e-6), nested so that each
// term costs one product and one sum, and the double-angle rule brings them
// back.
float2 lb_turn_of(float h)
{
    float x = 3.1416 * (h - round(h)); // half of the 6.2832 the turn has always used
    float x2 = x * x;
    float sx = x * (0.99999662 + x2 * (-0.16664829 + x2 * (0.0083063273 - x2 * 0.00018363698)));
    float cx = 0.99999336 + x2 * (-0.49991266 + x2 * (0.041487925 - x2 * 0.0012712507));
    return float2(1.0 - 2.0 * sx * sx, 2.0 * sx * cx);
}

float2 lb_mul(float2 a, float2 b)
{
    return float2(a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x);
}

// Holds the cell whose hash sum is this.
void lb_take(uint sum)
{
    lb_sum = sum;
    uint h = sum ^ (sum >> 15);
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    // Through int: the 16 bits convert alike, and the unsigned way is long.
    lb_h = float(int(h & 0xffffu)) / 65536.0; // 0 ... 1
    lb_spin = lb_turn_of(lb_h);
}

// Where w lies in its cell, from the cell's centre.
float3 lb_local(float3 w, out float3 cell)
{
    cell = floor(w * 0.25);
    return w - cell * 4.0 - 2.0;
}

// Which box of its cell holds w, 0..7: only a hit asks, so no step pays it.
float lb_octant(float3 w)
{
    float3 cell;
    return dot(lb_local(w, cell) >= 0.0 ? float3(1.0, 2.0, 4.0) : 0.0, 1.0);
}

// Distance to the nearest box. The cell it was asked in, and that cell's
// hash, stay in lb_cell and lb_h.
float lb_scene(float3 w)
{
    float3 cell;
    float3 l = lb_local(w, cell);
    float3 sg = l >= 0.0 ? 1.0 : -1.0;
    float3 o = l - sg * 0.75;
    if (any(cell != lb_cell))
    {
        // Every step is far shorter than a cell, so each coordinate moves by
        // one at most.
        float3 d = cell - lb_cell;
        uint3 up = d > 0.0 ? lb_factor : 0u, down = d < 0.0 ? lb_factor : 0u;
        lb_take(lb_sum + (up.x + up.y + up.z) - (down.x + down.y + down.z));
        lb_cell = cell;
    }
    float2 lo = sg.x > 0.0 ? (sg.y > 0.0 ? lb_octant_turn[3] : lb_octant_turn[1]) : (sg.y > 0.0 ? lb_octant_turn[2] : lb_octant_turn[0]);
    float2 hi = sg.x > 0.0 ? (sg.y > 0.0 ? lb_octant_turn[7] : lb_octant_turn[5]) : (sg.y > 0.0 ? lb_octant_turn[6] : lb_octant_turn[4]);
    float2 turn = lb_mul(sg.z > 0.0 ? hi : lo, lb_spin);
    float3 b = float3(o.x, turn.x * o.y + turn.y * o.z, turn.x * o.z - turn.y * o.y);
    float3 e = abs(b) - lb_half;
    float own = length(max(e, 0.0)) + min(max(e.x, max(e.y, e.z)), 0.0) - lb_round;

    // Every other box stays within its bound. The nearest bound lies one step
    // over along a single axis: across this cell's middle or across its wall.
    // Its squared distance is this box's bound's, with one axis's gap
    // exchanged for the gap over it, so one root serves all three.
    float3 al = abs(l);
    float3 same = max(abs(o) - lb_bound, 0.0);
    // Within a cell the gap over is never below 0.28.
    float3 over = min(al + (0.75 - lb_bound), (3.25 - lb_bound) - al);
    float3 gain = over * over - same * same;
    float other = sqrt(max(dot(same, same) + min(gain.x, min(gain.y, gain.z)), 0.0));
    return min(own, other);
}

// e grows with distance, in step with the size of a pixel there.
float3 lb_normal(float3 w, float e)
{
    float2 k = float2(1.0, -1.0) * e;
    return normalize(k.xyy * lb_scene(w + k.xyy) + k.yyx * lb_scene(w + k.yyx) +
                     k.yxy * lb_scene(w + k.yxy) + k.xxx * lb_scene(w + k.xxx) + 1e-9);
}

// Soft shadow; each sample also estimates where between it and the previous
// one the ray passed closest, which keeps the penumbra from banding.
float lb_shadow(float3 w, float3 l)
{
    float res = 1.0;
    float s = 0.05;
    float prev = 1e4;
    for (int i = 0; i < 64; i++)
    {
        float d = lb_scene(w + l * s);
        float y = d * d / (2.0 * prev);
        float side = sqrt(max(d * d - y * y, 0.0));
        res = min(res, 12.0 * side / max(s - y, 1e-4));
        prev = d;
        s += clamp(d, 0.02, 0.25);
        if (res < 0.004 || s > 4.0)
            break;
    }
    return saturate(res);
}

void ya(out float4 colour, float2 position)
{
    lb_t = c.x + p.y;
    float2 step = cis(lb_t * 0.25);
    lb_octant_turn[0] = cis(lb_t * 0.6);
    for (int k = 1; k < 8; k++)
        lb_octant_turn[k] = lb_mul(lb_octant_turn[k - 1], step);
    float2 uv = (position - q * 0.5) / 1080.0;

    // The camera keeps to the crossing of two open lanes, y = z = 2.
    float run = lb_t * 2.2;
    lb_base = floor(run * 0.25);
    // By cis: the driver's own sine of the growing time would move the whole
    // picture by a fraction of a pixel.
    float3 eye = float3(run - lb_base * 4.0, 2.0 + 0.25 * cis(lb_t * 0.7).y, 2.0 + 0.25 * cis(lb_t * 0.53).x);
    float2 yaw = cis(0.35 * cis(lb_t * 0.23).y), pitch = cis(0.25 * cis(lb_t * 0.31 + 1.0).y);
    float3 fw = float3(yaw.x * pitch.x, pitch.y, yaw.y * pitch.x);
    float3 rt = normalize(cross(float3(0.0, 1.0, 0.0), fw));
    float3 up = cross(fw, rt);
    float3 dir = normalize(fw * 0.9 + rt * uv.x + up * uv.y);
    lb_cell = floor(eye * 0.25);
    int3 i = int3(lb_cell + float3(lb_base, 0.0, 0.0));
    lb_take(dot(uint3(i), lb_factor));

    float3 fog = float3(0.06, 0.08, 0.13);
    float s = 0.0;
    float at = 0.0; // where the last step asked
    for (int i = 0; i < 220; i++)
    {
        at = s;
        float d = lb_scene(eye + dir * s);
        if (d < 0.0012 || s > 300.0)
            break;
        s += d;
    }
    float2 hit = float2(lb_octant(eye + dir * at), lb_h);

    float3 col = fog;
    // A ray that runs out of steps grazes boxes far off: shading it as a hit
    // keeps the long corridors from fraying into speckle.
    if (s <= 300.0)
    {
        float3 w = eye + dir * s;
        float3 nrm = lb_normal(w, 0.002 + 0.001 * s);
        float3 sun = normalize(float3(-0.5, 0.75, 0.45));
        // Octants 0 and 7 stay bare steel; the other six carry colour.
        bool lit = hit.x > 0.5 && hit.x < 6.5;
        float3 base = lit ? 0.55 + 0.45 * cos(hit.x * 0.9 + hit.y * 3.0 + float3(0.0, 2.0, 4.0)) : float3(0.22, 0.23, 0.26);
        // Faces turned from the sun need no shadow ray.
        float dif = saturate(dot(nrm, sun));
        if (dif > 0.0)
            dif *= lb_shadow(w + nrm * 0.003, sun);
        float amb = 0.25 + 0.15 * nrm.y;
        float spe = pow(saturate(dot(reflect(dir, nrm), sun)), lit ? 24.0 : 8.0) * dif;
        col = base * (dif * float3(1.1, 1.0, 0.9) + amb * float3(0.35, 0.45, 0.6)) + spe * (lit ? 0.8 : 0.3);
        if (lit)
            col += base * 0.12;
        col = lerp(fog, col, exp(-0.02 * s));
    }
    colour = float4(sqrt(saturate(col)), 1.0);
}
