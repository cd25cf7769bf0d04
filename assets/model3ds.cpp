#include "assets/model3ds.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

#include "core/bytereader.h"
#include "platform/platform.h"

namespace {

constexpr uint16_t MainChunk = 0x4D4D;
constexpr uint16_t VersionChunk = 0x0002;
constexpr uint16_t EditorChunk = 0x3D3D;
constexpr uint16_t ObjectChunk = 0x4000;
constexpr uint16_t MeshChunk = 0x4100;
constexpr uint16_t VertexChunk = 0x4110;
constexpr uint16_t FaceChunk = 0x4120;
constexpr uint16_t MappingChunk = 0x4140;

constexpr uint32_t chunkHeaderSize = 6;
// Editor chunks inside editor chunks, or meshes inside meshes, deeper than
// this are skipped: real files nest two or three levels.
constexpr int maxNesting = 16;
// Named objects beyond this many are skipped: no real model comes near it,
// and each object record costs far more memory than its few bytes of file.
constexpr size_t maxObjects = 65536;
// The name field holds 254 bytes and the terminator.
constexpr size_t maxNameLength = sizeof(Object3DS::name) - 1;

// The header of the chunk being read. start and end are offsets in the file;
// end is already cut to the parent's end, so nothing inside a chunk can reach
// past its parent or the file.
struct Chunk3DS {
    uint16_t id = 0;
    uint32_t length = 0;
    uint32_t bytesRead = 0;
    size_t start = 0;
    size_t end = 0;
};

// One pass over a file in memory.
struct ChunkWalker {
    ByteReader reader;
    Model3DS& model;

    // Bytes of the chunk not yet read.
    size_t left(const Chunk3DS& chunk) const
    {
        return chunk.end > reader.position() ? chunk.end - reader.position() : 0;
    }

    // Reads the next child header inside parent. False when the parent has no
    // room for a header or the child's length is smaller than its header,
    // either of which ends the walk of the parent.
    bool readChunkHeader(Chunk3DS& chunk, const Chunk3DS& parent)
    {
        if (left(parent) < chunkHeaderSize)
            return false;
        chunk.start = reader.position();
        chunk.id = reader.u16();
        chunk.length = reader.u32();
        chunk.bytesRead = chunkHeaderSize;
        if (chunk.length < chunkHeaderSize)
            return false;
        chunk.end = chunk.start + std::min<size_t>(chunk.length, parent.end - chunk.start);
        return true;
    }

    // Marks the chunk as consumed whole (as far as it lies inside its parent).
    void skipRest(Chunk3DS& chunk) { chunk.bytesRead = static_cast<uint32_t>(chunk.end - chunk.start); }

    // Leaves the reader right after what the chunk consumed.
    void finish(const Chunk3DS& chunk) { reader.seek(std::min(chunk.start + chunk.bytesRead, chunk.end)); }

    // Reads bytes up to and including a zero byte, inside the chunk; keeps the
    // first 254 of them. Returns the number of bytes read, terminator included.
    uint32_t readChunkString(char* destination, const Chunk3DS& chunk)
    {
        uint32_t count = 0;
        size_t stored = 0;
        while (left(chunk) > 0) {
            const uint8_t byte = reader.u8();
            ++count;
            if (byte == 0)
                break;
            if (stored < maxNameLength)
                destination[stored++] = static_cast<char>(byte);
        }
        destination[stored] = '\0';
        return count;
    }

    // Reads the counted vertices that the chunk actually holds.
    void readVertices(Object3DS& object, Chunk3DS& chunk)
    {
        const uint16_t count = left(chunk) >= 2 ? reader.u16() : 0;
        const size_t present = std::min<size_t>(count, left(chunk) / 12);
        object.vertices.assign(present, Vector3());
        for (Vector3& v : object.vertices) {
            v.x = reader.f32();
            v.y = reader.f32();
            v.z = reader.f32();
        }
        object.vertexCount = static_cast<int32_t>(present);
        skipRest(chunk);
    }

