// The background music: a dark, calm underground piece (drones, slow pads
// in D minor, sparse bells and water drops in a cave reverb), synthesised
// here and encoded as MP3 with LAME. The signal is periodic over its length
// (every frequency a whole number of cycles per loop, every event and echo
// wrapped round), so the end flows into the start when the game loops it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int musicRate = 44100;
constexpr int musicSeconds = 96;

// Interleaved stereo samples in [-1, 1], musicSeconds long.
std::vector<float> synthesiseMusic();

// The MP3 file of the given interleaved stereo samples, with the LAME/Xing
// information frame at its start (so decoders can play it gaplessly).
// Empty on failure.
std::string encodeMp3(const std::vector<float>& interleaved, int rate);

// Writes Data/Audio/mirelto.mp3 under dataDir; false on failure.
bool writeMusic(const std::string& dataDir);
