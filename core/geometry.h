// Small value types for points, directions and transforms. Plain records,
// copied by value; nothing here allocates.
#pragma once

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector3 operator+(const Vector3& b) const { return {x + b.x, y + b.y, z + b.z}; }
    Vector3 operator-(const Vector3& b) const { return {x - b.x, y - b.y, z - b.z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3 operator/(float s) const { return {x / s, y / s, z / s}; }
};

Vector3 cross(const Vector3& a, const Vector3& b);
float dot(const Vector3& a, const Vector3& b);
float magnitude(const Vector3& v);
// v divided by its length; a zero vector gives NaNs, as callers expect.
Vector3 normalize(const Vector3& v);
float distance(const Vector3& a, const Vector3& b);
float absolute(float f);

// Model files are z-up; everything drawn or collided is y-up: a file point,
// normal or tangent (x, y, z) becomes (x, z, -y).
inline Vector3 fileToDrawing(const Vector3& v)
{
    return {v.x, v.z, -v.y};
}

// A viewer: the eye point, the point looked at (never the eye point itself)
// and the up vector. Nine floats, copied by value wherever a view is drawn.
struct Camera {
    Vector3 position;
    Vector3 view;
    Vector3 up;
};

// Sixteen floats in OpenGL's column-major order: element k is column k / 4,
// row k % 4; elements 12, 13 and 14 hold the translation.
struct Matrix4 {
    float m[16] = {};

    void identity();
    // Overwrites the matrix with a rotation by angleDegrees, the axis weights
    // scaling the angle about X, Y and Z. With weights (0, 1, 0) it turns
    // about Y in the same sense as glRotatef.
    void rotate(float angleDegrees, float wx, float wy, float wz);
    // Replaces the matrix by its inverse; a singular matrix becomes identity.
    void invert();
    // The point with w = 1, no perspective division.
    Vector3 transformPoint(const Vector3& p) const;
};
