#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "assets/model3ds.h"
#include "assets/writers.h"
#include "tests/support/test_support.h"

namespace {

std::string chunk(unsigned id, const std::string& payload)
{
    return Bytes().u16(id).u32(static_cast<uint32_t>(payload.size() + 6)).raw(payload).str();
}

std::string vertexChunk(const std::vector<Vector3>& vertices, unsigned count)
{
    Bytes data;
    data.u16(count);
    for (const Vector3& v : vertices)
        data.f32(v.x).f32(v.y).f32(v.z);
    return chunk(0x4110, data.str());
}

std::string faceData(const std::vector<Face3DS>& faces, unsigned count)
{
    Bytes data;
    data.u16(count);
    for (const Face3DS& f : faces)
        data.u16(f.a).u16(f.b).u16(f.c).u16(0);
    return data.str();
}

std::string mappingChunk(const std::vector<TexCoord>& coords, unsigned count)
{
    Bytes data;
    data.u16(count);
    for (const TexCoord& t : coords)
        data.f32(t.u).f32(t.v);
    return chunk(0x4140, data.str());
}

std::string named(const char* name, const std::string& children)
{
    return chunk(0x4000, std::string(name) + std::string(1, '\0') + children);
}

std::string mainFile(const std::string& editorChildren, const std::string& extra = "")
{
    return chunk(0x4D4D, chunk(0x0002, Bytes().u32(3).str()) +
                             chunk(0x3D3D, chunk(0x3D3E, Bytes().u32(3).str()) + editorChildren) + extra);
}

// The named-object chunks of a written file (behind main, version, editor, mesh version).
std::string objectChunks(const std::vector<MeshObject>& objects)
{
    return write3ds(objects).substr(6 + 10 + 6 + 10);
}

Model3DS loadBytes(const std::string& bytes, const std::string& name = "test.3DS")
{
    Model3DS model;
    model.loadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name);
    return model;
}

MeshObject triangleObject(const std::string& name)
{
    MeshObject object;
    object.name = name;
    object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    object.texCoords = {{0.25f, 0.75f}, {1, 0}, {0, 1}};
    object.faces = {{0, 1, 2}};
    return object;
}

// Vertex, face and texture coordinate counts, then the vertex and normal array sizes.
std::vector<size_t> counts(const Object3DS& o)
{
    return {static_cast<size_t>(o.vertexCount), static_cast<size_t>(o.faceCount), static_cast<size_t>(o.texCoordCount),
            o.vertices.size(), o.normals.size()};
}

}  // namespace

TEST(Model3DS, VersionWarningAndBadFiles)
{
    BoxRecorder boxes;
    // Only the low 16 bits of the version count: one warning, for version 4.
    for (uint32_t version : {3u, 4u, 0x00050003u})
        EXPECT_EQ(loadBytes(write3ds({triangleObject("A")}, version)).objects.at(0).faceCount, 1) << version;
    expectBoxes(boxes, {{"This 3DS file is over version 3 so it may load incorrectly", "Warning", MB_OK,
                         BoxOwner::None}});
    boxes.clear();
    EXPECT_EQ(loadBytes(chunk(0x3D3D, chunk(0x3D3E, Bytes().u32(3).str())), "Bad.3DS").objectCount, 0);
    expectBoxes(boxes, {{"Unable to load PRIMARY chunk from file: Bad.3DS!", "Error"}});
}

