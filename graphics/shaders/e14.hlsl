// A canyon between two walls of box-folded, sphere-folded blocks, under the glow of a folded space.
static float f14Time;
static float3 f14Trap; // smallest orbit radius, the fold it came at, the block's number

static const float3 f14Palette[7] = {
    float3(0.82, 0.58, 0.30), float3(0.22, 0.55, 0.62), float3(0.72, 0.28, 0.18), float3(0.86, 0.83, 0.72),
    float3(0.32, 0.36, 0.66), float3(0.48, 0.55, 0.24), float3(0.66, 0.16, 0.34)
};
static const float f14Scale = 0.6;   // world units per fractal unit
static const float f14Period = 4.2;  // block pitch along and up the walls

// The column of blocks that pos is in, along the walls.
float f14Slot(float3 pos)
{
    return round(pos.z / f14Period);
}

// Each column of blocks breathes at its own phase: (cos, sin).
float2 f14Phase(float slot)
{
    return cis(f14Time * 0.5 + slot);
}

// Folded blocks tiling the walls either side of x = 5, three blocks high;
// wobble is the sine of the phase of pos's column.
float f14Map(float3 pos, float wobble)
{
    float3 w = float3(abs(pos.x - 5) - 3.6, pos.y - 1, pos.z);
    float row = clamp(round(w.y / f14Period), -1, 1);
    float slot = f14Slot(pos);
    w.y -= row * f14Period;
    w.z -= slot * f14Period;
    float3 z = w / f14Scale;
    float dr = 1;
    float trap = 9, at = 0;
    float3 offset = float3(1.2, 1.6 + 0.1 * wobble, 0.8);
    for (int i = 0; i < 4; i++)
    {
        z = clamp(z, -1, 1) * 2 - z;
        float r2 = dot(z, z);
        if (r2 < trap) { trap = r2; at = i; }
        float k = clamp(1 / r2, 1, 4); // 4 within r2 0.25, 1 beyond 1
        z = z * k * -2 + offset;
        dr = dr * k * 2 + 1;
    }
    f14Trap = float3(trap, at, row * 3 + slot + (pos.x > 5 ? 704 : 700));
    float3 b = abs(z) - 3;
    // each block cut to its own tile, with a seam between tiles
    float3 tile = abs(w) - float3(1.5, f14Period * 0.5 - 0.06, f14Period * 0.5 - 0.06);
    return max(max(b.x, max(b.y, b.z)) / dr * f14Scale, max(tile.x, max(tile.y, tile.z)));
}

// Where the ray is inside the slab of one wall, x in xs, with y over the
// three rows of blocks (-5.24 ... 7.24) and a little to spare: (enter, leave).
float2 f14Slab(float3 ro, float3 inv, float2 xs)
{
    float2 tx = (xs - ro.x) * inv.x, ty = (float2(-5.34, 7.34) - ro.y) * inv.y;
    return float2(max(min(tx.x, tx.y), min(ty.x, ty.y)), min(max(tx.x, tx.y), max(ty.x, ty.y)));
}

// The first distance at which the ray can meet a block: every block lies in
// its tile, 2.1 to 5.1 off x = 5. Beyond 40 where it meets none. (Marching
// from there instead of from the eye lands on the blocks elsewhere and
// changes the picture, so it only tells which rays to skip.)
float f14Enter(float3 ro, float3 rd)
{
    float3 inv = 1 / rd;
    float2 a = f14Slab(ro, inv, float2(-0.2, 3.0)), b = f14Slab(ro, inv, float2(7.0, 10.2));
    float ta = a.x <= a.y && a.y > 0 ? a.x : 1e9, tb = b.x <= b.y && b.y > 0 ? b.x : 1e9;
    return min(ta, tb);
}

// The distance at pos on its own, for the few calls after the march.
float f14MapAt(float3 pos)
{
    return f14Map(pos, f14Phase(f14Slot(pos)).y);
}

