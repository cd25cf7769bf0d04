#include "app/startup.h"

#include <string>

#include "app/probe.h"
#include "platform/platform.h"
#include "render/opengl.h"
#include "render/postprocess.h"
#include "render/shader.h"
#include "render/texture.h"
#include "sound/sound.h"
#include "ui/font.h"
#include "ui/menubutton.h"
#include "ui/screens.h"
#include "world/camera.h"
#include "world/world.h"

// The music's sample and channel, kept for the whole run.
struct Music {
    FSOUND_SAMPLE* musicSample = nullptr;
    int musicChannel = -1;
};

static Music music;

const char* const musicFile = "Data/Audio/mirelto.mp3";

namespace {

// The post-processing question; the Czech line is Windows-1250.
const char* const postProcessingQuestion =
    "Would you like To use PostProcessing Effects (like HDR Rendering, Bloom Effects etc.)\n"
    " Chce\x9A pou\x9E\xEDt Post-Processing efekty (jako HDR Rendering, Bloom efekty atd.)?";

void setFixedState()
{
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glClearStencil(0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void askAboutPostProcessing()
{
    const int answer = showMessageBox(postProcessingQuestion, "Information", MB_YESNO | MB_ICONINFORMATION,
                                      BoxOwner::GameWindow);
    if (answer == IDNO) {
        glCaps.floatTexturesEnabled = false;
        postProcessing.postProcessingEnabled = false;
    }
}

}  // namespace

void startMusic()
{
    if (FSOUND_GetVersion() < 3.75f)
        showMessageBox("Bad version of Fmod library", "Warning", MB_OK | MB_ICONEXCLAMATION,
                       BoxOwner::GameWindow);
    const bool device =
        FSOUND_Init(44100, 32, FSOUND_INIT_GLOBALFOCUS) || FSOUND_Init(22050, 8, FSOUND_INIT_GLOBALFOCUS);
    if (!device)
        showMessageBox("Cannot init fmod", "Warning", MB_OK | MB_ICONEXCLAMATION, BoxOwner::GameWindow);
    music.musicSample = FSOUND_Sample_Load(FSOUND_FREE, musicFile, 0, 0, 0);
    music.musicChannel = FSOUND_PlaySound(FSOUND_FREE, music.musicSample);
    FSOUND_SetVolume(music.musicChannel, 255);
    FSOUND_SetLoopMode(music.musicChannel, FSOUND_LOOP_NORMAL);
    // With a device but no music (a missing file, or no decoder for it) the
    // player would otherwise hear nothing without a word.
    if (device && music.musicChannel < 0)
        showMessageBox(std::string("Cannot play music ") + musicFile, "Warning", MB_OK | MB_ICONEXCLAMATION,
                       BoxOwner::GameWindow);
}

namespace {

void loadMenu()
{
    unsigned newGameTexture = 0;
    unsigned authorsTexture = 0;
    unsigned quitTexture = 0;
    loadTexture(newGameTexture, "Data/Textures/Button/NewGame.bmp", false);
    loadTexture(authorsTexture, "Data/Textures/Button/Authors.bmp", false);
    loadTexture(quitTexture, "Data/Textures/Button/QuitGame.bmp", false);
    initMenuButton(menuButtons.newGameButton, 25, 145, 150, 50, newGameTexture, newGameTexture, newGameTexture);
    initMenuButton(menuButtons.authorsButton, 25, 85, 150, 50, authorsTexture, authorsTexture, authorsTexture);
    initMenuButton(menuButtons.quitButton, 25, 25, 150, 50, quitTexture, quitTexture, quitTexture);
    loadTexture(screenState.logoTexture, "Data/EngineLogo.bmp", false);
}

}  // namespace

bool startUpEngine()
{
    setFixedState();
    probeGlCapabilities();
    positionCamera(world.playerCamera, 0.0f, 1.0f, 30.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    createFontLists();
    world.loadLevel(mapFilePath);
    initShaderExtensions();
    setUpPostProcessing();
    askAboutPostProcessing();
    shaderGl.glUseProgramObjectARB(0);
    startMusic();
    positionCamera(menuCamera, 0.0f, 1000.0f, 500.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    loadMenu();
    return true;
}
