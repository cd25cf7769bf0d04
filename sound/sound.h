// The music layer: the six calls of the FMOD 3 sound interface that the
// start-up sequence makes, with the meaning it relies on.
#pragma once

constexpr int FSOUND_FREE = -1;
constexpr unsigned FSOUND_INIT_GLOBALFOCUS = 2;
constexpr int FSOUND_LOOP_NORMAL = 2;

// The library version; the game warns below 3.75.
float FSOUND_GetVersion();
// Opens the audio output; false when there is no device.
bool FSOUND_Init(int mixRate, int maxChannels, unsigned flags);
// Loads a whole sound file into a sample; null when it cannot be read.
struct FSOUND_SAMPLE;
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* fileName, unsigned mode, int offset,
                                  int length);
// Plays the sample on a free channel; the channel number, or -1.
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
// Volume 0 to 255.
bool FSOUND_SetVolume(int channel, int volume);
// FSOUND_LOOP_NORMAL repeats the sound without a gap.
bool FSOUND_SetLoopMode(int channel, int loopMode);

// Test hooks: make the next FSOUND_Init calls with these rates fail, as on a
// machine without that output, and say which rate was opened last.
void soundRefuseRates(int lowestAcceptedRate);
int soundOpenedRate();
