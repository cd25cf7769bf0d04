// The post-processing steps of a frame, offered to the world's frame as plain
// functions: the full-size HDR image, the exposure that follows the
// brightness at the centre of the view, the one-eighth bloom image, and the
// quad that composes them through the post-processing program. Also the
// camera's view loaded into the model-view matrix, which every pass starts from.
#pragma once

#include "core/geometry.h"
#include "render/framebuffer.h"
#include "render/shader.h"

// The exposure rule: the target is the ceiling minus the sampled colour's
// weighted brightness (the weights add up to 1), and the exposure moves
// towards it by one step per frame.
constexpr float exposureCeiling = 1.5f;
constexpr float redWeight = 0.3f;
constexpr float greenWeight = 0.5f;
constexpr float blueWeight = 0.2f;
constexpr float exposureStep = 0.005f;
constexpr float startExposure = 1.0f;

// Everything the post-processed frame keeps between frames, set up once at
// start-up.
struct PostProcessing {
    bool postProcessingEnabled = false;  // a framebuffer exists and the user did not decline
    ShaderProgram postProgram;           // built from "Data/Shaders/Post.vert" and "Post.frag"
    int hdrTextureLocation = 0;          // location of "hdrTexture" in postProgram
    int bloomTextureLocation = 0;        // location of "bloomTexture" in postProgram
    Framebuffer sceneFramebuffer;        // window size
    Framebuffer bloomFramebuffer;        // one eighth of the window size in each direction
    float currentExposure = startExposure;       // handed to the program; moves 0.005 per frame at most
    float targetExposure = 0.0f;         // where currentExposure is heading
    float sampledColor[3] = {};          // the pixel read back at the centre of the view
};

extern PostProcessing postProcessing;

// Post-processing is used in a frame when the framebuffers exist, the user
// accepted it and float textures are available.
bool postProcessingActive();

// The exposure the sampled colour asks for: 1.5 minus its weighted brightness.
float exposureTarget(float red, float green, float blue);

// One frame's step of the exposure towards the target: 0.005 up or down, or
// no change when the target is within 0.005.
float stepExposure(float current, float target);

// Builds the post-processing program, caches its two sampler locations and
// creates the two framebuffers from the configured window size; sets
// postProcessingEnabled when either framebuffer was made.
void setUpPostProcessing();

// Deletes the post-processing program while the context is current (at
// shutdown, before the window goes); safe to repeat.
void releasePostProcessing();

// Loads the camera's view into the model-view matrix (identity, then the
// look-at transform); clears nothing.
void lookThrough(const Camera& camera);
// Clears colour, depth and stencil, then looks through the camera.
void clearAndLookThrough(const Camera& camera);

// Binds the full-size framebuffer (viewport to its size, cleared).
void beginSceneImage();
// With the scene image still bound and the camera's look-at in place: reads
// the pixel where the camera's view point falls, sets the target exposure
// from it and moves the exposure one step towards it. A pixel that cannot be
// located keeps the last sample.
void adaptExposure(const Camera& camera);
// Unbinds the full-size framebuffer and binds the one-eighth one (viewport
// to its size, cleared).
void beginBloomImage();
// Unbinds the one-eighth framebuffer.
void endBloomImage();
// The viewport back to the whole window.
void windowViewport();
// Clears the window and draws the window-sized quad through the
// post-processing program: the full-size image on unit 0, the one-eighth
// image on unit 1 (which stays active), the current exposure.
void composePicture();
