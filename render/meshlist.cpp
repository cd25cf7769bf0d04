// The display list built from a loaded model, in drawing axes.
#include "render/meshlist.h"

#include <algorithm>

#include "render/capabilities.h"
#include "render/opengl.h"

namespace {

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
        const Vector3 t = fileToDrawing(entryOrZero(object.tangents, perVertex, k));
        glColor3f(t.x, t.y, t.z);
    }
    const Vector3 n = fileToDrawing(entryOrZero(object.normals, perVertex, k));
    glNormal3f(n.x, n.y, n.z);
    const TexCoord uv = entryOrZero(object.texCoords, object.texCoordCount, k);
    const float s = scale * uv.u;
    const float t = -(scale * uv.v);
    glTexCoord2f(s, t);
    for (GLenum unit = GL_TEXTURE0; unit <= GL_TEXTURE3; ++unit)
        multitexture.glMultiTexCoord2f(unit, s, t);
    const Vector3 v = fileToDrawing(object.vertices[k]);
    glVertex3f(v.x, v.y, v.z);
}

}  // namespace

// Faces that name a vertex the object does not have are left out; missing
// texture coordinates are sent as (0, 0). A model without objects gives a
// valid, empty list.
void buildDisplayList(Model3DS& model, float textureScale, bool sendTangents)
{
    model.displayList = glGenLists(1);
    glNewList(model.displayList, GL_COMPILE);
    for (int32_t i = 0; i < model.objectCount && i < static_cast<int32_t>(model.objects.size()); ++i) {
        const Object3DS& object = model.objects[i];
        glBegin(GL_TRIANGLES);
        forEachDrawnVertex(object, [&](uint32_t k) { emitVertex(object, k, textureScale, sendTangents); });
        glEnd();
    }
    glEndList();
}

void placeModel(const Vector3& position, const Vector3& rotation)
{
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
}
