#include <gtest/gtest.h>

#include "app/startup.h"
#include "sound/sound.h"
#include "tests/support/test_support.h"

// The sound layer runs here on SDL's dummy audio driver (the test
// environment sets SDL_AUDIODRIVER=dummy), which mixes into nothing. The
// device, once open, stays open for the process, so the cases run in order
// in one test. The start-up's music step tells the player once what is
// missing: the device, or (with a device) music it can play; with both it
// says nothing.
TEST(Sound, StartUpWarnsOnceAboutWhatIsMissing)
{
    const ExpectedBox noDevice{"Cannot init fmod", "Warning", MB_OK | MB_ICONEXCLAMATION, BoxOwner::GameWindow};
    const ExpectedBox noMusic{"Cannot play music Data/Audio/mirelto.mp3", "Warning", MB_OK | MB_ICONEXCLAMATION,
                              BoxOwner::GameWindow};
    const std::string folder = makeScratchDir("music");
    writeFile(folder + "/Data/Audio/mirelto.mp3", std::string(4096, '\x5A'));  // no decoder takes it
    ScopedWorkingDirectory cwd(folder);

    soundRefuseRates(30000);
    EXPECT_FALSE(FSOUND_Init(22050, 8, FSOUND_INIT_GLOBALFOCUS));
    EXPECT_FALSE(FSOUND_Sample_Load(FSOUND_FREE, "Data/Audio/mirelto.mp3", 0, 0, 0)) << "no device, no sample";
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_FALSE(FSOUND_SetVolume(-1, 255));
    EXPECT_FALSE(FSOUND_SetLoopMode(-1, FSOUND_LOOP_NORMAL));
    {
        BoxRecorder boxes;
        soundRefuseRates(1000000);
        startMusic();
        expectBoxes(boxes, {noDevice});
    }

    soundRefuseRates(0);
    {
        BoxRecorder boxes;
        startMusic();
        expectBoxes(boxes, {noMusic});
    }
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "no/such/file.mp3", 0, 0, 0), nullptr);
    {
        ScopedWorkingDirectory game(gameDir());
        BoxRecorder boxes;
        startMusic();
        expectBoxes(boxes, {});
        EXPECT_EQ(soundOpenedRate(), 44100);
    }
}