    // Reads the counted faces; a fourth value per face (edge flags) is read and
    // dropped. Only the face data is consumed, so the face list's own
    // sub-chunks are met next by the enclosing walker; a list cut short by its
    // chunk keeps the faces that are whole and consumes the chunk.
    void readFaces(Object3DS& object, Chunk3DS& chunk)
    {
        const uint16_t count = left(chunk) >= 2 ? reader.u16() : 0;
        const size_t present = std::min<size_t>(count, left(chunk) / 8);
        object.faces.assign(present, Face3DS());
        for (Face3DS& face : object.faces) {
            face.a = reader.u16();
            face.b = reader.u16();
            face.c = reader.u16();
            reader.u16();
        }
        object.faceCount = static_cast<int32_t>(present);
        if (present == count && chunk.start + chunkHeaderSize + 2 <= chunk.end)
            chunk.bytesRead = static_cast<uint32_t>(chunkHeaderSize + 2 + 8 * present);
        else
            skipRest(chunk);
    }

    // Reads the counted (u, v) pairs that the chunk actually holds.
    void readTexCoords(Object3DS& object, Chunk3DS& chunk)
    {
        const uint16_t count = left(chunk) >= 2 ? reader.u16() : 0;
        const size_t present = std::min<size_t>(count, left(chunk) / 8);
        object.texCoords.assign(present, TexCoord());
        for (TexCoord& t : object.texCoords) {
            t.u = reader.f32();
            t.v = reader.f32();
        }
        object.texCoordCount = static_cast<int32_t>(present);
        skipRest(chunk);
    }

    // Reads up to four bytes of the version chunk and warns about files newer
    // than version 3.
    void readVersion(Chunk3DS& chunk)
    {
        uint8_t bytes[4] = {};
        reader.read(bytes, std::min<size_t>(4, left(chunk)));
        const uint32_t version = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                 (static_cast<uint32_t>(bytes[3]) << 24);
        if ((version & 0xFFFF) > 3)
            showMessageBox("This 3DS file is over version 3 so it may load incorrectly", "Warning",
                           MB_OK);
        skipRest(chunk);
    }

    // Walks the children of a named object or of its triangle mesh.
    void processObjectChunks(Object3DS& object, Chunk3DS& parent, int depth)
    {
        Chunk3DS child;
        while (reader.position() < parent.end && readChunkHeader(child, parent)) {
            switch (child.id) {
            case MeshChunk:
                if (depth < maxNesting)
                    processObjectChunks(object, child, depth + 1);
                skipRest(child);
                break;
            case VertexChunk:
                readVertices(object, child);
                break;
            case FaceChunk:
                readFaces(object, child);
                break;
            case MappingChunk:
                readTexCoords(object, child);
                break;
            default:
                skipRest(child);
                break;
            }
            finish(child);
        }
    }

