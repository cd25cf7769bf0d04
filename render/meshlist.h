// A loaded model compiled into one display list: every object's triangles in
// drawing axes with normals, texture coordinates on units 0 to 3 and, for
// the lighting programs, the tangent as the vertex colour.
#pragma once

#include "assets/model3ds.h"
#include "core/geometry.h"

// Makes model.displayList and compiles the model into it. Faces naming a
// vertex the object lacks are left out; missing texture coordinates go as
// (0, 0). A model without objects gives a valid, empty list.
void buildDisplayList(Model3DS& model, float textureScale, bool sendTangents);

// Multiplies the current matrix by a placed model's transform: the
// translation by position, then the turns about X, Y and Z (degrees).
void placeModel(const Vector3& position, const Vector3& rotation);
