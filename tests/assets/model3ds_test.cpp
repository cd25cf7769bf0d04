#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "assets/model3ds.h"
#include "assets/writers.h"
#include "tests/support/test_support.h"

namespace {

// Little builders for hand-made chunk layouts.
std::string u16(unsigned v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

std::string u32(uint32_t v)
{
    return u16(v & 0xFFFF) + u16(v >> 16);
}

std::string f32(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return u32(bits);
}

std::string chunk(unsigned id, const std::string& payload)
{
    return u16(id) + u32(static_cast<uint32_t>(payload.size() + 6)) + payload;
}

std::string vertexChunk(const std::vector<Vector3>& vertices, unsigned count)
{
    std::string data = u16(count);
    for (const Vector3& v : vertices)
        data += f32(v.x) + f32(v.y) + f32(v.z);
    return chunk(0x4110, data);
}

std::string faceData(const std::vector<Face3DS>& faces, unsigned count)
{
    std::string data = u16(count);
    for (const Face3DS& f : faces)
        data += u16(f.a) + u16(f.b) + u16(f.c) + u16(0);
    return data;
}

std::string mappingChunk(const std::vector<TexCoord>& coords, unsigned count)
{
    std::string data = u16(count);
    for (const TexCoord& t : coords)
        data += f32(t.u) + f32(t.v);
    return chunk(0x4140, data);
}

std::string mainFile(const std::string& editorChildren, const std::string& extra = "")
{
    return chunk(0x4D4D, chunk(0x0002, u32(3)) + chunk(0x3D3D, chunk(0x3D3E, u32(3)) + editorChildren) +
                             extra);
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

bool sameBits(const Vector3& a, const Vector3& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameNormals(const Object3DS& a, const Object3DS& b)
{
    if (a.normals.size() != b.normals.size())
        return false;
    for (size_t i = 0; i < a.normals.size(); ++i)
        if (!sameBits(a.normals[i], b.normals[i]))
            return false;
    return true;
}

}  // namespace

TEST(Model3DS, KnownTriangleGivesUpNormalsAndTangents)
{
    BoxRecorder boxes;
    Model3DS model = loadBytes(write3ds({triangleObject("Tri")}));
    EXPECT_TRUE(boxes.boxes().empty());
    ASSERT_EQ(model.objectCount, 1);
    const Object3DS& object = model.objects[0];
    EXPECT_STREQ(object.name, "Tri");
    EXPECT_EQ(object.vertexCount, 3);
    EXPECT_EQ(object.faceCount, 1);
    EXPECT_EQ(object.texCoordCount, 3);
    EXPECT_FLOAT_EQ(object.texCoords[0].u, 0.25f);
    EXPECT_FLOAT_EQ(object.texCoords[0].v, 0.75f);
    EXPECT_EQ(object.faces[0].a, 0u);
    EXPECT_EQ(object.faces[0].b, 1u);
    EXPECT_EQ(object.faces[0].c, 2u);
    ASSERT_EQ(object.normals.size(), 3u);
    ASSERT_EQ(object.tangents.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(object.normals[i].x, 0.0f);
        EXPECT_FLOAT_EQ(object.normals[i].y, 0.0f);
        EXPECT_FLOAT_EQ(object.normals[i].z, 1.0f);
        // (n.y + n.z, 0, n.x)
        EXPECT_FLOAT_EQ(object.tangents[i].x, 1.0f);
        EXPECT_FLOAT_EQ(object.tangents[i].y, 0.0f);
        EXPECT_FLOAT_EQ(object.tangents[i].z, 0.0f);
    }
    // The reverse winding points down.
    MeshObject reversed = triangleObject("Rev");
    reversed.faces = {{0, 2, 1}};
    Model3DS down = loadBytes(write3ds({reversed}));
    EXPECT_FLOAT_EQ(down.objects[0].normals[0].z, -1.0f);
}

TEST(Model3DS, VersionWarningAndMissingFiles)
{
    {
        BoxRecorder boxes;
        Model3DS model = loadBytes(write3ds({triangleObject("A")}, 3));
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_EQ(model.objectCount, 1);
    }
    {
        BoxRecorder boxes;
        Model3DS model = loadBytes(write3ds({triangleObject("A")}, 4));
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "This 3DS file is over version 3 so it may load incorrectly");
        EXPECT_EQ(boxes.boxes()[0].caption, "Warning");
        EXPECT_EQ(boxes.boxes()[0].type, static_cast<unsigned>(MB_OK));
        EXPECT_EQ(boxes.boxes()[0].owner, BoxOwner::None);
        EXPECT_EQ(model.objectCount, 1);
        EXPECT_EQ(model.objects[0].faceCount, 1);
    }
    {
        // Only the low 16 bits count.
        BoxRecorder boxes;
        loadBytes(write3ds({triangleObject("A")}, 0x00050003));
        EXPECT_TRUE(boxes.boxes().empty());
    }
    {
        BoxRecorder boxes;
        Model3DS model;
        model.load("/nonexistent/Model.3DS");
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "Unable to find the file: /nonexistent/Model.3DS!");
        EXPECT_EQ(boxes.boxes()[0].caption, "Error");
        EXPECT_EQ(boxes.boxes()[0].type, static_cast<unsigned>(MB_OK));
        EXPECT_EQ(model.objectCount, 0);
        EXPECT_TRUE(model.objects.empty());
    }
    {
        BoxRecorder boxes;
        Model3DS model = loadBytes(chunk(0x3D3D, chunk(0x3D3E, u32(3))), "Bad.3DS");
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "Unable to load PRIMARY chunk from file: Bad.3DS!");
        EXPECT_EQ(boxes.boxes()[0].caption, "Error");
        EXPECT_EQ(model.objectCount, 0);
        boxes.clear();
        loadBytes("", "Empty.3DS");
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Unable to load PRIMARY chunk from file: Empty.3DS!"});
    }
}

