#include "tools/generate/props.h"

#include <cmath>

#include "tools/generate/noise.h"
#include "tools/generate/shapes.h"

namespace {

constexpr float pi = 3.14159265358979f;

// An empty mesh object with the given name.
Mesh named(const char* name)
{
    Mesh mesh;
    mesh.name = name;
    return mesh;
}

// A lathe profile with its radii wobbled by noise, for natural rock forms.
std::vector<LathePoint> wobble(std::vector<LathePoint> profile, uint32_t seed, float amount)
{
    for (size_t i = 0; i < profile.size(); ++i) {
        if (profile[i].radius <= 0.0f)
            continue;
        const float n = valueNoise2(static_cast<float>(i) * 0.9f, 0.3f, seed, 0, 0);
        profile[i].radius *= 1.0f + amount * (n - 0.5f) * 2.0f;
    }
    return profile;
}

// A flame: a tear-drop lathe of the given height standing at `base`.
void addFlame(Mesh& mesh, const Vector3& base, float height, float width)
{
    const std::vector<LathePoint> profile = {
        {0.0f, 0.0f},
        {width * 0.8f, height * 0.08f},
        {width, height * 0.25f},
        {width * 0.75f, height * 0.5f},
        {width * 0.35f, height * 0.78f},
        {0.0f, height},
    };
    addLathe(mesh, base, profile, 9, false, false);
}

// A ring of stones round crossed logs and tongues of flame; the ground lies
// hazardLift below the origin.
PropModel campfire()
{
    const float ground = -hazardLift;
    Mesh hearth = named("Hearth");
    for (int k = 0; k < 9; ++k) {
        const float a = 2.0f * pi * static_cast<float>(k) / 9.0f;
        const Vector3 centre(17.0f * std::cos(a), ground + 3.0f, 17.0f * std::sin(a));
        addRock(hearth, centre, {5.5f, 4.0f, 4.5f}, 100u + static_cast<uint32_t>(k), 0.5f, 6, 9, 0.75f);
    }
    for (int k = 0; k < 5; ++k) {
        const float a = 2.0f * pi * (static_cast<float>(k) + 0.3f) / 5.0f;
        const Vector3 foot(11.0f * std::cos(a), ground + 1.5f, 11.0f * std::sin(a));
        const Vector3 head(1.5f * std::cos(a), ground + 17.0f, 1.5f * std::sin(a));
        addCylinder(hearth, foot, head, 1.9f, 7);
    }
    addCylinder(hearth, {-13, ground + 2.2f, -4}, {13, ground + 2.2f, 5}, 2.2f, 7);
    addCylinder(hearth, {-6, ground + 2.2f, 12}, {5, ground + 2.2f, -13}, 2.2f, 7);
    Mesh flames = named("Flames");
    addFlame(flames, {0, ground + 3.0f, 0}, 26.0f, 6.0f);
    addFlame(flames, {3.5f, ground + 3.0f, 2.0f}, 17.0f, 4.0f);
    addFlame(flames, {-3.0f, ground + 3.0f, -2.5f}, 19.0f, 4.2f);
    addFlame(flames, {-1.0f, ground + 3.0f, 4.0f}, 14.0f, 3.5f);
    return {"Data/Models/Static/Campfire.3DS", {hearth, flames}};
}

// A wooden fence: five pointed posts and two rails, 66 long.
PropModel fence()
{
    Mesh body = named("Fence");
    Random random(7);
    for (int k = 0; k < 5; ++k) {
        const float x = -30.0f + 15.0f * static_cast<float>(k);
        const float top = 38.0f + random.range(0.0f, 4.0f);
        addBox(body, {x - 2.0f, 0.0f, -2.0f}, {x + 2.0f, top, 2.0f}, SkipTop | SkipBottom);
        addCone(body, {x, top, 0.0f}, {x, top + 5.0f, 0.0f}, 2.8f, 4, true);
    }
    addBox(body, {-33, 10, 2}, {33, 14.5f, 4.5f});
    addBox(body, {-33, 27, 2}, {33, 31.5f, 4.5f});
    return {"Data/Models/Static/Fence.3DS", {body}};
}

// A wooden crate, 26 on a side, with boards along its edges.
PropModel crate()
{
    Mesh body = named("Crate");
    const float h = 13.0f, b = 3.0f;
    addBox(body, {-h + 1.5f, 0.5f, -h + 1.5f}, {h - 1.5f, 2 * h - 0.5f, h - 1.5f});
    // Boards along the twelve edges.
    for (float y : {0.0f, 2 * h - b})
        for (float z : {-h, h - b}) {
            addBox(body, {-h, y, z}, {h, y + b, z + b});
            addBox(body, {z, y, -h}, {z + b, y + b, h});
        }
    for (float x : {-h, h - b})
        for (float z : {-h, h - b})
            addBox(body, {x, b, z}, {x + b, 2 * h - b, z + b}, SkipTop | SkipBottom);
    return {"Data/Models/Static/Crate.3DS", {body}};
}

// A pile of iron spikes on a low mound; the ground lies hazardLift below the
// origin.
PropModel pile()
{
    const float ground = -hazardLift;
    Mesh spikes = named("Spikes");
    addRock(spikes, {0, ground + 1.0f, 0}, {18.0f, 5.0f, 18.0f}, 300, 0.4f, 6, 12, 0.2f);
    Random random(301);
    for (int k = 0; k < 11; ++k) {
        const float a = random.range(0.0f, 2.0f * pi);
        const float r = k == 0 ? 0.0f : random.range(3.0f, 13.0f);
        const Vector3 foot(r * std::cos(a), ground + 2.0f, r * std::sin(a));
        const float tilt = (k == 0 ? 0.0f : random.range(0.1f, 0.45f));
        const float length = random.range(17.0f, 30.0f);
        const Vector3 direction = unit({std::cos(a) * tilt, 1.0f, std::sin(a) * tilt});
        addCone(spikes, foot, foot + direction * length, random.range(1.8f, 3.0f), 6, false);
    }
    return {"Data/Models/Static/Pile.3DS", {spikes}};
}

// A wall torch: mount, arm, stick, wrapped head and flame, leaning out along +x.
PropModel torch()
{
    Mesh body = named("Torch");
    // A deep wooden mount: its back reaches into rough rock behind the mount point.
    addBox(body, {-8.0f, -7.0f, -3.0f}, {1.5f, 7.0f, 3.0f});
    addCylinder(body, {1.5f, -3.0f, 0.0f}, {8.0f, 2.0f, 0.0f}, 0.8f, 6);
    addCylinder(body, {6.5f, -6.0f, 0.0f}, {10.0f, 15.0f, 0.0f}, 1.4f, 7);
    addLathe(body, {10.0f, 14.0f, 0.0f}, {{1.6f, 0.0f}, {2.9f, 1.2f}, {3.1f, 4.0f}, {2.5f, 6.0f}, {0.0f, 6.5f}}, 8,
             false, false);
    Mesh flame = named("Flame");
    addFlame(flame, {10.6f, 17.5f, 0.0f}, 13.0f, 3.2f);
    return {"Data/Models/Static/Torch.3DS", {body, flame}};
}

// Two stalactites hanging from the origin.
PropModel stalagtit()
{
    Mesh body = named("Stalagtit");
    const std::vector<LathePoint> big = {{0.0f, 0.0f},  {1.2f, 6.0f},  {2.6f, 14.0f}, {4.2f, 24.0f},
                                         {6.0f, 33.0f}, {8.0f, 41.0f}, {10.0f, 46.0f}};
    addLathe(body, {0, -46.0f, 0}, wobble(big, 401, 0.25f), 10, false, false);
    const std::vector<LathePoint> small = {{0.0f, 0.0f}, {1.0f, 5.0f}, {2.4f, 12.0f}, {4.0f, 19.0f}, {5.5f, 23.0f}};
    addLathe(body, {9.0f, -23.0f, 5.0f}, wobble(small, 402, 0.25f), 8, false, false);
    return {"Data/Models/Static/Stalagtit.3DS", {body}};
}

// A stalagmite with a small one beside it.
PropModel stalagmit()
{
    Mesh body = named("Stalagmit");
    const std::vector<LathePoint> big = {{13.0f, 0.0f}, {11.0f, 6.0f}, {8.5f, 14.0f}, {6.0f, 22.0f},
                                         {3.5f, 30.0f}, {1.5f, 36.0f}, {0.0f, 40.0f}};
    addLathe(body, {0, 0, 0}, wobble(big, 411, 0.2f), 10, false, false);
    const std::vector<LathePoint> small = {{6.0f, 0.0f}, {4.5f, 5.0f}, {2.8f, 11.0f}, {1.0f, 16.0f}, {0.0f, 18.0f}};
    addLathe(body, {12.0f, 0.0f, -7.0f}, wobble(small, 412, 0.2f), 8, false, false);
    return {"Data/Models/Static/Stalagmit.3DS", {body}};
}

// A column of dripstone from floor to ceiling, stalagnatHeight high.
PropModel stalagnat()
{
    Mesh body = named("Stalagnat");
    const float h = stalagnatHeight;
    const std::vector<LathePoint> column = {
        {17.0f, 0.0f},        {13.0f, h * 0.08f},  {9.5f, h * 0.24f},  {6.5f, h * 0.44f}, {5.5f, h * 0.56f},
        {7.0f, h * 0.72f},    {11.0f, h * 0.88f},  {18.0f, h},
    };
    addLathe(body, {0, 0, 0}, wobble(column, 421, 0.15f), 12, false, false);
    return {"Data/Models/Static/Stalagnat.3DS", {body}};
}

// A plain wooden chair, its back towards -z.
PropModel chair()
{
    Mesh body = named("Chair");
    for (float x : {-7.0f, 7.0f})
        for (float z : {-7.0f, 7.0f})
            addBox(body, {x - 1.0f, 0.0f, z - 1.0f}, {x + 1.0f, 17.0f, z + 1.0f}, SkipTop | SkipBottom);
    addBox(body, {-9.0f, 17.0f, -9.0f}, {9.0f, 19.5f, 9.0f});
    for (float x : {-7.0f, 7.0f})
        addBox(body, {x - 1.0f, 19.5f, -8.5f}, {x + 1.0f, 42.0f, -6.5f}, SkipBottom);
    for (float y : {28.0f, 37.0f})
        addBox(body, {-8.0f, y, -8.2f}, {8.0f, y + 3.0f, -6.8f});
    return {"Data/Models/Static/Chair.3DS", {body}};
}

// A wooden table, 56 by 34, its top 30 high.
PropModel table()
{
    Mesh body = named("Table");
    addBox(body, {-28.0f, 27.0f, -17.0f}, {28.0f, 30.0f, 17.0f});
    for (float x : {-24.0f, 24.0f})
        for (float z : {-13.0f, 13.0f})
            addBox(body, {x - 1.5f, 0.0f, z - 1.5f}, {x + 1.5f, 27.0f, z + 1.5f}, SkipTop | SkipBottom);
    addBox(body, {-22.5f, 7.0f, -0.8f}, {22.5f, 9.5f, 0.8f});
    return {"Data/Models/Static/Table.3DS", {body}};
}

// A boulder with a smaller stone at its foot.
PropModel stone()
{
    Mesh body = named("Stone");
    addRock(body, {0.0f, 9.0f, 0.0f}, {17.0f, 12.0f, 14.0f}, 431, 0.45f, 9, 14, 0.75f);
    addRock(body, {15.0f, 3.5f, 9.0f}, {7.0f, 5.0f, 6.0f}, 432, 0.5f, 6, 10, 0.7f);
    return {"Data/Models/Static/Stone.3DS", {body}};
}

// A rope hanging from a hook plate at the origin, ending in a knot and a loop.
PropModel rope()
{
    Mesh body = named("Rope");
    addBox(body, {-3.0f, -1.5f, -3.0f}, {3.0f, 0.0f, 3.0f}, SkipTop);
    std::vector<Vector3> line;
    const int count = 16;
    for (int k = 0; k <= count; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(count);
        line.push_back({1.6f * std::sin(t * 2.2f) * t, -1.5f - 56.0f * t, 1.1f * std::sin(t * 3.1f) * t});
    }
    addTube(body, line, 1.1f, 6);
    const Vector3 end = line.back();
    addRock(body, end, {2.4f, 2.6f, 2.4f}, 441, 0.2f, 5, 8);
    std::vector<Vector3> loop;
    for (int k = 0; k <= 12; ++k) {
        const float a = 2.0f * pi * static_cast<float>(k) / 12.0f;
        loop.push_back(end + Vector3(5.5f * std::sin(a), -5.5f + 5.5f * std::cos(a), 0.0f));
    }
    addTube(body, loop, 1.0f, 6);
    return {"Data/Models/Static/Rope.3DS", {body}};
}

// The Gorvik bottle, 15 high, corked.
PropModel bottle()
{
    Mesh body = named("Gorvik");
    const std::vector<LathePoint> profile = {
        {3.6f, 0.0f},  {3.9f, 0.6f},  {3.9f, 8.5f},  {3.3f, 10.2f}, {1.6f, 11.6f}, {1.3f, 12.8f},
        {1.7f, 13.2f}, {1.7f, 13.8f}, {1.15f, 13.9f}, {1.15f, 15.0f}, {0.0f, 15.2f},
    };
    addLathe(body, {0, 0, 0}, profile, 14, true, false);
    return {"Data/Models/Gorvik.3DS", {body}};
}

}  // namespace

std::vector<PropModel> buildProps()
{
    return {campfire(), fence(),    crate(), pile(),  torch(), stalagtit(), stalagmit(),
            stalagnat(), chair(), table(), stone(), rope(),  bottle()};
}