    // Walks the children of the main chunk and of the editor chunk.
    void processChunks(Chunk3DS& parent, int depth)
    {
        Chunk3DS child;
        while (reader.position() < parent.end && readChunkHeader(child, parent)) {
            switch (child.id) {
            case VersionChunk:
                readVersion(child);
                break;
            case EditorChunk: {
                // The first sub-chunk (the mesh version) is consumed whole,
                // whatever it is; the rest are walked like the main chunk's.
                Chunk3DS scratch;
                if (depth < maxNesting && readChunkHeader(scratch, child)) {
                    reader.seek(scratch.end);
                    processChunks(child, depth + 1);
                }
                skipRest(child);
                break;
            }
            case ObjectChunk: {
                if (model.objects.size() >= maxObjects) {
                    skipRest(child);
                    break;
                }
                model.objects.emplace_back();
                model.objectCount = static_cast<int32_t>(model.objects.size());
                Object3DS& object = model.objects.back();
                child.bytesRead += readChunkString(object.name, child);
                processObjectChunks(object, child, depth + 1);
                skipRest(child);
                break;
            }
            default:
                skipRest(child);
                break;
            }
            finish(child);
        }
    }
};

// The raw (area-weighted) normal of a face, clockwise in file order.
Vector3 faceNormal(const Object3DS& object, const Face3DS& face)
{
    const Vector3& a = object.vertices[face.a];
    const Vector3& b = object.vertices[face.b];
    const Vector3& c = object.vertices[face.c];
    return cross(a - c, c - b);
}

// The vertex normal from the sum of its faces' normals and their number.
Vector3 vertexNormal(const Vector3& sum, uint32_t faces)
{
    if (faces == 0)
        return Vector3();
    return normalize(sum / -static_cast<float>(faces));
}

// Moves one bound by one coordinate with the margin, as the box rule says:
// strict comparisons against the stored bound.
void widen(float value, float margin, float& lower, float& upper)
{
    if (value < lower)
        lower = value - margin;
    if (value > upper)
        upper = value + margin;
}

// A bound of exactly 0.0 counts as unset and starts afresh.
void resetUnsetBounds(ObjectBox& box)
{
    if (box.maxX == 0.0f)
        box.maxX = -1e7f;
    if (box.maxY == 0.0f)
        box.maxY = -1e7f;
    if (box.maxZ == 0.0f)
        box.maxZ = -1e7f;
    if (box.minX == 0.0f)
        box.minX = 1e7f;
    if (box.minY == 0.0f)
        box.minY = 1e7f;
    if (box.minZ == 0.0f)
        box.minZ = 1e7f;
}

}  // namespace

bool usesOnlyVertices(const Face3DS& face, size_t vertexCount)
{
    return face.a < vertexCount && face.b < vertexCount && face.c < vertexCount;
}

size_t usableVertexCount(const Object3DS& object)
{
    return std::min<size_t>(static_cast<size_t>(std::max(object.vertexCount, 0)), object.vertices.size());
}

// Faces naming a vertex beyond the object's vertices are left out. A vertex
// that no face uses gets the zero vector.
void computeNormals(Object3DS& object)
{
    const size_t count = usableVertexCount(object);
    std::vector<Vector3> sums(count);
    std::vector<uint32_t> shared(count, 0);
    for (const Face3DS& face : object.faces) {
        if (!usesOnlyVertices(face, count))
            continue;
        const Vector3 normal = faceNormal(object, face);
        sums[face.a] = sums[face.a] + normal;
        ++shared[face.a];
        if (face.b != face.a) {
            sums[face.b] = sums[face.b] + normal;
            ++shared[face.b];
        }
        if (face.c != face.a && face.c != face.b) {
            sums[face.c] = sums[face.c] + normal;
            ++shared[face.c];
        }
    }
    object.normals.resize(count);
    for (size_t i = 0; i < count; ++i)
        object.normals[i] = vertexNormal(sums[i], shared[i]);
}

// Every vertex against every face, summing in face order.
void computeNormalsReference(Object3DS& object)
{
    const size_t count = usableVertexCount(object);
    object.normals.resize(count);
    for (size_t i = 0; i < count; ++i) {
        Vector3 sum;
        uint32_t shared = 0;
        for (const Face3DS& face : object.faces) {
            if (!usesOnlyVertices(face, count))
                continue;
            if (face.a == i || face.b == i || face.c == i) {
                sum = sum + faceNormal(object, face);
                ++shared;
            }
        }
        object.normals[i] = vertexNormal(sum, shared);
    }
}

// One tangent per normal, (n.y + n.z, 0, n.x), not normalised.
void computeTangents(Object3DS& object)
{
    object.tangents.resize(object.normals.size());
    for (size_t i = 0; i < object.normals.size(); ++i) {
        const Vector3& n = object.normals[i];
        object.tangents[i] = Vector3(n.y + n.z, 0.0f, n.x);
    }
}

