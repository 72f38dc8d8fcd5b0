// Flight through a tunnel of heart-shaped rings, 3 units apart, at 2 units per
// second; red rings on pink, with noise-driven rays fanning out behind them.

static float hr_clock;

// Unsigned distance to a heart outline: per side, a half circle for the lobe
// and a straight edge down to the tip, meeting with a common tangent.
float hr_heart(float2 v)
{
    v.x = abs(v.x);
    float2 lobe = v - float2(0.354, 0.254);
    float arc = dot(lobe, float2(0.7071, 0.7071)) >= 0
                    ? abs(length(lobe) - 0.5)
                    : min(length(v - float2(0.707, -0.1)), length(v - float2(0, 0.608)));
    float2 edge = float2(-0.707, -0.707);
    float2 from = v - float2(0.707, -0.1);
    float along = clamp(dot(from, edge), 0, 1);
    return min(arc, length(from - along * edge));
}

// A ring's pose depends only on its slot: its centre's offset and the cis of
// its sway, so a march reuses it while it stays in one slot.
float4 hr_pose(float slot)
{
    // Each ring sways a little so the tunnel is not a rigid tube.
    float sway = 0.35 * sin(0.9 * slot + 1.7 * hr_clock);
    // the sway stays within +-0.35, where the series is exact to 1e-8
    float x2 = sway * sway;
    float k = 1.0 + x2 * (-0.5 + x2 * (1.0 / 24.0 + x2 * (-1.0 / 720.0)));
    float s = sway * (1.0 + x2 * (-1.0 / 6.0 + x2 * (1.0 / 120.0 + x2 * (-1.0 / 5040.0))));
    return float4(0.4 * sin(0.5 * slot + hr_clock), 0.3 * cos(0.7 * slot), k, s);
}

float hr_rings_posed(float3 p, float slot, float4 pose)
{
    float dz = p.z - 3 * slot - 1.5;
    float2 v = p.xy - pose.xy;
    v = float2(pose.z * v.x - pose.w * v.y, pose.w * v.x + pose.z * v.y);
    float ring = length(float2(2.6 * hr_heart(v / 2.6), dz)) - 0.2;
    // The neighbouring rings are at least 1.3 beyond the slot's faces.
    return min(ring, 2.8 - abs(dz));
}

float hr_rings(float3 p)
{
    float slot = floor(p.z / 3);
    return hr_rings_posed(p, slot, hr_pose(slot));
}

float3 hr_normal(float3 p)
{
    const float2 k = float2(1, -1) * 0.002;
    return normalize(k.xyy * hr_rings(p + k.xyy) + k.yyx * hr_rings(p + k.yyx) +
                     k.yxy * hr_rings(p + k.yxy) + k.xxx * hr_rings(p + k.xxx) + 1e-9);
}

float3 hr_backdrop(float2 uv)
{
    // atan2(0, 0) is undefined, and the frame's centre pixel asks for it.
    float around = atan2(uv.y, abs(uv.x) + abs(uv.y) > 0 ? uv.x : 1) + 0.1 * hr_clock;
    // A circle through the noise volume gives seamless angular variation.
    float2 ring = 0.5 + 0.22 * float2(cos(around), sin(around));
    float beams = zs(float3(ring, 0.02 * hr_clock)).x + 0.5 * zs(float3(2 * ring, 0.5 + 0.03 * hr_clock)).y;
    float fan = saturate(0.55 + 1.6 * beams) * saturate(4 * length(uv));
    float3 pink = float3(1.0, 0.72, 0.8);
    return lerp(pink, float3(1.0, 0.9, 0.94), fan) - 0.12 * length(uv);
}

void ya(out float4 colour, float2 position)
{
    hr_clock = c.x + p.y;
    position.y -= q.y * floor(position.y / q.y);
    float2 uv = (position - 0.5 * q) / q.y;
    float3 eye = float3(0, 0, -2 * hr_clock);
    float3 ray = normalize(float3(uv, -1.3));
    float3 col = hr_backdrop(uv);

    float t = 0.2;
    bool hit = false;
    // No ring reaches beyond 3.14 of the axis (its outline 0.94 * 2.6, its tube
    // 0.2 and its sway 0.5), and the ray leaves the axis from the eye on, so
    // past 3.25 of it nothing can be hit.
    float far = min(45.0, 3.25 / max(length(ray.xy), 1e-6));
    float posed = 1e9;
    float4 pose = 0;
    [loop] for (int i = 0; i < 90; i++) {
        float3 at = eye + t * ray;
        float slot = floor(at.z / 3);
        if (slot != posed) {
            pose = hr_pose(slot);
            posed = slot;
        }
        float d = hr_rings_posed(at, slot, pose);
        if (d < 0.0015 * t) {
            hit = true;
            break;
        }
        t += 0.9 * d;
        if (t > far)
            break;
    }
    if (hit) {
        float3 at = eye + t * ray;
        float3 n = hr_normal(at);
        float3 light = normalize(float3(0.3, 0.6, 0.7));
        float diffuse = saturate(dot(n, light));
        float shine = saturate(dot(reflect(ray, n), light));
        shine *= shine;
        shine *= shine;
        shine *= shine;
        shine *= shine * shine; // the 24th power
        float3 ring = float3(0.85, 0.04, 0.1) * (0.3 + 0.8 * diffuse) + 0.6 * shine;
        col = lerp(col, ring, exp(-0.045 * t));
    }
    colour = float4(col, 1);
}
