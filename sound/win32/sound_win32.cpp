// The music layer on the Windows multimedia API. A sample is an MCI device
// opened on the file (MPEG audio through the system's own decoder); a
// channel plays one sample and can repeat it from the start endlessly.
#include "sound/sound.h"

#include <windows.h>
#include <mmsystem.h>

#include <cwchar>
#include <string>

struct FSOUND_SAMPLE {
    int device = -1;  // the number in the MCI alias, -1 while unused
};

namespace {

constexpr int maxSamples = 8;
constexpr int maxChannels = 32;

// The layer's state in one record.
struct SoundState {
    bool open = false;
    int openedRate = 0;
    int lowestAcceptedRate = 0;  // test hook: rates below this fail
    int channelCount = 0;
    FSOUND_SAMPLE samples[maxSamples];
    int sampleCount = 0;
    FSOUND_SAMPLE* playing[maxChannels] = {};
};

SoundState sound;

// Sends one MCI command about the sample's device; true on success.
bool mci(const FSOUND_SAMPLE& sample, const std::wstring& verb, const std::wstring& rest = L"")
{
    const std::wstring command = verb + L" plemox_music" + std::to_wstring(sample.device) +
                                 (rest.empty() ? L"" : L" " + rest);
    return mciSendStringW(command.c_str(), nullptr, 0, nullptr) == 0;
}

bool validChannel(int channel)
{
    return sound.open && channel >= 0 && channel < sound.channelCount && sound.playing[channel];
}

// The game never stops its music, but the system's player runs threads of
// its own that must not outlive the program: its devices are closed when
// the program ends (this runs before the state above goes).
struct ClosedAtExit {
    ~ClosedAtExit()
    {
        for (int i = 0; i < sound.sampleCount; ++i)
            if (sound.samples[i].device >= 0)
                mci(sound.samples[i], L"close");
    }
};
ClosedAtExit closedAtExit;

}  // namespace

float FSOUND_GetVersion()
{
    // This layer offers everything the game uses from release 3.75 on.
    return 3.75f;
}

bool FSOUND_Init(int mixRate, int maxChannelCount, unsigned /*flags*/)
{
    if (sound.open)
        return true;
    if (mixRate < sound.lowestAcceptedRate || mixRate <= 0 || maxChannelCount <= 0)
        return false;
    // No wave-out device, no music: the game says so and goes on.
    if (waveOutGetNumDevs() == 0)
        return false;
    sound.open = true;
    sound.openedRate = mixRate;
    sound.channelCount = maxChannelCount > maxChannels ? maxChannels : maxChannelCount;
    return true;
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int /*index*/, const char* fileName, unsigned /*mode*/, int /*offset*/,
                                  int /*length*/)
{
    if (!sound.open || !fileName || sound.sampleCount >= maxSamples)
        return nullptr;
    // MCI takes the file name inside quotes, so a name holding one is refused.
    const std::string name = fileName;
    if (name.empty() || name.find('"') != std::string::npos)
        return nullptr;
    const int length = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (length <= 0)
        return nullptr;
    std::wstring wideName(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wideName[0], length);
    // The whole path with the system's separators: the MCI device resolves
    // the name in its own way.
    for (wchar_t& c : wideName)
        if (c == L'/')
            c = L'\\';
    wchar_t fullName[MAX_PATH];
    const DWORD fullLength = GetFullPathNameW(wideName.c_str(), MAX_PATH, fullName, nullptr);
    if (fullLength == 0 || fullLength >= MAX_PATH)
        return nullptr;
    wideName = fullName;
    const DWORD attributes = GetFileAttributesW(wideName.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    FSOUND_SAMPLE* sample = &sound.samples[sound.sampleCount];
    sample->device = sound.sampleCount;
    const std::wstring command = L"open \"" + wideName + L"\" type mpegvideo alias plemox_music" +
                                 std::to_wstring(sample->device);
    if (mciSendStringW(command.c_str(), nullptr, 0, nullptr) != 0) {
        sample->device = -1;
        return nullptr;
    }
    ++sound.sampleCount;
    return sample;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    if (!sound.open || !sample || sample->device < 0)
        return -1;
    int chosen = channel;
    if (channel == FSOUND_FREE) {
        chosen = -1;
        for (int i = 0; i < sound.channelCount && chosen < 0; ++i) {
            if (!sound.playing[i])
                chosen = i;
        }
    }
    if (chosen < 0 || chosen >= sound.channelCount)
        return -1;
    if (!mci(*sample, L"play", L"from 0"))
        return -1;
    sound.playing[chosen] = sample;
    return chosen;
}

bool FSOUND_SetVolume(int channel, int volume)
{
    if (!validChannel(channel))
        return false;
    const int clamped = volume < 0 ? 0 : (volume > 255 ? 255 : volume);
    // MCI volumes run from 0 to 1000.
    return mci(*sound.playing[channel], L"setaudio", L"volume to " + std::to_wstring(clamped * 1000 / 255));
}

bool FSOUND_SetLoopMode(int channel, int loopMode)
{
    if (!validChannel(channel))
        return false;
    if (loopMode != FSOUND_LOOP_NORMAL)
        return true;
    return mci(*sound.playing[channel], L"play", L"from 0 repeat");
}

void soundRefuseRates(int lowestAcceptedRate)
{
    sound.lowestAcceptedRate = lowestAcceptedRate;
}

int soundOpenedRate()
{
    return sound.openedRate;
}