TEST(Model3DS, LoadReadsTheFileLikeMemory)
{
    const std::string dir = makeScratchDir("model3ds");
    const std::string bytes = write3ds({triangleObject("One"), triangleObject("Two")});
    writeFile(dir + "/m.3DS", bytes);
    BoxRecorder boxes;
    Model3DS model;
    model.load(dir + "/m.3DS");
    EXPECT_TRUE(boxes.boxes().empty());
    ASSERT_EQ(model.objectCount, 2);
    EXPECT_STREQ(model.objects[1].name, "Two");
    EXPECT_TRUE(sameNormals(model.objects[0], loadBytes(bytes).objects[0]));
}

TEST(Model3DS, SkipsEveryOtherChunkAndKeepsByteCounts)
{
    const std::vector<Vector3> vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const std::vector<Face3DS> faces = {{0, 1, 2}, {1, 3, 2}};
    // Face list with its own sub-chunks (face materials, smoothing groups)
    // after the face data; these are met by the mesh walker and skipped.
    const std::string faceList =
        chunk(0x4120, faceData(faces, 2) + chunk(0x4130, std::string("Mat\0", 4) + u16(1) + u16(0)) +
                          chunk(0x4150, u32(1) + u32(1)));
    const std::string mesh = chunk(0x4100, vertexChunk(vertices, 4) + chunk(0x4111, std::string(8, '\x01')) +
                                               chunk(0x4160, std::string(48, '\x7F')) + faceList +
                                               mappingChunk({{0, 0}, {1, 0}, {0, 1}, {1, 1}}, 4));
    const std::string box = chunk(0x4000, std::string("Box\0", 4) + mesh);
    const std::string light = chunk(0x4000, std::string("Lamp\0", 5) + chunk(0x4600, f32(1) + f32(2) + f32(3)));
    const std::string camera = chunk(0x4000, std::string("Cam\0", 4) + chunk(0x4700, std::string(32, '\0')));
    // A material chunk whose bytes would look like a named object if entered.
    const std::string material = chunk(0xAFFF, chunk(0x4000, std::string("Fake\0", 5)));
    const std::string scale = chunk(0x0100, f32(1.0f));
    // A keyframer chunk of a megabyte, full of bytes that look like chunks.
    std::string keyframerData;
    while (keyframerData.size() < (1u << 20))
        keyframerData += chunk(0x4000, std::string("Key\0", 4));
    const std::string keyframer = chunk(0xB000, keyframerData);
    const std::string file = chunk(0x4D4D, chunk(0x0002, u32(3)) + material +
                                               chunk(0x3D3D, chunk(0x3D3E, u32(3)) + scale + material + box +
                                                                 light + camera) +
                                               keyframer + chunk(0x1234, std::string(100, '\x33')));
    BoxRecorder boxes;
    Model3DS model = loadBytes(file);
    EXPECT_TRUE(boxes.boxes().empty());
    ASSERT_EQ(model.objectCount, 3);
    ASSERT_EQ(model.objects.size(), 3u);
    const Object3DS& object = model.objects[0];
    EXPECT_STREQ(object.name, "Box");
    EXPECT_EQ(object.vertexCount, 4);
    EXPECT_EQ(object.faceCount, 2);
    EXPECT_EQ(object.texCoordCount, 4);
    EXPECT_EQ(object.faces[1].a, 1u);
    EXPECT_EQ(object.faces[1].b, 3u);
    EXPECT_EQ(object.faces[1].c, 2u);
    EXPECT_FLOAT_EQ(object.vertices[3].y, 1.0f);
    EXPECT_FLOAT_EQ(object.texCoords[3].v, 1.0f);
    for (const Object3DS* empty : {&model.objects[1], &model.objects[2]}) {
        EXPECT_EQ(empty->vertexCount, 0);
        EXPECT_EQ(empty->faceCount, 0);
        EXPECT_EQ(empty->texCoordCount, 0);
        EXPECT_TRUE(empty->vertices.empty());
        EXPECT_TRUE(empty->normals.empty());
    }
    EXPECT_STREQ(model.objects[1].name, "Lamp");
    EXPECT_STREQ(model.objects[2].name, "Cam");
}

