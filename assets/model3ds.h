// A 3DS model as the game uses it: the mesh objects with their vertices,
// triangles and texture coordinates, smooth normals and tangents, the
// per-object boxes and the name of the display list render builds from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/geometry.h"

struct TexCoord {
    float u = 0.0f;
    float v = 0.0f;
};

// One triangle: three vertex indices in file order.
struct Face3DS {
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;
};

// One named mesh object. Coordinates stay in the file's axes (z up).
struct Object3DS {
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    int32_t texCoordCount = 0;
    char name[255] = {};
    std::vector<Vector3> vertices;
    std::vector<Vector3> tangents;
    std::vector<Vector3> normals;
    std::vector<TexCoord> texCoords;
    std::vector<Face3DS> faces;
};

// Bounds of one object in drawing coordinates (y up).
struct ObjectBox {
    float maxX = 0.0f, maxY = 0.0f, maxZ = 0.0f;
    float minX = 0.0f, minY = 0.0f, minZ = 0.0f;
};

struct Model3DS {
    int32_t objectCount = 0;
    std::vector<Object3DS> objects;
    // Box i belongs to object i; the table grows with the objects.
    std::vector<ObjectBox> boxes;
    uint32_t displayList = 0;  // made by buildDisplayList (render/meshlist.h)
    // The box around every triangle the display list draws (objects up to
    // objectCount), in drawing axes, for culling against the view; false in
    // drawsTriangles when the list draws nothing. Set by loading.
    ObjectBox drawnBox;
    bool drawsTriangles = false;

    // Reads the file and computes normals and tangents. Failures are told in
    // message boxes and leave what had been read.
    void load(const std::string& fileName);
    // Reads a model from bytes already in memory; fileName only names it in
    // messages. Used by load, the inspector and the fuzz targets.
    void loadFromMemory(const uint8_t* data, size_t size, const std::string& fileName);

    // Widens (or, for a negative margin, narrows) each object's box, in
    // drawing axes. Only vertices that some face uses count.
    void computeObjectBoxes(float margin);
    // Sets drawnBox and drawsTriangles from the objects as they stand.
    void computeDrawnBox();
};

// Tight bounds of the vertices the object's drawn faces use, in drawing
// axes; false (and the box left as it was) when it draws no face.
bool drawnBounds(const Object3DS& object, ObjectBox& box);

// True when all three indices name vertices the object has.
bool usesOnlyVertices(const Face3DS& face, size_t vertexCount);
// The vertices that both the count and the array hold.
size_t usableVertexCount(const Object3DS& object);

// Calls visit(k) for the vertex index k of every corner a, b, c, face by face,
// of the faces that name only vertices the object has: the triangles that are
// drawn, boxed and culled.
template <typename Visit>
void forEachDrawnVertex(const Object3DS& object, Visit visit)
{
    const size_t vertexCount = usableVertexCount(object);
    for (int32_t f = 0; f < object.faceCount && f < static_cast<int32_t>(object.faces.size()); ++f) {
        const Face3DS& face = object.faces[f];
        if (!usesOnlyVertices(face, vertexCount))
            continue;
        visit(face.a);
        visit(face.b);
        visit(face.c);
    }
}

// Smooth vertex normals: the normalised sum of the faces' area-weighted
// normals. Linear in vertices plus faces.
void computeNormals(Object3DS& object);
// The quadratic method that compares every vertex with every face; kept as
// the reference the fast one must match bit for bit.
void computeNormalsReference(Object3DS& object);
// The cheap tangent approximation (n.y + n.z, 0, n.x) in file axes.
void computeTangents(Object3DS& object);
