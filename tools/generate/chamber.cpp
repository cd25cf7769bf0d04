#include "tools/generate/chamber.h"

#include <algorithm>
#include <cmath>

#include "tools/generate/noise.h"
#include "tools/generate/tunnel.h"

namespace {

const Vector3 up(0.0f, 1.0f, 0.0f);

// Horizontal normal of the edge a-b pointing away from the chamber's centre.
Vector3 outwardOf(const Vector3& a, const Vector3& b, const Vector3& centre)
{
    const Vector3 along = unit(b - a);
    Vector3 normal(along.z, 0.0f, -along.x);
    const Vector3 mid = (a + b) * 0.5f;
    if (dot(normal, mid - centre) < 0.0f)
        normal = normal * -1.0f;
    return normal;
}

// Points along a portal edge where the doorway profile meets the floor:
// where the notch starts and ends and the doorway's centre line.
std::vector<float> portalFloorBreaks(float length)
{
    std::vector<float> breaks;
    const float middle = length * 0.5f;
    for (float x : {middle - doorHalfWidth, middle, middle + doorHalfWidth})
        if (x > 0.01f && x < length - 0.01f)
            breaks.push_back(x);
    return breaks;
}

// One wall column of a rough chamber.
struct Column {
    Vector3 floor;
    Vector3 outward;
    float around = 0.0f;      // distance along the walls, for texturing
    float fade = 1.0f;        // displacement weight (0 at doorway panels)
    float cutFade = 1.0f;     // share of the fillet, eased in further from doorway panels
    bool portalNext = false;  // the span to the next column is part of a doorway panel
    size_t edge = 0;          // the outline edge the column starts on
    bool edgeStart = false;   // the column is the edge's first point
};

}  // namespace

namespace {

// Corner cutting of an open polyline (ends kept): each pass replaces every
// segment by its points at a quarter and three quarters.
std::vector<Vector3> cutCorners(const std::vector<Vector3>& line, int passes)
{
    std::vector<Vector3> points = line;
    for (int pass = 0; pass < passes && points.size() > 2; ++pass) {
        std::vector<Vector3> next = {points.front()};
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            if (i > 0)
                next.push_back(lerp(points[i], points[i + 1], 0.25f));
            if (i + 2 < points.size())
                next.push_back(lerp(points[i], points[i + 1], 0.75f));
        }
        next.push_back(points.back());
        points = next;
    }
    return points;
}

// Points evenly along a polyline, ends included: every `step` or closer, so
// close that the line turns by at most `maxTurn` radians between them
// (counting the turns from `in` at its start and into `out` at its end).
std::vector<Vector3> resample(const std::vector<Vector3>& line, float step, float maxTurn, const Vector3& in,
                              const Vector3& out)
{
    float length = 0.0f, turn = 0.0f;
    Vector3 heading = in;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const Vector3 along = line[i + 1] - line[i];
        length += lengthOf(along);
        if (lengthOf(along) > 1e-4f) {
            turn += std::acos(clampf(dot(heading, unit(along)), -1.0f, 1.0f));
            heading = unit(along);
        }
    }
    turn += std::acos(clampf(dot(heading, out), -1.0f, 1.0f));
    const int parts = std::max({1, static_cast<int>(std::ceil(length / step - 1e-4f)),
                                static_cast<int>(std::ceil(turn / maxTurn - 1e-4f))});
    std::vector<Vector3> points = {line.front()};
    size_t segment = 0;
    float passed = 0.0f;
    for (int k = 1; k < parts; ++k) {
        const float at = length * static_cast<float>(k) / static_cast<float>(parts);
        while (segment + 2 < line.size() && passed + lengthOf(line[segment + 1] - line[segment]) < at) {
            passed += lengthOf(line[segment + 1] - line[segment]);
            ++segment;
        }
        const float span = lengthOf(line[segment + 1] - line[segment]);
        points.push_back(lerp(line[segment], line[segment + 1], span > 0.0f ? (at - passed) / span : 0.0f));
    }
    points.push_back(line.back());
    return points;
}

