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

// A ring of sooty stones round an ember bed, split logs and sticks leaning
// together, and a tall flame round campfireFlame with two smaller tongues;
// the ground lies hazardLift below the origin. Everything but the stones'
// undersides comes from the fire atlas.
PropModel campfire()
{
    const float ground = -hazardLift;
    Mesh hearth = named("Hearth");
    for (int k = 0; k < 9; ++k) {
        const float a = 2.0f * pi * static_cast<float>(k) / 9.0f;
        const Vector3 centre(17.0f * std::cos(a), ground + 3.0f, 17.0f * std::sin(a));
        const size_t first = hearth.positions.size();
        addRock(hearth, centre, {5.5f, 4.0f, 4.5f}, 100u + static_cast<uint32_t>(k), 0.5f, 6, 9, 0.75f);
        fitUvs(hearth, first, fireAtlas::stone);
    }
    size_t first = hearth.positions.size();
    addRock(hearth, {0.0f, ground + 0.5f, 0.0f}, {11.0f, 2.6f, 11.0f}, 110, 0.4f, 4, 12, 0.2f);
    fitUvs(hearth, first, fireAtlas::embers);
    // Two split logs lying across, burnt black and glowing where they cross.
    for (const auto& [from, to] : {std::pair<Vector3, Vector3>{{-14, ground + 2.2f, -5}, {13, ground + 2.6f, 5}},
                                   std::pair<Vector3, Vector3>{{-6, ground + 2.4f, 13}, {5, ground + 2.0f, -14}}}) {
        first = hearth.positions.size();
        addCylinder(hearth, from, to, 2.3f, 7);
        fitUvs(hearth, first, fireAtlas::wood);
    }
    for (int k = 0; k < 5; ++k) {
        const float a = 2.0f * pi * (static_cast<float>(k) + 0.3f) / 5.0f;
        const Vector3 foot(11.0f * std::cos(a), ground + 1.5f, 11.0f * std::sin(a));
        const Vector3 head(1.5f * std::cos(a), ground + 17.0f, 1.5f * std::sin(a));
        first = hearth.positions.size();
        addCylinder(hearth, foot, head, 1.8f, 6);
        fitUvs(hearth, first, fireAtlas::embers);
    }
    Mesh flames = named("Flames");
    const float height = 34.0f, widestAt = (campfireFlame.y - ground - 1.0f) / height;
    addFlame(flames, {0.0f, ground + 1.0f, 0.0f}, height, 7.5f, widestAt, 5, 121, fireAtlas::flame);
    addFlame(flames, {4.5f, ground + 1.0f, 2.5f}, 20.0f, 3.6f, 0.3f, 3, 122, fireAtlas::flame);
    addFlame(flames, {-3.5f, ground + 1.0f, -3.5f}, 23.0f, 3.8f, 0.3f, 3, 123, fireAtlas::flame);
    return {"Data/Models/Static/Campfire.3DS", {hearth, flames}};
}

// A wooden fence: five pointed posts and two rails, 66 long, of bevelled
// boards.
PropModel fence()
{
    Mesh body = named("Fence");
    Random random(7);
    for (int k = 0; k < 5; ++k) {
        const float x = -30.0f + 15.0f * static_cast<float>(k);
        const float top = 38.0f + random.range(0.0f, 4.0f);
        addBoard(body, {x - 2.0f, 0.0f, -2.0f}, {x + 2.0f, top, 2.0f}, 0.5f, k);
        addCone(body, {x, top, 0.0f}, {x, top + 5.0f, 0.0f}, 2.8f, 4, true);
    }
    addBoard(body, {-33.0f, 10.0f, 2.0f}, {33.0f, 14.5f, 4.5f}, 0.5f, 1);
    addBoard(body, {-33.0f, 27.0f, 2.0f}, {33.0f, 31.5f, 4.5f}, 0.5f, 4);
    return {"Data/Models/Static/Fence.3DS", {body}};
}

