#include <gtest/gtest.h>

#include "sound/sound.h"

// The sound layer runs here on SDL's dummy audio driver (the test
// environment sets SDL_AUDIODRIVER=dummy), which mixes into nothing.
TEST(Sound, StartsFallsBackAndToleratesMissingFiles)
{
    soundRefuseRates(30000);
    EXPECT_FALSE(FSOUND_Init(22050, 8, FSOUND_INIT_GLOBALFOCUS));
    EXPECT_FALSE(FSOUND_Sample_Load(FSOUND_FREE, "Data/Audio/mirelto.mp3", 0, 0, 0))
        << "no device, no sample";
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_FALSE(FSOUND_SetVolume(-1, 255));
    EXPECT_FALSE(FSOUND_SetLoopMode(-1, FSOUND_LOOP_NORMAL));

    soundRefuseRates(0);
    ASSERT_TRUE(FSOUND_Init(44100, 32, FSOUND_INIT_GLOBALFOCUS));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "no/such/file.mp3", 0, 0, 0), nullptr);
}
