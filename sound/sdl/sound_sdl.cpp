// The music layer on SDL2_mixer. A sample is decoded into memory once; the
// channel it plays on loops it from memory, so the repeat has no gap.
#include "sound/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

struct FSOUND_SAMPLE {
    Mix_Chunk* chunk = nullptr;
};

namespace {

// The layer's state in one record.
struct SoundState {
    bool open = false;           // the audio device is open
    int openedRate = 0;          // mixing rate of the open device
    int lowestAcceptedRate = 0;  // test hook: rates below this fail
    FSOUND_SAMPLE samples[8];    // loaded samples
    int sampleCount = 0;
    FSOUND_SAMPLE* playing[32] = {};  // sample on each channel
};

SoundState sound;

bool validChannel(int channel)
{
    return sound.open && channel >= 0 && channel < Mix_AllocateChannels(-1);
}

}  // namespace

float FSOUND_GetVersion()
{
    // This layer offers everything the game uses from release 3.75 on.
    return 3.75f;
}

bool FSOUND_Init(int mixRate, int maxChannels, unsigned /*flags*/)
{
    if (sound.open)
        return true;
    if (mixRate < sound.lowestAcceptedRate || mixRate <= 0 || maxChannels <= 0)
        return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudio(mixRate, AUDIO_S16SYS, 2, 4096) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_Init(MIX_INIT_MP3);
    Mix_AllocateChannels(maxChannels > 32 ? 32 : maxChannels);
    sound.open = true;
    sound.openedRate = mixRate;
    return true;
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int /*index*/, const char* fileName, unsigned /*mode*/, int /*offset*/,
                                  int /*length*/)
{
    if (!sound.open || !fileName || sound.sampleCount >= 8)
        return nullptr;
    Mix_Chunk* chunk = Mix_LoadWAV(fileName);
    if (!chunk)
        return nullptr;
    FSOUND_SAMPLE* sample = &sound.samples[sound.sampleCount++];
    sample->chunk = chunk;
    return sample;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    if (!sound.open || !sample || !sample->chunk)
        return -1;
    const int played = Mix_PlayChannel(channel == FSOUND_FREE ? -1 : channel, sample->chunk, 0);
    if (played >= 0 && played < 32)
        sound.playing[played] = sample;
    return played;
}

bool FSOUND_SetVolume(int channel, int volume)
{
    if (!validChannel(channel))
        return false;
    const int clamped = volume < 0 ? 0 : (volume > 255 ? 255 : volume);
    Mix_Volume(channel, clamped * MIX_MAX_VOLUME / 255);
    return true;
}

bool FSOUND_SetLoopMode(int channel, int loopMode)
{
    if (!validChannel(channel) || channel >= 32 || !sound.playing[channel])
        return false;
    if (loopMode != FSOUND_LOOP_NORMAL)
        return true;
    // Restart the channel with endless repeats, keeping its volume.
    const int volume = Mix_Volume(channel, -1);
    Mix_HaltChannel(channel);
    if (Mix_PlayChannel(channel, sound.playing[channel]->chunk, -1) < 0)
        return false;
    Mix_Volume(channel, volume);
    return true;
}

void soundRefuseRates(int lowestAcceptedRate)
{
    sound.lowestAcceptedRate = lowestAcceptedRate;
}

int soundOpenedRate()
{
    return sound.openedRate;
}