TEST(Model3DS, SkipsEveryOtherChunkAndKeepsByteCounts)
{
    const std::vector<Vector3> vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const std::vector<Vector3> three(vertices.begin(), vertices.begin() + 3);
    // A face list with sub-chunks (materials, smoothing groups) after its data.
    const std::string faceList = chunk(0x4120, faceData({{0, 1, 2}, {1, 3, 2}}, 2) +
                                                   chunk(0x4130, Bytes().raw("Mat").u8(0).u16(1).u16(0).str()) +
                                                   chunk(0x4150, Bytes().u32(1).u32(1).str()));
    const std::string mesh = chunk(0x4100, vertexChunk(vertices, 4) + chunk(0x4111, std::string(8, '\x01')) +
                                               chunk(0x4160, std::string(48, '\x7F')) + faceList +
                                               mappingChunk({{0, 0}, {1, 0}, {0, 1}, {1, 1}}, 4));
    // Counts follow the data: a vertex chunk claiming 10 vertices with data
    // for 3, a mapping chunk claiming 5 pairs with 2; then one with spare bytes.
    const std::string shortMesh = chunk(0x4100, vertexChunk(three, 10) + mappingChunk({{1, 2}, {3, 4}}, 5) +
                                                    chunk(0x4120, faceData({{0, 1, 2}, {0, 1, 2}}, 7)));
    const std::string spareMesh = chunk(
        0x4100, vertexChunk(three, 2) + chunk(0x4140, Bytes().u16(1).f32(5).f32(6).fill(13, 0x55).str()) +
                    chunk(0x4120, faceData({{0, 1, 1}}, 1)));
    // A material chunk whose bytes would look like a named object if entered.
    const std::string material = chunk(0xAFFF, named("Fake", ""));
    // A keyframer chunk of a megabyte, full of bytes that look like chunks.
    std::string keyframer;
    while (keyframer.size() < (1u << 20))
        keyframer += named("Key", "");
    MeshObject plain = triangleObject("Plain");
    plain.texCoords.clear();
    const std::string longName(300, 'N');
    const std::string file = mainFile(chunk(0x0100, Bytes().f32(1).str()) + material + named("Box", mesh) +
                                          named("Lamp", chunk(0x4600, Bytes().f32(1).f32(2).f32(3).str())) +
                                          named("Cam", chunk(0x4700, std::string(32, '\0'))) +
                                          named(longName.c_str(), shortMesh) + named("Spare", spareMesh) +
                                          objectChunks({plain}),
                                      material + chunk(0xB000, keyframer) + chunk(0x1234, std::string(100, '3')));
    BoxRecorder boxes;
    Model3DS model = loadBytes(file);
    expectBoxes(boxes, {});
    ASSERT_EQ(model.objects.size(), 6u);
    ASSERT_EQ(model.objectCount, 6);
    const std::string names[] = {"Box", "Lamp", "Cam", longName.substr(0, 254), "Spare", "Plain"};
    const std::vector<size_t> expected[] = {{4, 2, 4, 4, 4}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0},
                                            {3, 2, 2, 3, 3}, {2, 1, 1, 2, 2}, {3, 1, 0, 3, 3}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(model.objects[i].name, names[i]);
        EXPECT_EQ(counts(model.objects[i]), expected[i]) << names[i];
    }
    EXPECT_EQ(model.objects[0].faces[1].b, 3u);
    EXPECT_FLOAT_EQ(model.objects[0].vertices[3].y, 1.0f);
    EXPECT_FLOAT_EQ(model.objects[0].texCoords[3].v, 1.0f);
    EXPECT_FLOAT_EQ(model.objects[3].texCoords[1].v, 4.0f);
    EXPECT_FLOAT_EQ(model.objects[4].texCoords[0].u, 5.0f);
}

TEST(Model3DS, BrokenChunkLayoutsEndTheWalk)
{
    const std::string good = write3ds({triangleObject("A"), triangleObject("B")});
    BoxRecorder boxes;
    // A zero-length child ends its object's walk; the next object is still found.
    const std::string zero = Bytes().u16(0x4110).u32(0).fill(20, 0x11).str();
    Model3DS model = loadBytes(mainFile(named("Z", zero) + objectChunks({triangleObject("After")})));
    ASSERT_EQ(model.objectCount, 2);
    EXPECT_EQ(counts(model.objects[1]), (std::vector<size_t>{3, 1, 3, 3, 3})) << model.objects[1].name;
    // A child whose length runs far past its parent and the file.
    const std::string overlong = Bytes().u16(0x4100).u32(0xFFFFFFF0u).str() + vertexChunk({{1, 2, 3}}, 1);
    Model3DS runaway = loadBytes(mainFile(named("R", overlong)));
    ASSERT_EQ(runaway.objectCount, 1);
    EXPECT_EQ(counts(runaway.objects[0]), (std::vector<size_t>{1, 0, 0, 1, 1}));
    // A main chunk that claims more than the file holds.
    EXPECT_EQ(loadBytes(good.substr(0, 2) + "\xFF\xFF\xFF\xFF" + good.substr(6)).objectCount, 2);

    // Deep nesting of meshes and editor chunks does not exhaust the stack.
    std::string nested = vertexChunk({{1, 1, 1}}, 1);
    for (int i = 0; i < 3000; ++i)
        nested = chunk(0x4100, nested);
    EXPECT_EQ(loadBytes(mainFile(named("D", nested))).objectCount, 1);
    std::string editors = named("E", "");
    for (int i = 0; i < 2000; ++i)
        editors = chunk(0x3D3D, chunk(0x3D3E, Bytes().u32(3).str()) + editors);
    EXPECT_EQ(loadBytes(chunk(0x4D4D, editors)).objectCount, 0);
}