// A wooden crate, 26 on a side: a dark inner box behind corner posts, edge
// boards and sides of three planks each, all bevelled, the planks a little
// uneven as if knocked about.
PropModel crate()
{
    Mesh body = named("Crate");
    const float h = 13.0f, b = 2.6f, bevel = 0.55f;
    addBox(body, {-h + 1.8f, 0.3f, -h + 1.8f}, {h - 1.8f, 2 * h - 0.3f, h - 1.8f});
    for (float x : {-h, h - b})
        for (float z : {-h, h - b})
            addBoard(body, {x, 0.0f, z}, {x + b, 2 * h, z + b}, bevel, static_cast<int>(x + z) & 7);
    // Edge boards along the top and the bottom of every side.
    int plank = 0;
    for (float y : {0.0f, 2 * h - b}) {
        for (float z : {-h, h - b})
            addBoard(body, {-h + b, y, z + 0.2f}, {h - b, y + b, z + b - 0.2f}, bevel, plank++);
        for (float x : {-h, h - b})
            addBoard(body, {x + 0.2f, y, -h + b}, {x + b - 0.2f, y + b, h - b}, bevel, plank++);
    }
    // Three planks on each side and on the lid, each a little out of true.
    Random random(71);
    const float inner = h - b, span = (2 * inner) / 3.0f;
    for (int side = 0; side < 5; ++side)
        for (int k = 0; k < 3; ++k) {
            const float from = -inner + span * static_cast<float>(k) + 0.2f, to = from + span - 0.4f;
            const float out = h - 0.5f + random.range(-0.25f, 0.15f), depth = 1.4f;
            const float along0 = -inner - random.range(0.0f, 0.3f), along1 = inner + random.range(0.0f, 0.3f);
            const int grain = static_cast<int>(random.below(6));
            if (side == 4) {  // the lid: planks along x
                addBoard(body, {along0, out - depth + h, from}, {along1, out + h, to}, bevel, grain);
                continue;
            }
            // Sides: planks lying along the side, stacked between the edge boards.
            const float y0 = b + (2 * h - 2 * b) * static_cast<float>(k) / 3.0f + 0.2f;
            const float y1 = b + (2 * h - 2 * b) * static_cast<float>(k + 1) / 3.0f - 0.2f;
            if (side < 2) {
                const float z = side == 0 ? -out : out - depth;
                addBoard(body, {along0, y0, z}, {along1, y1, z + depth}, bevel, grain);
            } else {
                const float x = side == 2 ? -out : out - depth;
                addBoard(body, {x, y0, along0}, {x + depth, y1, along1}, bevel, grain);
            }
        }
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

// A wall torch: an iron plate and arm with a ring holding a wooden stick
// whose head of pitch-soaked wraps smoulders, and a flame burning round
// torchFlame, all leaning out along +x. Wood, iron, wraps and flame come
// from the fire atlas.
PropModel torch()
{
    Mesh body = named("Torch");
    // The plate reaches into rough rock behind the mount point.
    size_t first = body.positions.size();
    addBoard(body, {-8.0f, -7.0f, -3.0f}, {1.5f, 7.0f, 3.0f}, 0.8f, 0);
    addCylinder(body, {1.5f, -3.0f, 0.0f}, {7.4f, 1.2f, 0.0f}, 0.8f, 6);
    std::vector<Vector3> ring;
    for (int k = 0; k <= 8; ++k) {
        const float a = 2.0f * pi * static_cast<float>(k) / 8.0f;
        ring.push_back({8.9f + 1.9f * std::cos(a), 2.0f, 1.9f * std::sin(a)});
    }
    addTube(body, ring, 0.5f, 5);
    fitUvs(body, first, fireAtlas::stone);
    first = body.positions.size();
    addCylinder(body, {7.0f, -8.0f, 0.0f}, {10.4f, 15.0f, 0.0f}, 1.35f, 7);
    fitUvs(body, first, fireAtlas::wood);
    first = body.positions.size();
    addLathe(body, {10.4f, 12.5f, 0.0f},
             {{1.4f, 0.0f}, {2.7f, 1.0f}, {3.1f, 2.6f}, {2.7f, 3.4f}, {3.2f, 4.6f}, {3.0f, 6.2f}, {2.3f, 7.4f}, {0.0f, 7.9f}},
             9, false, false, true);
    fitUvs(body, first, fireAtlas::embers);
    Mesh flame = named("Flame");
    const float height = 18.0f, widestAt = 0.3f;
    addFlame(flame, {torchFlame.x, torchFlame.y - widestAt * height, torchFlame.z}, height, 3.8f, widestAt, 3, 501,
             fireAtlas::flame);
    return {"Data/Models/Static/Torch.3DS", {body, flame}};
}

// Two stalactites hanging from the origin and a thin straw beside them,
// bent and lumpy.
PropModel stalagtit()
{
    Mesh body = named("Stalagtit");
    addDripstone(body, {0, 0, 0},
                 {{0.0f, -46.0f}, {1.3f, -41.0f}, {2.6f, -33.0f}, {4.2f, -23.0f}, {6.2f, -13.0f}, {8.2f, -5.0f}, {10.5f, 0.0f}},
                 11, 3.5f, 401, 0.3f, 9.0f);
    addDripstone(body, {9.0f, 0.0f, 5.0f}, {{0.0f, -24.0f}, {1.0f, -19.0f}, {2.6f, -12.0f}, {4.3f, -4.0f}, {5.5f, 0.0f}}, 8,
                 3.5f, 402, 0.3f, 5.0f);
    addDripstone(body, {-6.0f, 0.0f, -6.5f}, {{0.0f, -15.0f}, {0.9f, -12.0f}, {1.6f, -5.0f}, {2.6f, 0.0f}}, 6, 3.5f, 403,
                 0.2f, 3.0f);
    return {"Data/Models/Static/Stalagtit.3DS", {body}};
}

// A stalagmite with a smaller one beside it, grown from a lumpy foot.
PropModel stalagmit()
{
    Mesh body = named("Stalagmit");
    addDripstone(body, {0, 0, 0},
                 {{13.5f, 0.0f}, {11.0f, 6.0f}, {8.5f, 14.0f}, {6.2f, 22.0f}, {3.8f, 30.0f}, {1.6f, 36.0f}, {0.0f, 40.0f}}, 11,
                 3.5f, 411, 0.3f, 8.0f);
    addDripstone(body, {12.0f, 0.0f, -7.0f}, {{6.5f, 0.0f}, {4.5f, 5.0f}, {2.8f, 11.0f}, {1.0f, 16.0f}, {0.0f, 18.0f}}, 8,
                 3.5f, 412, 0.3f, 5.0f);
    addRock(body, {-7.0f, 0.5f, 8.0f}, {7.0f, 4.0f, 6.0f}, 413, 0.5f, 4, 8, 0.2f);
    addRock(body, {6.0f, 0.5f, 9.0f}, {5.0f, 3.0f, 5.5f}, 414, 0.5f, 4, 8, 0.2f);
    return {"Data/Models/Static/Stalagmit.3DS", {body}};
}

// A column of dripstone from floor to ceiling, stalagnatHeight high, waisted
// where the stalactite met the stalagmite, fluted and uneven.
PropModel stalagnat()
{
    Mesh body = named("Stalagnat");
    const float h = stalagnatHeight;
    addDripstone(body, {0, 0, 0},
                 {{17.0f, 0.0f}, {13.0f, h * 0.08f}, {9.5f, h * 0.24f}, {6.5f, h * 0.44f}, {5.5f, h * 0.56f},
                  {7.0f, h * 0.72f}, {11.0f, h * 0.88f}, {18.0f, h}},
                 12, 6.0f, 421, 0.18f, 3.0f);
    return {"Data/Models/Static/Stalagnat.3DS", {body}};
}

// A wooden chair of bevelled boards, its back towards -z: four legs (the
// back ones running up into the back), a seat of three planks, two slats
// and side rails.
PropModel chair()
{
    Mesh body = named("Chair");
    const float bevel = 0.4f;
    addBoard(body, {-8.0f, 0.0f, 6.0f}, {-6.0f, 17.0f, 8.0f}, bevel, 0);
    addBoard(body, {6.0f, 0.0f, 6.0f}, {8.0f, 17.0f, 8.0f}, bevel, 1);
    addBoard(body, {-8.0f, 0.0f, -8.0f}, {-6.0f, 43.0f, -6.0f}, bevel, 2);
    addBoard(body, {6.0f, 0.0f, -8.0f}, {8.0f, 43.0f, -6.0f}, bevel, 3);
    for (int k = 0; k < 3; ++k) {
        const float z0 = -9.0f + 6.0f * static_cast<float>(k) + 0.15f;
        addBoard(body, {-9.0f - 0.2f * static_cast<float>(k), 17.0f, z0}, {9.0f + 0.1f * static_cast<float>(k), 19.5f, z0 + 5.7f},
                 bevel, 4 + k);
    }
    for (float y : {28.0f, 37.0f})
        addBoard(body, {-6.0f, y, -7.8f}, {6.0f, y + 3.5f, -6.2f}, bevel, static_cast<int>(y));
    for (float x : {-7.8f, 6.2f})
        addBoard(body, {x, 6.0f, -6.0f}, {x + 1.6f, 8.0f, 6.0f}, bevel, 2);
    return {"Data/Models/Static/Chair.3DS", {body}};
}

// A wooden table, 56 by 34, its top 30 high: five worn planks on an apron,
// four legs and a stretcher, all bevelled.
PropModel table()
{
    Mesh body = named("Table");
    const float bevel = 0.5f;
    Random random(81);
    for (int k = 0; k < 5; ++k) {
        const float z0 = -17.0f + 6.8f * static_cast<float>(k) + 0.12f;
        const float top = 30.0f + random.range(-0.25f, 0.1f);
        addBoard(body, {-28.0f - random.range(0.0f, 0.6f), 27.6f, z0}, {28.0f + random.range(0.0f, 0.6f), top, z0 + 6.56f},
                 bevel, static_cast<int>(random.below(6)));
    }
    addBoard(body, {-24.0f, 23.0f, -13.5f}, {24.0f, 27.6f, -12.0f}, bevel, 1);
    addBoard(body, {-24.0f, 23.0f, 12.0f}, {24.0f, 27.6f, 13.5f}, bevel, 3);
    addBoard(body, {-25.0f, 23.0f, -12.0f}, {-23.5f, 27.6f, 12.0f}, bevel, 5);
    addBoard(body, {23.5f, 23.0f, -12.0f}, {25.0f, 27.6f, 12.0f}, bevel, 2);
    for (float x : {-24.0f, 24.0f})
        for (float z : {-13.0f, 13.0f})
            addBoard(body, {x - 1.7f, 0.0f, z - 1.7f}, {x + 1.7f, 27.6f, z + 1.7f}, bevel, static_cast<int>(x + z) & 7);
    addBoard(body, {-22.3f, 7.0f, -0.9f}, {22.3f, 9.6f, 0.9f}, bevel, 4);
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

// One band of the bottle: a lathe without caps whose texture coordinates
// go once round and along the profile, squeezed into the atlas region.
void addBottleBand(Mesh& mesh, const std::vector<LathePoint>& profile, const AtlasRegion& region)
{
    const size_t first = mesh.positions.size();
    addLathe(mesh, {0, 0, 0}, profile, 14, false, false);
    fitUvs(mesh, first, region, 0.02f);
}

// The Gorvik bottle, 17.5 high: a green glass body with a paper label band,
// a rounded shoulder, a long neck with a lip dipped in red wax, and a cork.
PropModel bottle()
{
    Mesh body = named("Gorvik");
    addBottleBand(body, {{0.0f, 0.35f}, {3.7f, 0.0f}}, bottleAtlas::glass);
    addBottleBand(body, {{3.7f, 0.0f}, {4.0f, 0.5f}, {4.0f, 2.6f}}, bottleAtlas::glass);
    addBottleBand(body, {{4.0f, 2.5f}, {4.07f, 2.6f}, {4.07f, 7.4f}, {4.0f, 7.5f}}, bottleAtlas::label);
    addBottleBand(body,
                  {{4.0f, 7.4f}, {4.0f, 9.4f}, {3.85f, 10.3f}, {3.35f, 11.1f}, {2.5f, 11.8f}, {1.7f, 12.3f}, {1.45f, 13.0f},
                   {1.4f, 14.6f}},
                  bottleAtlas::glass);
    addBottleBand(body, {{1.4f, 14.5f}, {1.55f, 14.7f}, {1.85f, 15.3f}, {1.85f, 16.1f}, {1.5f, 16.3f}, {1.25f, 16.3f}},
                  bottleAtlas::seal);
    const size_t first = body.positions.size();
    addLathe(body, {0, 0, 0}, {{1.25f, 16.2f}, {1.35f, 17.3f}, {1.1f, 17.55f}}, 10, false, true);
    fitUvs(body, first, bottleAtlas::cork, 0.05f);
    return {"Data/Models/Gorvik.3DS", {body}};
}

}  // namespace

std::vector<PropModel> buildProps()
{
    return {campfire(), fence(),    crate(), pile(),  torch(), stalagtit(), stalagmit(),
            stalagnat(), chair(), table(), stone(), rope(),  bottle()};
}
