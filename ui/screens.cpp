#include "ui/screens.h"

#include "app/window.h"
#include "render/opengl.h"

void drawFrame()
{
    // A dark cave blue until the dungeon is drawn here.
    glClearColor(0.05f, 0.10f, 0.20f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    windowState.frameRate = updateFrameCounter();
}