TEST(Model3DS, ObjectsInFileOrderWithAndWithoutMapping)
{
    MeshObject plain = triangleObject("Plain");
    plain.texCoords.clear();
    Model3DS model = loadBytes(write3ds({triangleObject("First"), plain, triangleObject("Third")}));
    ASSERT_EQ(model.objectCount, 3);
    EXPECT_STREQ(model.objects[0].name, "First");
    EXPECT_STREQ(model.objects[1].name, "Plain");
    EXPECT_STREQ(model.objects[2].name, "Third");
    EXPECT_EQ(model.objects[1].texCoordCount, 0);
    EXPECT_TRUE(model.objects[1].texCoords.empty());
    EXPECT_EQ(model.objects[1].faceCount, 1);
}

TEST(Model3DS, LongNamesAreCutAndCountsFollowTheData)
{
    const std::string longName(300, 'N');
    // Vertex chunk claiming 10 vertices with data for 3; mapping chunk
    // claiming 5 pairs with 2; a second mapping chunk with spare bytes.
    const std::vector<Vector3> three = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const std::string shortMesh =
        chunk(0x4100, vertexChunk(three, 10) + mappingChunk({{1, 2}, {3, 4}}, 5) +
                          chunk(0x4120, faceData({{0, 1, 2}, {0, 1, 2}}, 7)));
    const std::string spareMesh =
        chunk(0x4100, vertexChunk(three, 2) +
                          chunk(0x4140, u16(1) + f32(5) + f32(6) + std::string(13, '\x55')) +
                          chunk(0x4120, faceData({{0, 1, 1}}, 1)));
    const std::string file = mainFile(chunk(0x4000, longName + std::string(1, '\0') + shortMesh) +
                                      chunk(0x4000, std::string("Spare\0", 6) + spareMesh));
    Model3DS model = loadBytes(file);
    ASSERT_EQ(model.objectCount, 2);
    const Object3DS& cut = model.objects[0];
    EXPECT_EQ(std::strlen(cut.name), 254u);
    EXPECT_EQ(std::string(cut.name), longName.substr(0, 254));
    EXPECT_EQ(cut.vertexCount, 3);
    EXPECT_EQ(cut.vertices.size(), 3u);
    EXPECT_EQ(cut.texCoordCount, 2);
    EXPECT_FLOAT_EQ(cut.texCoords[1].v, 4.0f);
    EXPECT_EQ(cut.faceCount, 2);
    EXPECT_EQ(cut.normals.size(), 3u);

    const Object3DS& spare = model.objects[1];
    EXPECT_STREQ(spare.name, "Spare");
    EXPECT_EQ(spare.vertexCount, 2);
    EXPECT_EQ(spare.texCoordCount, 1);
    EXPECT_FLOAT_EQ(spare.texCoords[0].u, 5.0f);
    EXPECT_EQ(spare.faceCount, 1);
}