float3 f14Normal(float3 pos)
{
    float2 e = float2(0.002, -0.002);
    float3 n = e.xyy * f14MapAt(pos + e.xyy) + e.yyx * f14MapAt(pos + e.yyx)
             + e.yxy * f14MapAt(pos + e.yxy) + e.xxx * f14MapAt(pos + e.xxx);
    return n / max(length(n), 1e-6);
}

// Glow of a folded space seen along the ray direction; early folds weigh most, so it stays soft.
float3 f14Glow(float3 rd)
{
    float3 v = rd * 0.6 + float3(0.25, 0.15, 0.1 * cis(f14Time * 0.3).y);
    float acc = 0, prev = 0, w = 1;
    for (int i = 0; i < 14; i++)
    {
        v = abs(v) / max(dot(v, v), 1e-3) - 0.6;
        float l = length(v);
        acc += w * exp(-2 * abs(l - prev));
        prev = l;
        w *= 0.8;
    }
    acc *= 0.22 / (1 - pow(0.8, 14));
    return float3(0.2, 0.1, 0.4) * acc + float3(1.0, 0.5, 0.25) * acc * acc * acc * 1.5;
}

void ya(out float4 colour, float2 position)
{
    colour = float4(0, 0, 0, 1);
    if (any(position < 0) || position.x > q.x || position.y > q.y) return;
    f14Time = c.x + p.y;
    float2 uv = (position - q * 0.5) / q.y;
    float3 ro = I.xyz;
    float3 fw = normalize(float3(0.06 * cis(f14Time * 0.2).y, -0.04, -1));
    float3 rt = normalize(cross(fw, float3(0, 1, 0)));
    float3 up = cross(rt, fw);
    float3 rd = normalize(fw * 1.3 + rt * uv.x + up * uv.y);

    float t = f14Enter(ro, rd) > 40 ? 41 : 0.05, d = 1; // the glow alone where no block is met
    // The march carries its column's phase and turns it back a radian as it
    // crosses into the next column (the rays run towards -z), where a sine
    // at every step would cost a tenth of the frame.
    float slot = f14Slot(ro + rd * t);
    float2 phase = f14Phase(slot);
    for (int i = 0; i < 100 && t <= 40; i++)
    {
        float3 pos = ro + rd * t;
        float to = f14Slot(pos);
        if (to != slot)
        {
            if (to == slot - 1)
                phase = float2(phase.x * 0.54030231 + phase.y * 0.84147098, phase.y * 0.54030231 - phase.x * 0.84147098);
            else
                phase = f14Phase(to);
            slot = to;
        }
        d = f14Map(pos, phase.y);
        if (d < 0.001 * t) break;
        t += d;
    }
    float3 glow = f14Glow(rd);
    float3 col = glow;
    if (t < 40)
    {
        float3 pos = ro + rd * t;
        f14MapAt(pos);
        float3 trap = f14Trap;
        float3 n = f14Normal(pos);
        // a block's own colour on its outer faces, another from the table in its folded hollows
        int block = int(trap.z);
        float3 alb = lerp(f14Palette[uint(block) % 7u], f14Palette[uint(block + 2 + int(trap.y)) % 7u], smoothstep(0.5, 0.15, trap.x));
        float3 an = abs(n);
        float2 tc = an.x > max(an.y, an.z) ? pos.yz : (an.y > an.z ? pos.xz : pos.xy);
        float grain = zs(float3(tc * 0.11, 0.3)).x + 0.5 * zs(float3(tc * 0.43, 0.7)).y;
        alb *= 0.8 + 0.7 * grain;
        float3 light = normalize(float3(-0.35, 0.75, 0.4));
        float dif = saturate(dot(n, light));
        float spec = pow(saturate(dot(reflect(rd, n), light)), 20);
        float occ = saturate(0.3 + sqrt(trap.x));
        col = alb * (1.3 * dif * float3(1.0, 0.9, 0.8) + 0.45 * occ * float3(0.55, 0.45, 0.8)) + 0.3 * spec;
        col += f14Glow(reflect(rd, n)) * 0.5 * occ;
        col = lerp(col, glow, 1 - exp(-0.05 * t));
    }
    colour.rgb = saturate(col);
}