TEST(Model3DS, NormalsSumFacesOnceAndSkipBadIndices)
{
    // Beside a real face: vertex 0 named twice (no area), three distinct
    // vertices on one line (0, 3, 4), a vertex the object does not have.
    // Every face of no area counts once where it is named (at coordinates
    // where a second count changes the last bits); the bad face is left out.
    Object3DS object;
    object.vertices = {{0.5f, 0.25f, 0.75f}, {1.9f, 0.2f, -0.3f}, {0.1f, 2.3f, 0.9f},
                       {1.0f, 0.5f, 1.5f},   {1.5f, 0.75f, 2.25f}, {0.7f, -1.3f, 5.1f}};
    object.vertexCount = 6;
    object.faceCount = 2;
    for (const Face3DS& other : {Face3DS{0, 0, 5}, Face3DS{0, 3, 4}, Face3DS{0, 1, 6}}) {
        object.faces = {{0, 1, 2}, other};
        Object3DS reference = object;
        computeNormals(object);
        computeNormalsReference(reference);
        SCOPED_TRACE(other.c);
        ASSERT_EQ(object.normals.size(), reference.normals.size());
        EXPECT_EQ(std::memcmp(object.normals.data(), reference.normals.data(), 6 * sizeof(Vector3)), 0);
        // Named by faces of no area only: no direction; named by none: zero.
        const Vector3& lone = object.normals[other.c == 4 ? 3 : 5];
        EXPECT_EQ(std::isnan(lone.x), other.c != 6);
        EXPECT_TRUE(other.c != 6 || (lone.x == 0 && lone.y == 0 && lone.z == 0));
    }
}

TEST(Model3DS, BoxMarginsDependOnVertexOrder)
{
    // Used vertices (file x) in the given order; a second run only grows the bounds.
    const struct {
        float first, second, margin, minX, maxX;
    } cases[] = {
        {0, 10, 2.5f, -2.5f, 12.5f}, {0, 10, -5, 5, 5}, {0, 3, -5, 8, -2},
        {1, 5, 1, 4, 6},  // a bound of exactly 0.0 starts afresh
    };
    for (const auto& c : cases) {
        Model3DS model;
        model.objects.resize(1);
        model.objects[0].vertices = {{c.first, 0, 0}, {c.second, 0, 0}};
        model.objects[0].faces = {{0, 1, 1}};
        model.objects[0].vertexCount = 2;
        model.objects[0].faceCount = model.objectCount = 1;
        for (int run = 0; run < (c.margin > 0 ? 2 : 1); ++run) {
            model.computeObjectBoxes(c.margin);
            ASSERT_EQ(model.boxes.size(), 1u);
            EXPECT_EQ(std::vector<float>({model.boxes[0].minX, model.boxes[0].maxX}),
                      std::vector<float>({c.minX, c.maxX})) << c.second << " margin " << c.margin;
        }
    }
    // A loaded object's box in drawing axes (X = x, Y = z, Z = -y); a face naming
    // a missing vertex is skipped.
    MeshObject two;
    two.name = "P";
    two.vertices = {{1, 2, 3}, {7, -8, 9}};
    two.faces = {{0, 1, 1}, {0, 1, 5}};
    Model3DS model = loadBytes(write3ds({two}));
    model.computeObjectBoxes(0.5f);
    ASSERT_EQ(model.boxes.size(), 1u);
    const ObjectBox& box = model.boxes[0];
    EXPECT_EQ(std::vector<float>({box.minX, box.maxX, box.minY, box.maxY, box.minZ, box.maxZ}),
              std::vector<float>({0.5f, 7.5f, 2.5f, 9.5f, -2.5f, 8.5f}));

    // The box of everything the display list draws, made at load: both
    // objects, tight, in drawing axes; an object without a drawable face adds
    // nothing, and a model without one draws nothing.
    MeshObject far;
    far.name = "Q";
    far.vertices = {{-4, 20, -6}, {0, 0, 0}, {100, 100, 100}};
    far.faces = {{0, 1, 1}, {2, 2, 7}};
    const Model3DS both = loadBytes(write3ds({two, far}));
    ASSERT_TRUE(both.drawsTriangles);
    const ObjectBox& drawn = both.drawnBox;
    EXPECT_EQ(std::vector<float>({drawn.minX, drawn.maxX, drawn.minY, drawn.maxY, drawn.minZ, drawn.maxZ}),
              std::vector<float>({-4, 7, -6, 9, -20, 8}));
    far.faces = {{2, 2, 7}};
    EXPECT_FALSE(loadBytes(write3ds({far})).drawsTriangles);
}