TEST(Model3DS, BrokenChunkLayoutsEndTheWalk)
{
    const std::string good = write3ds({triangleObject("A"), triangleObject("B")});
    BoxRecorder boxes;
    // Every cut of a good file loads something sane.
    for (size_t cut = 0; cut <= good.size(); ++cut) {
        Model3DS model = loadBytes(good.substr(0, cut));
        EXPECT_LE(model.objectCount, 2);
        for (const Object3DS& object : model.objects) {
            EXPECT_LE(object.vertexCount, 3);
            EXPECT_EQ(object.normals.size(), static_cast<size_t>(object.vertexCount));
        }
    }
    // A zero-length child inside an object ends that object's walk; the next
    // object is still found because its parent's length is known.
    const std::string zero = u16(0x4110) + u32(0) + std::string(20, '\x11');
    Model3DS model = loadBytes(mainFile(chunk(0x4000, std::string("Z\0", 2) + zero) +
                                        write3ds({triangleObject("After")}).substr(6 + 10 + 6 + 10)));
    ASSERT_EQ(model.objectCount, 2);
    EXPECT_STREQ(model.objects[1].name, "After");
    EXPECT_EQ(model.objects[1].faceCount, 1);

    // A child whose length runs far past its parent and the file.
    const std::string overlong = u16(0x4100) + u32(0xFFFFFFF0u) + vertexChunk({{1, 2, 3}}, 1);
    Model3DS runaway = loadBytes(mainFile(chunk(0x4000, std::string("R\0", 2) + overlong)));
    ASSERT_EQ(runaway.objectCount, 1);
    EXPECT_EQ(runaway.objects[0].vertexCount, 1);

    // A main chunk that claims more than the file holds.
    std::string claimed = good;
    claimed[2] = claimed[3] = claimed[4] = claimed[5] = '\xFF';
    EXPECT_EQ(loadBytes(claimed).objectCount, 2);

    // Deep nesting of meshes and editor chunks does not exhaust the stack.
    std::string nested = vertexChunk({{1, 1, 1}}, 1);
    for (int i = 0; i < 3000; ++i)
        nested = chunk(0x4100, nested);
    EXPECT_EQ(loadBytes(mainFile(chunk(0x4000, std::string("D\0", 2) + nested))).objectCount, 1);
    std::string editors = chunk(0x4000, std::string("E\0", 2));
    for (int i = 0; i < 2000; ++i)
        editors = chunk(0x3D3D, chunk(0x3D3E, u32(3)) + editors);
    EXPECT_EQ(loadBytes(chunk(0x4D4D, editors)).objectCount, 0);

    // Random damage to a good file never crashes.
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = good;
        const int flips = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < flips; ++i)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        Model3DS any = loadBytes(damaged);
        any.computeObjectBoxes(2.5f);
        EXPECT_EQ(any.boxes.size(), any.objects.size());
    }
}