// The outline with each run of rock between doorway panels smoothed into a
// curve that leaves and meets the panels in their own direction (so rock
// and panel meet flush) and resampled (see resample); panels stay as they
// are.
ChamberOutline smoothRock(const ChamberOutline& outline, float step, float maxTurn)
{
    const size_t n = outline.points.size();
    size_t start = 0;
    while (start < n && !outline.portal[(start + n - 1) % n])
        ++start;
    if (start == n)
        return outline;  // no panel to start a run at
    ChamberOutline smooth;
    smooth.centre = outline.centre;
    for (size_t k = 0; k < n;) {
        const size_t i = (start + k) % n;
        if (outline.portal[i]) {
            smooth.points.push_back(outline.points[i]);
            smooth.portal.push_back(true);
            ++k;
            continue;
        }
        // A run of rock edges from point i to the next panel's first point.
        std::vector<Vector3> run = {outline.points[i]};
        size_t j = k;
        while (j < n && !outline.portal[(start + j) % n]) {
            ++j;
            run.push_back(outline.points[(start + j) % n]);
        }
        const Vector3 in = unit(outline.points[i] - outline.points[(i + n - 1) % n]);
        const Vector3 out = unit(outline.points[(start + j + 1) % n] - run.back());
        const float pull = std::min(8.0f, lengthOf(run[1] - run[0]) / 3.0f);
        std::vector<Vector3> guide = {run.front(), run.front() + in * pull};
        guide.insert(guide.end(), run.begin() + 1, run.end() - 1);
        guide.push_back(run.back() - out * std::min(8.0f, lengthOf(run.back() - run[run.size() - 2]) / 3.0f));
        guide.push_back(run.back());
        const std::vector<Vector3> curve = resample(cutCorners(guide, 3), step, maxTurn, in, out);
        for (size_t c = 0; c + 1 < curve.size(); ++c) {
            smooth.points.push_back(curve[c]);
            smooth.portal.push_back(false);
        }
        k = j;
    }
    return smooth;
}

}  // namespace

