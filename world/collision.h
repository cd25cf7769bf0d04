// Sphere-against-triangle collision that keeps the first-person camera out of
// the walls, floors and ceilings of one level piece. Every triangle the
// sphere penetrates pushes the camera back out along the triangle's normal,
// so the player slides along walls.
#pragma once

#include "assets/model3ds.h"
#include "core/geometry.h"

// Where a sphere lies against a plane.
enum SphereClass : int { BEHIND = 0, INTERSECTS = 1, FRONT = 2 };

// Pushes camera.position and camera.view out of every triangle of model that
// the sphere (center, radius) penetrates. center is the camera position
// relative to the piece's origin; turn rotates the model's drawing-frame
// coordinates by the piece's Y rotation. center is not moved during the call,
// so pushes from several faces add up.
void collideCameraWithPiece(const Model3DS& model, Camera& camera, const Vector3& center, float radius,
                            const Matrix4& turn);

// Classifies the sphere against the plane through point with the given unit
// normal; distance receives the signed distance of the centre in every case.
SphereClass classifySphere(const Vector3& center, const Vector3& normal, const Vector3& point, float radius,
                           float& distance);

// True when point lies inside the polygon: the angles the edges subtend at
// the point add up to (nearly) a full turn.
bool insidePolygon(const Vector3& point, const Vector3* vertices, int count);

// True when some edge of the polygon passes closer than radius to center.
bool edgeSphereCollision(const Vector3& center, const Vector3* vertices, int count, float radius);

// The point of segment a-b nearest to point.
Vector3 closestPointOnLine(const Vector3& a, const Vector3& b, const Vector3& point);

// The angle between two vectors in radians; 0 when it cannot be computed
// (a zero vector, or rounding pushed the cosine out of [-1, 1]).
double angleBetweenVectors(const Vector3& a, const Vector3& b);

// The plane constant D of normal . x + D = 0 for the plane through point.
float planeDistance(const Vector3& normal, const Vector3& point);

// How far to move a sphere at signed distance d from the plane so that it
// ends at distance radius on the side it is on (the back side when d <= 0).
Vector3 getCollisionOffset(const Vector3& normal, float radius, float distance);