// Reads the whole file into memory and loads from there.
void Model3DS::load(const std::string& fileName)
{
    std::vector<uint8_t> bytes;
    if (!readFileBytes(fileName.c_str(), bytes)) {
        showMessageBox("Unable to find the file: " + fileName + "!", "Error", MB_OK);
        return;
    }
    loadFromMemory(bytes.data(), bytes.size(), fileName);
}

// Walks the main chunk, then computes normals, tangents and the drawn box.
void Model3DS::loadFromMemory(const uint8_t* data, size_t size, const std::string& fileName)
{
    ChunkWalker walker{ByteReader(data, size), *this};
    Chunk3DS main;
    main.id = walker.reader.u16();
    main.length = walker.reader.u32();
    if (main.id != MainChunk) {
        showMessageBox("Unable to load PRIMARY chunk from file: " + fileName + "!", "Error", MB_OK);
        computeDrawnBox();
        return;
    }
    main.end = std::min<size_t>(main.length, size);
    if (main.length >= chunkHeaderSize)
        walker.processChunks(main, 0);

    for (Object3DS& object : objects) {
        computeNormals(object);
        computeTangents(object);
    }
    computeDrawnBox();
}

namespace {

// Widens bounds to take in the box from low to high.
void takeIn(ObjectBox& bounds, const Vector3& low, const Vector3& high)
{
    bounds.minX = std::min(bounds.minX, low.x);
    bounds.minY = std::min(bounds.minY, low.y);
    bounds.minZ = std::min(bounds.minZ, low.z);
    bounds.maxX = std::max(bounds.maxX, high.x);
    bounds.maxY = std::max(bounds.maxY, high.y);
    bounds.maxZ = std::max(bounds.maxZ, high.z);
}

// Bounds that any point widens.
constexpr ObjectBox emptyBounds{-FLT_MAX, -FLT_MAX, -FLT_MAX, FLT_MAX, FLT_MAX, FLT_MAX};

}  // namespace

bool drawnBounds(const Object3DS& object, ObjectBox& box)
{
    bool any = false;
    ObjectBox bounds = emptyBounds;
    forEachDrawnVertex(object, [&](uint32_t k) {
        const Vector3 d = fileToDrawing(object.vertices[k]);
        takeIn(bounds, d, d);
        any = true;
    });
    if (any)
        box = bounds;
    return any;
}

void Model3DS::computeDrawnBox()
{
    ObjectBox bounds = emptyBounds;
    drawsTriangles = false;
    const size_t count = std::min<size_t>(static_cast<size_t>(std::max(objectCount, 0)), objects.size());
    for (size_t i = 0; i < count; ++i) {
        ObjectBox box;
        if (!drawnBounds(objects[i], box))
            continue;
        takeIn(bounds, {box.minX, box.minY, box.minZ}, {box.maxX, box.maxY, box.maxZ});
        drawsTriangles = true;
    }
    drawnBox = drawsTriangles ? bounds : ObjectBox();
}

// The box table grows to one box per object. The result depends on the order
// of the vertices: each comparison is made against a bound that already
// holds the margin of an earlier vertex.
void Model3DS::computeObjectBoxes(float margin)
{
    const size_t count = std::min<size_t>(static_cast<size_t>(std::max(objectCount, 0)), objects.size());
    if (boxes.size() < count)
        boxes.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const Object3DS& object = objects[i];
        ObjectBox& box = boxes[i];
        forEachDrawnVertex(object, [&](uint32_t k) {
            const Vector3 v = fileToDrawing(object.vertices[k]);
            resetUnsetBounds(box);
            widen(v.x, margin, box.minX, box.maxX);
            widen(v.y, margin, box.minY, box.maxY);
            widen(v.z, margin, box.minZ, box.maxZ);
        });
    }
}