void buildRoughChamber(const ChamberOutline& sharpOutline, const ChamberStyle& style, const ChamberMeshes& out)
{
    const ChamberOutline outline = smoothRock(sharpOutline, style.outlineStep, style.outlineTurn * 0.017453293f);
    const size_t n = outline.points.size();
    std::vector<Column> columns;
    float around = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const Vector3& a = outline.points[i];
        const Vector3& b = outline.points[(i + 1) % n];
        const float length = lengthOf(b - a);
        const Vector3 normal = outwardOf(a, b, outline.centre);
        const Vector3 previousNormal = outwardOf(outline.points[(i + n - 1) % n], a, outline.centre);
        // Doorway edges are divided like the rock: the dome above them
        // continues the rock's columns.
        const int parts = std::max(1, static_cast<int>(std::ceil(length / style.columnStep - 1e-4f)));
        for (int k = 0; k < parts; ++k) {
            Column column;
            const float t = static_cast<float>(k) / static_cast<float>(parts);
            column.floor = lerp(a, b, t);
            column.outward = k == 0 ? unit(normal + previousNormal) : normal;
            column.around = around + length * t;
            column.portalNext = outline.portal[i];
            column.edge = i;
            column.edgeStart = k == 0;
            columns.push_back(column);
        }
        around += length;
    }
    // Rock fades out towards doorway panels so their flat edges meet the wall.
    const bool anyPortal = std::find(outline.portal.begin(), outline.portal.end(), true) != outline.portal.end();
    for (size_t c = 0; c < columns.size() && anyPortal; ++c) {
        float nearest = 1e9f;
        for (size_t p = 0; p < columns.size(); ++p) {
            const bool portalEnd = columns[p].portalNext || columns[(p + columns.size() - 1) % columns.size()].portalNext;
            if (!portalEnd)
                continue;
            float d = std::fabs(columns[c].around - columns[p].around);
            d = std::min(d, around - d);
            nearest = std::min(nearest, d);
        }
        const bool insidePortal = columns[c].portalNext && !columns[c].edgeStart;
        columns[c].fade = insidePortal ? 0.0f : smoothstepf(0.0f, 30.0f, nearest);
        columns[c].cutFade = insidePortal ? 0.0f : smoothstepf(0.0f, 60.0f, nearest);
    }
    // The first column again at the end closes the loop (its own texture
    // coordinate, so the texture does not run backwards; the outlines start
    // at a doorway, so the seam runs up from a panel's corner).
    Column closing = columns.front();
    closing.around = around;
    columns.push_back(closing);

    // Rows of the wall: the doorway jambs' points, then even rows about a
    // column step apart up to the top, so rock and panels meet vertex to
    // vertex; a hull's walls are one row.
    std::vector<float> rows;
    for (const ProfilePoint& p : doorwayProfile())
        if (p.s == -doorHalfWidth && p.h < style.wallHeight && (!style.hull || p.h == 0.0f))
            rows.push_back(p.h);
    const float jambTop = rows.back();
    const int upper = style.hull ? 1 : std::max(1, static_cast<int>(std::ceil((style.wallHeight - jambTop) / style.columnStep - 1e-4f)));
    for (int r = 1; r <= upper; ++r)
        rows.push_back(jambTop + (style.wallHeight - jambTop) * static_cast<float>(r) / static_cast<float>(upper));
    const size_t wallRows = rows.size() - 1;
    const int rings = std::max(1, style.domeRings);
    const int filletRows = style.fillet > 0.0f ? 2 : 0;
    const float floorY = columns.front().floor.y;
    const Vector3 apex(outline.centre.x, floorY + style.domeHeight, outline.centre.z);
    const float rise = style.domeHeight - style.wallHeight;

    // The dome over one column at t from 0 (the wall top) to 1 (the apex),
    // as (distance out from the apex's axis, height above the wall top) for
    // a column standing `radius` out, and its outward normal in the same
    // terms. An upright dome is a quarter ellipse, rising straight from the
    // wall; the other is drawn in linearly while it rises on a quarter sine.
    // Corners of the outline fade out of the dome as it rises.
    struct DomePoint {
        float out, up, normalOut, normalUp;
    };
    const auto dome = [&](float t, float radius, float meanRadius) {
        const float r = mixf(radius, meanRadius, smoothstepf(0.0f, 0.6f, t));
        const float a = 1.5707963f * t;
        if (style.uprightDome)
            return DomePoint{r * std::cos(a), rise * std::sin(a), rise * std::cos(a), r * std::sin(a)};
        return DomePoint{r * (1.0f - t), rise * std::sin(a), rise * 1.5707963f * std::cos(a), r};
    };

    // Every column up the wall and over the dome, short of the apex. Away
    // from doorways a fillet cuts the corner between wall and dome, from
    // `fillet` below the wall top to where the dome has come in as far; at a
    // doorway panel the wall rises upright to its top.
    struct GridPoint {
        Vector3 p;
        Vector3 outward;
        float v;  // texture row: distance up the surface
    };
    float meanRadius = 0.0f;
    for (size_t c = 0; c + 1 < columns.size(); ++c)
        meanRadius += lengthOf(Vector3(columns[c].floor.x - apex.x, 0.0f, columns[c].floor.z - apex.z)) /
                      static_cast<float>(columns.size() - 1);
    std::vector<std::vector<GridPoint>> grid(columns.size());
    for (size_t c = 0; c < columns.size(); ++c) {
        const Column& column = columns[c];
        const Vector3 foot(column.floor.x, floorY, column.floor.z);
        const Vector3 reach = unit(Vector3(foot.x - apex.x, 0.0f, foot.z - apex.z));
        const float radius = lengthOf(Vector3(foot.x - apex.x, 0.0f, foot.z - apex.z));
        const float cut = style.fillet * column.cutFade;
        const float wallTop = style.wallHeight - cut;
        // Rock pushes a point out along the wall's outward direction tipped
        // up as the surface turns over (outward and up given in the column's
        // own terms), by the wall's roughness easing to the dome's.
        const auto add = [&](const Vector3& nominal, float out, float rise, float weight, float domeShare) {
            const Vector3 outward = unit(column.outward * out + up * rise);
            const float amount = mixf(style.roughness, style.domeRoughness, domeShare) * weight;
            const Vector3 p = nominal + outward * (amount > 0.0f ? amount * rockNoise(nominal, style.seed) : 0.0f);
            const float v = grid[c].empty() ? 0.0f : grid[c].back().v + lengthOf(p - grid[c].back().p);
            grid[c].push_back({p, outward, v});
        };
        for (size_t i = 0; i <= wallRows; ++i) {
            const float h = rows[i] * wallTop / style.wallHeight;
            add(foot + up * h, 1.0f, 0.0f, column.fade * footWeight(h), 0.0f);
        }
        // Where the dome begins after the fillet.
        float tStart = 0.0f;
        if (filletRows > 0) {
            while (tStart < 0.5f && dome(tStart, radius, meanRadius).up < style.fillet)
                tStart += 0.01f;
            const DomePoint end = dome(tStart, radius, meanRadius);
            // A quadratic curve from the wall top through the corner's pull
            // to the dome: upright where it leaves the wall.
            const Vector3 p0 = foot + up * wallTop, corner = foot + up * style.wallHeight;
            const Vector3 p1 = Vector3(apex.x, floorY, apex.z) + reach * end.out + up * (style.wallHeight + end.up);
            for (int j = 1; j <= filletRows; ++j) {
                const float u = static_cast<float>(j) / static_cast<float>(filletRows);
                const Vector3 nominal = p0 * ((1.0f - u) * (1.0f - u)) + corner * (2.0f * u * (1.0f - u)) + p1 * (u * u);
                const Vector3 tangent = (corner - p0) * (1.0f - u) + (p1 - corner) * u;
                add(nominal, tangent.y, -dot(tangent, reach), column.fade, 0.0f);
            }
        }
        for (int k = 1; k < rings; ++k) {
            const float t = tStart + (1.0f - tStart) * static_cast<float>(k) / static_cast<float>(rings);
            const DomePoint d = dome(t, radius, meanRadius);
            add(Vector3(apex.x, floorY, apex.z) + reach * d.out + up * (style.wallHeight + d.up), d.normalOut, d.normalUp,
                std::max(column.fade, smoothstepf(0.0f, 2.0f, static_cast<float>(k))),
                smoothstepf(0.0f, 3.0f, static_cast<float>(k)));
        }
    }

    // Vertices: the wall rows of columns beside rock, the fillet's and the
    // dome's rows of every column. The texture runs round the walls and up
    // them; over the dome it is projected from above, which does not pinch
    // at the apex: the ring where the dome begins has a second set of
    // vertices for it (a texture seam), and the closing column shares the
    // first one's dome vertices, as nothing parts them there.
    Mesh& mesh = *out.rock;
    const size_t domeStart = wallRows + static_cast<size_t>(filletRows);
    std::vector<std::vector<uint32_t>> index(columns.size()), domeIndex(columns.size());
    for (size_t c = 0; c < columns.size(); ++c) {
        const bool carriesRock = (c + 1 < columns.size() && !columns[c].portalNext) || (c > 0 && !columns[c - 1].portalNext);
        index[c].assign(grid[c].size(), 0);
        for (size_t i = 0; i <= domeStart; ++i)
            if (i >= wallRows || carriesRock)
                index[c][i] = addVertex(mesh, grid[c][i].p,
                                        {columns[c].around / textureWorldSize, grid[c][i].v / textureWorldSize});
        domeIndex[c] = index[c];
        for (size_t i = domeStart; i < grid[c].size(); ++i) {
            const Vector3& p = grid[c][i].p;
            domeIndex[c][i] = c + 1 == columns.size() ? domeIndex[0][i]
                                                 : addVertex(mesh, p, {p.x / textureWorldSize, p.z / textureWorldSize});
        }
    }
    // The apex, or else a flat top over the last ring (the collision hulls:
    // no vertex gathering a fan of faces).
    const uint32_t apexIndex = style.hull ? 0 : addVertex(mesh, apex, {apex.x / textureWorldSize, apex.z / textureWorldSize});
    if (style.hull) {
        std::vector<Vector3> top;
        for (size_t c = 0; c + 1 < columns.size(); ++c)
            top.push_back(grid[c].back().p);
        addFlatPolygon(*out.ceiling, top, up * -1.0f, true);
    }

    for (size_t c = 0; c + 1 < columns.size(); ++c) {
        if (columns[c].portalNext) {
            if (columns[c].edgeStart) {
                size_t end = c + 1;
                while (end + 1 < columns.size() && !columns[end].edgeStart)
                    ++end;
                addPortalPanel(*out.walls, columns[c].floor, columns[end].floor, style.wallHeight,
                               outline.centre - (columns[c].floor + columns[end].floor) * 0.5f,
                               std::vector<float>(rows.begin() + 1, rows.end() - 1), static_cast<int>(end - c),
                               style.hull ? doorwayFlare : 0.0f);
            }
        } else {
            for (size_t i = 0; i < wallRows; ++i)
                addQuad(mesh, index[c][i], index[c + 1][i], index[c + 1][i + 1], index[c][i + 1],
                        columns[c].outward * -1.0f);
        }
        for (size_t i = wallRows; i + 1 < grid[c].size(); ++i) {
            const std::vector<uint32_t>& a = i < domeStart ? index[c] : domeIndex[c];
            const std::vector<uint32_t>& b = i < domeStart ? index[c + 1] : domeIndex[c + 1];
            addQuad(mesh, a[i], b[i], b[i + 1], a[i + 1], (grid[c][i].outward + grid[c + 1][i + 1].outward) * -1.0f);
        }
        if (!style.hull) {
            const size_t last = grid[c].size() - 1;
            addTriangle(mesh, domeIndex[c][last], domeIndex[c + 1][last], apexIndex,
                        (grid[c][last].outward + grid[c + 1][last].outward + up) * -1.0f);
        }
    }

    // Floor: the wall feet, with the points where doorway floors meet the
    // panels added so no edge ends mid-way on another, cut into even
    // triangles (a fan would gather them all at one vertex, and the sphere
    // test pushes once for every face whose edge comes near).
    std::vector<Vector3> rim;
    for (size_t c = 0; c + 1 < columns.size(); ++c) {
        if (columns[c].portalNext && !columns[c].edgeStart)
            continue;
        rim.push_back(grid[c][0].p);
        if (columns[c].portalNext) {
            const Vector3 a = outline.points[columns[c].edge];
            const Vector3 b = outline.points[(columns[c].edge + 1) % n];
            for (float x : portalFloorBreaks(lengthOf(b - a)))
                rim.push_back(a + unit(b - a) * x);
        }
    }
    addFlatPolygon(*out.floor, rim, up, true);
}

void buildMasonryChamber(const ChamberOutline& outline, const ChamberStyle& style, const ChamberMeshes& out)
{
    const size_t n = outline.points.size();
    const float height = style.wallHeight;
    std::vector<Vector3> rim;      // floor outline with the doorway floor points
    std::vector<Vector3> ceiling;  // the same at the top, without them
    for (size_t i = 0; i < n; ++i) {
        const Vector3& a = outline.points[i];
        const Vector3& b = outline.points[(i + 1) % n];
        const Vector3 along = unit(b - a);
        const Vector3 inward = outwardOf(a, b, outline.centre) * -1.0f;
        rim.push_back(a);
        ceiling.push_back(a + up * height);
        if (outline.portal[i]) {
            addPortalPanel(*out.walls, a, b, height, inward, 1, 1, style.hull ? doorwayFlare : 0.0f);
            for (float x : portalFloorBreaks(lengthOf(b - a)))
                rim.push_back(a + along * x);
        } else {
            addFlatPolygon(*out.walls, {a, b, b + up * height, a + up * height}, inward);
        }
    }
    addFlatPolygon(*out.floor, rim, up, true);
    addFlatPolygon(*out.ceiling, ceiling, up * -1.0f, true);
}
