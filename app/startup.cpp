#include "app/startup.h"

#include "app/camera.h"
#include "app/probe.h"
#include "render/opengl.h"

bool startUpEngine()
{
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glClearStencil(0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    probeGlCapabilities();

    positionCamera(playerCamera, 0.0f, 1.0f, 30.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    positionCamera(menuCamera, 0.0f, 1000.0f, 500.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    return true;
}