TEST(Model3DS, NormalsSumFacesOnceAndSkipBadIndices)
{
    Object3DS object;
    // Vertices 0, 3 and 4 lie exactly on one line.
    object.vertices = {{0.5f, 0.25f, 0.75f}, {1.9f, 0.2f, -0.3f}, {0.1f, 2.3f, 0.9f},
                       {1.0f, 0.5f, 1.5f},   {1.5f, 0.75f, 2.25f}, {0.7f, -1.3f, 5.1f}};
    object.vertexCount = 6;
    const Face3DS real = {0, 1, 2};
    object.faces = {real};
    object.faceCount = 1;
    computeNormals(object);
    const Vector3 alone = object.normals[0];

    // The raw normal, as the loader forms it.
    const Vector3 a = object.vertices[0], b = object.vertices[1], c = object.vertices[2];
    const Vector3 raw = cross(a - c, c - b);
    const Vector3 byTwo = normalize(raw / -2.0f);
    const Vector3 byThree = normalize(raw / -3.0f);
    ASSERT_FALSE(sameBits(byTwo, byThree)) << "pick coordinates where the count shows";

    // A face naming vertex 0 twice (zero area) adds nothing but counts once.
    object.faces = {real, {0, 0, 5}};
    object.faceCount = 2;
    computeNormals(object);
    EXPECT_TRUE(sameBits(object.normals[0], byTwo));
    // A degenerate face with three distinct collinear vertices adds nothing.
    object.faces = {real, {0, 3, 4}};
    computeNormals(object);
    EXPECT_TRUE(sameBits(object.normals[0], byTwo));
    EXPECT_TRUE(std::isnan(object.normals[3].x));  // only degenerate faces: no direction
    // The direction is that of the real face alone.
    EXPECT_NEAR(object.normals[0].x, alone.x, 1e-6f);
    EXPECT_NEAR(object.normals[0].z, alone.z, 1e-6f);

    // A face naming a vertex the object does not have is left out; a vertex
    // no face uses gets the zero vector.
    object.faces = {real, {0, 1, 9}};
    computeNormals(object);
    EXPECT_TRUE(sameBits(object.normals[0], alone));
    EXPECT_EQ(object.normals[5].x, 0.0f);
    EXPECT_EQ(object.normals[5].y, 0.0f);
    EXPECT_EQ(object.normals[5].z, 0.0f);
    Object3DS reference = object;
    computeNormalsReference(reference);
    EXPECT_TRUE(sameNormals(object, reference));
}

TEST(Model3DS, LinearNormalsMatchTheReferenceBitForBit)
{
    std::mt19937 random(99);
    std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
    for (int round = 0; round < 40; ++round) {
        Object3DS object;
        const int vertices = 3 + static_cast<int>(random() % 60);
        for (int i = 0; i < vertices; ++i)
            object.vertices.emplace_back(coordinate(random), coordinate(random), coordinate(random));
        object.vertexCount = vertices;
        const int faces = static_cast<int>(random() % 150);
        for (int i = 0; i < faces; ++i) {
            // Mostly good faces, some repeating a vertex, a few out of range.
            const uint32_t range = (random() % 20 == 0) ? vertices + 3 : vertices;
            Face3DS face{static_cast<uint32_t>(random() % range), static_cast<uint32_t>(random() % range),
                         static_cast<uint32_t>(random() % range)};
            if (random() % 7 == 0)
                face.c = face.a;
            object.faces.push_back(face);
        }
        object.faceCount = faces;
        Object3DS reference = object;
        computeNormals(object);
        computeNormalsReference(reference);
        ASSERT_TRUE(sameNormals(object, reference)) << "round " << round;
        computeTangents(object);
        for (size_t i = 0; i < object.normals.size(); ++i) {
            const Vector3& n = object.normals[i];
            const Vector3& t = object.tangents[i];
            EXPECT_TRUE(sameBits(t, Vector3(n.y + n.z, 0.0f, n.x)));
        }
    }
}

