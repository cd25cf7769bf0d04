// The display list and the per-object boxes built from a loaded model. Both
// turn file axes (z up) into drawing axes (y up): (x, y, z) becomes (x, z, -y).
#include <algorithm>

#include "app/probe.h"
#include "assets/model3ds.h"
#include "render/opengl.h"

namespace {

// The vertices that both the count and the array hold.
size_t drawableVertexCount(const Object3DS& object)
{
    return std::min<size_t>(static_cast<size_t>(std::max(object.vertexCount, 0)), object.vertices.size());
}

// True when all three indices name vertices the object has.
bool faceIsDrawable(const Face3DS& face, size_t vertexCount)
{
    return face.a < vertexCount && face.b < vertexCount && face.c < vertexCount;
}

// Entry k of a per-vertex array, or the zero value when the array is shorter.
template <typename T>
T entryOrZero(const std::vector<T>& values, int32_t count, uint32_t k)
{
    if (k < values.size() && static_cast<int64_t>(k) < count)
        return values[k];
    return T();
}

// Sends one vertex with its tangent (as the colour), normal and texture
// coordinates on the plain set and on units 0 to 3.
void emitVertex(const Object3DS& object, uint32_t k, float scale, bool sendTangents)
{
    const int32_t perVertex = static_cast<int32_t>(std::min<size_t>(object.vertices.size(), INT32_MAX));
    if (sendTangents) {
        const Vector3 t = entryOrZero(object.tangents, perVertex, k);
        glColor3f(t.x, t.z, -t.y);
    }
    const Vector3 n = entryOrZero(object.normals, perVertex, k);
    glNormal3f(n.x, n.z, -n.y);
    const TexCoord uv = entryOrZero(object.texCoords, object.texCoordCount, k);
    const float s = scale * uv.u;
    const float t = -(scale * uv.v);
    glTexCoord2f(s, t);
    if (multitexture.glMultiTexCoord2f) {
        for (GLenum unit = GL_TEXTURE0; unit <= GL_TEXTURE3; ++unit)
            multitexture.glMultiTexCoord2f(unit, s, t);
    }
    const Vector3& v = object.vertices[k];
    glVertex3f(v.x, v.z, -v.y);
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

// Faces that name a vertex the object does not have are left out; missing
// texture coordinates are sent as (0, 0). A model without objects gives a
// valid, empty list.
void Model3DS::buildDisplayList(float textureScale, bool sendTangents)
{
    displayList = glGenLists(1);
    glNewList(displayList, GL_COMPILE);
    for (int32_t i = 0; i < objectCount && i < static_cast<int32_t>(objects.size()); ++i) {
        const Object3DS& object = objects[i];
        const size_t vertexCount = drawableVertexCount(object);
        glBegin(GL_TRIANGLES);
        for (int32_t f = 0; f < object.faceCount && f < static_cast<int32_t>(object.faces.size()); ++f) {
            const Face3DS& face = object.faces[f];
            if (!faceIsDrawable(face, vertexCount))
                continue;
            emitVertex(object, face.a, textureScale, sendTangents);
            emitVertex(object, face.b, textureScale, sendTangents);
            emitVertex(object, face.c, textureScale, sendTangents);
        }
        glEnd();
    }
    glEndList();
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
        const size_t vertexCount = drawableVertexCount(object);
        ObjectBox& box = boxes[i];
        for (int32_t f = 0; f < object.faceCount && f < static_cast<int32_t>(object.faces.size()); ++f) {
            const Face3DS& face = object.faces[f];
            if (!faceIsDrawable(face, vertexCount))
                continue;
            for (const uint32_t k : {face.a, face.b, face.c}) {
                const Vector3& v = object.vertices[k];
                resetUnsetBounds(box);
                widen(v.x, margin, box.minX, box.maxX);
                widen(v.z, margin, box.minY, box.maxY);
                widen(-v.y, margin, box.minZ, box.maxZ);
            }
        }
    }
}
