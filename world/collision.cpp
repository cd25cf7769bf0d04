#include "world/collision.h"

#include <algorithm>
#include <cmath>

namespace {

// A full turn less one percent: a point inside a triangle sums to 2 pi.
constexpr double insideAngleSum = 6.220353454107791;

}  // namespace

float planeDistance(const Vector3& normal, const Vector3& point)
{
    return -(normal.x * point.x + normal.y * point.y + normal.z * point.z);
}

SphereClass classifySphere(const Vector3& center, const Vector3& normal, const Vector3& point, float radius,
                           float& distance)
{
    const float d = planeDistance(normal, point);
    distance = normal.x * center.x + normal.y * center.y + normal.z * center.z + d;
    if (absolute(distance) < radius)
        return INTERSECTS;
    if (distance >= radius)
        return FRONT;
    return BEHIND;
}

double angleBetweenVectors(const Vector3& a, const Vector3& b)
{
    const float cosine = dot(a, b) / (magnitude(a) * magnitude(b));
    const double angle = std::acos(static_cast<double>(cosine));
    if (std::isnan(angle) || angle < -360.0 || angle > 360.0)
        return 0.0;
    return angle;
}

bool insidePolygon(const Vector3& point, const Vector3* vertices, int count)
{
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        const Vector3 a = vertices[i] - point;
        const Vector3 b = vertices[(i + 1) % count] - point;
        sum += angleBetweenVectors(a, b);
    }
    return sum >= insideAngleSum;
}

Vector3 closestPointOnLine(const Vector3& a, const Vector3& b, const Vector3& point)
{
    const float length = distance(a, b);
    // A segment of no length has only one point; its direction would be NaN.
    if (length == 0.0f)
        return a;
    const Vector3 direction = normalize(b - a);
    const float t = dot(direction, point - a);
    if (t <= 0.0f)
        return a;
    if (t >= length)
        return b;
    return a + direction * t;
}

bool edgeSphereCollision(const Vector3& center, const Vector3* vertices, int count, float radius)
{
    for (int i = 0; i < count; ++i) {
        const Vector3 nearest = closestPointOnLine(vertices[i], vertices[(i + 1) % count], center);
        if (distance(nearest, center) < radius)
            return true;
    }
    return false;
}

Vector3 getCollisionOffset(const Vector3& normal, float radius, float distance)
{
    if (distance > 0.0f)
        return normal * (radius - distance);
    return normal * -(radius + distance);
}

void collideCameraWithPiece(const Model3DS& model, Camera& camera, const Vector3& center, float radius,
                            const Matrix4& turn)
{
    const size_t objectCount = std::min<size_t>(static_cast<size_t>(std::max(model.objectCount, 0)), model.objects.size());
    for (size_t i = 0; i < objectCount; ++i) {
        const Object3DS& object = model.objects[i];
        const size_t vertexCount =
            std::min<size_t>(static_cast<size_t>(std::max(object.vertexCount, 0)), object.vertices.size());
        const size_t normalCount = object.normals.size();
        const size_t faceCount = std::min<size_t>(static_cast<size_t>(std::max(object.faceCount, 0)), object.faces.size());
        for (size_t f = 0; f < faceCount; ++f) {
            const Face3DS& face = object.faces[f];
            const uint32_t index[3] = {face.a, face.b, face.c};
            // A face that names a vertex the object does not have is skipped.
            if (index[0] >= vertexCount || index[1] >= vertexCount || index[2] >= vertexCount ||
                index[0] >= normalCount || index[1] >= normalCount || index[2] >= normalCount)
                continue;

            Vector3 corners[3];
            Vector3 normalSum;
            for (int k = 0; k < 3; ++k) {
                corners[k] = turn.transformPoint(fileToDrawing(object.vertices[index[k]]));
                normalSum = normalSum + fileToDrawing(object.normals[index[k]]);
            }
            const Vector3 normal = turn.transformPoint(normalize(normalSum));

            float d = 0.0f;
            if (classifySphere(center, normal, corners[0], radius, d) != INTERSECTS)
                continue;

            const Vector3 foot = center - normal * d;
            if (insidePolygon(foot, corners, 3) || edgeSphereCollision(center, corners, 3, radius * 0.5f)) {
                const Vector3 offset = getCollisionOffset(normal, radius, d);
                camera.position = camera.position + offset;
                camera.view = camera.view + offset;
            }
        }
    }
}