TEST(Model3DS, BoxMarginsDependOnVertexOrder)
{
    // One object whose used vertices (file x) come in the given order.
    const auto modelWithXs = [](std::vector<float> xs) {
        Model3DS model;
        Object3DS object;
        for (float x : xs)
            object.vertices.emplace_back(x, 0.0f, 0.0f);
        object.vertexCount = static_cast<int32_t>(xs.size());
        object.faces = {{0, 1, 1}};
        object.faceCount = 1;
        model.objects.push_back(object);
        model.objectCount = 1;
        return model;
    };
    Model3DS widened = modelWithXs({0.0f, 10.0f});
    widened.computeObjectBoxes(2.5f);
    ASSERT_EQ(widened.boxes.size(), 1u);
    EXPECT_FLOAT_EQ(widened.boxes[0].minX, -2.5f);
    EXPECT_FLOAT_EQ(widened.boxes[0].maxX, 12.5f);

    Model3DS narrowed = modelWithXs({0.0f, 10.0f});
    narrowed.computeObjectBoxes(-5.0f);
    EXPECT_FLOAT_EQ(narrowed.boxes[0].minX, 5.0f);
    EXPECT_FLOAT_EQ(narrowed.boxes[0].maxX, 5.0f);

    Model3DS ordered = modelWithXs({0.0f, 3.0f});
    ordered.computeObjectBoxes(-5.0f);
    EXPECT_FLOAT_EQ(ordered.boxes[0].minX, 8.0f);
    EXPECT_FLOAT_EQ(ordered.boxes[0].maxX, -2.0f);

    // A bound that comes to be exactly 0.0 starts afresh at the next vertex.
    Model3DS reset = modelWithXs({1.0f, 5.0f});
    reset.computeObjectBoxes(1.0f);
    EXPECT_FLOAT_EQ(reset.boxes[0].minX, 4.0f);
    EXPECT_FLOAT_EQ(reset.boxes[0].maxX, 6.0f);

    // Running again only grows from the present bounds.
    widened.computeObjectBoxes(2.5f);
    EXPECT_FLOAT_EQ(widened.boxes[0].minX, -2.5f);
    EXPECT_FLOAT_EQ(widened.boxes[0].maxX, 12.5f);
}

TEST(Model3DS, BoxesUseDrawingAxesAndGrowWithTheObjects)
{
    MeshObject point;
    point.name = "P";
    point.vertices = {{1.0f, 2.0f, 3.0f}, {7.0f, -8.0f, 9.0f}, {0.0f, 0.0f, 0.0f}};
    point.faces = {{0, 1, 1}, {0, 1, 2}};
    std::vector<MeshObject> objects(10, point);
    objects[3].faces.push_back({0, 1, 40});  // out of range: skipped
    Model3DS model = loadBytes(write3ds(objects));
    ASSERT_EQ(model.objectCount, 10);
    model.computeObjectBoxes(2.5f);
    ASSERT_EQ(model.boxes.size(), 10u);
    for (const ObjectBox& box : model.boxes) {
        // Drawing axes: X = x, Y = z, Z = -y.
        EXPECT_FLOAT_EQ(box.minX, -1.5f);  // 1 - 2.5, then 0 (not below -1.5)
        EXPECT_FLOAT_EQ(box.maxX, 9.5f);
        EXPECT_FLOAT_EQ(box.minY, -2.5f);  // 3 - 2.5 = 0.5, then 0 < 0.5
        EXPECT_FLOAT_EQ(box.maxY, 11.5f);
        EXPECT_FLOAT_EQ(box.minZ, -4.5f);
        EXPECT_FLOAT_EQ(box.maxZ, 10.5f);
    }

    Model3DS empty;
    empty.computeObjectBoxes(2.5f);
    EXPECT_TRUE(empty.boxes.empty());
}
