// The game rules the passes apply, in plain functions without OpenGL: the
// nearest level piece and its collision, the light of a piece, pickups, prop
// contact and hazards, the reset and the end of the level. Each works on the
// World it is given and that world's player camera.
#pragma once

#include <cstdint>

#include "assets/model3ds.h"
#include "core/geometry.h"
#include "world/world.h"

// Game constants.
constexpr int32_t maxHitPoints = 1000;       // start value and ceiling
constexpr int32_t bottleHitPoints = 100;     // added per bottle picked up
constexpr float pickupDistance = 20.0f;      // camera to bottle, strictly less
constexpr float hazardDistance = 30.0f;      // camera to hazard prop, strictly less
constexpr float pushOutDistance = 2.5f;      // camera moved out of a prop's box per scene pass
constexpr float collisionRadius = 15.0f;     // the camera's sphere
constexpr float initialBestDistance = 1e7f;  // start of both nearest searches

// True when min <= point <= max on all three axes.
bool pointInBox(const Vector3& point, const ObjectBox& box);

// Index of the level piece (isProp 0) whose origin is nearest to point; the
// earlier piece wins a tie. -1 when the map has no level piece in reach.
int nearestLevelPiece(const World& world, const Vector3& point);

// The light that lights a piece: the world's light nearest to the piece's
// position (earlier wins a tie). A map without lights lights every piece
// from 100 units straight above its own origin.
Vector3 lightForPiece(const World& world, const Vector3& piecePosition);

// Logic pass, first: pushes the player camera out of the nearest level
// piece's collision model (turned by its Y rotation), the coarse hull just
// inside its drawn rock. Nothing without a level piece.
void collideWithNearestPiece(World& world);

// Logic pass, after the occlusion tests: every bottle within pickupDistance
// of the player camera is taken, visible or not: counted, hidden, and worth
// bottleHitPoints.
void collectBottles(World& world);

// Logic pass, last: the level is complete once every bottle is collected.
void checkLevelComplete(World& world);

// Scene pass, skip rule: a prop is drawn only when its last occlusion test
// found it visible; level pieces are always drawn.
bool pieceDrawn(const LevelPiece& piece);

// The inverse of the piece's Y rotation, applied to point - position: a
// world point in the piece's own (Y-unturned) coordinates.
Vector3 backTurn(const LevelPiece& piece, const Vector3& point);

// Scene pass, after a visible piece is drawn: pushes the player camera out of
// the box of the model's first object, then applies the piece's hazard damage
// when the camera is near. Does nothing for a piece not marked visible.
void propContact(World& world, const LevelPiece& piece);

// End of both passes: a reset when hitPoints fell below 0, then the ceiling.
void endOfPassRules(World& world);

// Puts the player camera at the player start, looking along +Z.
void resetPlayerCamera(World& world);
