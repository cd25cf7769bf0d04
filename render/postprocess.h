// The frame of the 3D world: the logic pass, two scene passes and, when
// post-processing is active, the HDR image, the one-eighth bloom image, the
// exposure that follows the brightness at the centre of the view, and the
// quad that composes them through the post-processing program.
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

// The world's drawing: false runs the logic and visibility pass, true the
// scene pass. shown is false for a scene pass whose picture the frame clears
// before anything shows it: it applies its rules and need draw nothing. The
// world installs its renderWorld at start-up; until then no scene is drawn.
using ScenePassFunction = void (*)(bool scenePass, bool shown);
void setScenePass(ScenePassFunction scenePass);

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

// Draws one frame of the world as seen by camera, through the framebuffers
// and the post-processing program when active, straight into the window
// otherwise.
void renderWorldFrame(Camera camera);
