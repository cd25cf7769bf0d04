#include "tools/generate/music.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "assets/writers.h"
#include "tools/generate/models.h"
#include "tools/generate/noise.h"

namespace {

constexpr uint64_t loopSamples = static_cast<uint64_t>(musicRate) * musicSeconds;
constexpr double pi = 3.14159265358979323846;
constexpr int tableSize = 4096;

const std::vector<float>& sineTable()
{
    static const std::vector<float> table = [] {
        std::vector<float> t(tableSize + 1);
        for (int i = 0; i <= tableSize; ++i)
            t[static_cast<size_t>(i)] = static_cast<float>(std::sin(2.0 * pi * i / tableSize));
        return t;
    }();
    return table;
}

// A sine that makes a whole number of cycles per loop, so it joins itself
// at the loop point. Its phase is kept as an exact integer fraction of the
// loop: (cycles * sample) mod loopSamples.
struct LoopOscillator {
    uint64_t cycles = 0;
    uint64_t phase = 0;

    LoopOscillator(double hertz, uint64_t startSample)
        : cycles(static_cast<uint64_t>(std::llround(hertz * musicSeconds))),
          phase((cycles * (startSample % loopSamples)) % loopSamples)
    {
    }
    float next()
    {
        const double position = static_cast<double>(phase) * tableSize / static_cast<double>(loopSamples);
        const int i = static_cast<int>(position);
        const float f = static_cast<float>(position - i);
        const std::vector<float>& t = sineTable();
        const float value = t[static_cast<size_t>(i)] + (t[static_cast<size_t>(i) + 1] - t[static_cast<size_t>(i)]) * f;
        phase += cycles;
        if (phase >= loopSamples)
            phase -= loopSamples;
        return value;
    }
};

double midiHertz(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// The stereo mix being built: a dry part and a send to the cave reverb.
struct Mix {
    std::vector<float> left, right, sendLeft, sendRight;

    Mix()
        : left(loopSamples), right(loopSamples), sendLeft(loopSamples), sendRight(loopSamples)
    {
    }
    // Adds at sample index `at` (wrapped round the loop).
    void add(uint64_t at, float l, float r, float send)
    {
        const size_t i = static_cast<size_t>(at % loopSamples);
        left[i] += l;
        right[i] += r;
        sendLeft[i] += l * send;
        sendRight[i] += r * send;
    }
};

// Low drones on D and A that swell and fade over the loop.
void addDrones(Mix& mix)
{
    struct Drone {
        int note;
        float level;
        int swellPeriod;  // seconds; divides the loop length
    };
    const Drone drones[] = {{26, 0.11f, 96}, {38, 0.12f, 48}, {45, 0.06f, 32}, {50, 0.03f, 24}};
    for (const Drone& drone : drones) {
        for (int side = 0; side < 2; ++side) {
            const double detune = side == 0 ? 0.9985 : 1.0015;
            LoopOscillator fundamental(midiHertz(drone.note) * detune, 0);
            LoopOscillator second(midiHertz(drone.note) * 2.0 * detune, 0);
            LoopOscillator third(midiHertz(drone.note) * 3.0 * detune, 0);
            LoopOscillator swell(1.0 / drone.swellPeriod, static_cast<uint64_t>(drone.note) * 9000u);
            LoopOscillator timbre(1.0 / 32.0, static_cast<uint64_t>(drone.note) * 4000u);
            for (uint64_t n = 0; n < loopSamples; ++n) {
                const float s = 0.6f + 0.4f * swell.next();
                const float bright = 0.5f + 0.5f * timbre.next();
                const float v = drone.level * s *
                                (fundamental.next() + 0.35f * bright * second.next() + 0.12f * bright * third.next());
                mix.add(n, side == 0 ? v : 0.0f, side == 0 ? 0.0f : v, 0.25f);
            }
        }
    }
}

// Slow pad chords, twelve seconds each, fading into one another.
void addPads(Mix& mix)
{
    const std::vector<std::vector<int>> chords = {
        {50, 53, 57, 62}, {46, 50, 53, 58}, {43, 46, 50, 55}, {50, 53, 57, 60},
        {41, 48, 53, 57}, {48, 52, 55, 60}, {43, 50, 55, 58}, {45, 49, 52, 57},
    };
    const double chordSeconds = static_cast<double>(musicSeconds) / static_cast<double>(chords.size());
    for (size_t c = 0; c < chords.size(); ++c) {
        const double start = chordSeconds * static_cast<double>(c) - 4.0;
        const double length = chordSeconds + 8.0;
        const uint64_t first = static_cast<uint64_t>(std::llround((start + musicSeconds) * musicRate));
        const uint64_t count = static_cast<uint64_t>(length * musicRate);
        for (size_t v = 0; v < chords[c].size(); ++v) {
            const double hertz = midiHertz(chords[c][v]);
            for (int side = 0; side < 2; ++side) {
                const double detune = side == 0 ? 0.998 : 1.002;
                std::vector<LoopOscillator> partials;
                std::vector<float> weights;
                for (int h = 1; h <= 5; ++h) {
                    partials.emplace_back(hertz * h * detune, first);
                    weights.push_back(1.0f / std::pow(static_cast<float>(h), 1.6f));
                }
                for (uint64_t i = 0; i < count; ++i) {
                    const double t = static_cast<double>(i) / musicRate;
                    // Raised-cosine swell in over six seconds, out over six.
                    double envelope = 1.0;
                    if (t < 6.0)
                        envelope = 0.5 - 0.5 * std::cos(pi * t / 6.0);
                    else if (t > length - 6.0)
                        envelope = 0.5 + 0.5 * std::cos(pi * (t - (length - 6.0)) / 6.0);
                    float sum = 0.0f;
                    for (size_t h = 0; h < partials.size(); ++h)
                        sum += weights[h] * partials[h].next();
                    const float value = static_cast<float>(envelope) * 0.038f * sum;
                    const float pan = 0.5f + (static_cast<float>(v) - 1.5f) * 0.15f;
                    mix.add(first + i, side == 0 ? value * (1.0f - pan) * 2.0f : 0.0f,
                            side == 0 ? 0.0f : value * pan * 2.0f, 0.6f);
                }
            }
        }
    }
}

// A struck note: a few inharmonic partials dying away.
void addBell(Mix& mix, uint64_t at, double hertz, float level, float pan, double decay)
{
    const double ratios[3] = {1.0, 2.76, 5.40};
    const float weights[3] = {1.0f, 0.35f, 0.12f};
    const uint64_t count = static_cast<uint64_t>(decay * 5.0 * musicRate);
    for (int p = 0; p < 3; ++p) {
        LoopOscillator partial(hertz * ratios[p], at);
        const double partialDecay = decay / (1.0 + p * 1.5);
        for (uint64_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / musicRate;
            const float attack = static_cast<float>(std::min(1.0, t / 0.004));
            const float v = level * weights[p] * attack * static_cast<float>(std::exp(-t / partialDecay)) * partial.next();
            mix.add(at + i, v * (1.0f - pan), v * pan, 0.8f);
        }
    }
}

// A water drop: a short sine gliding upwards, very dry at the source and
// left mostly to the reverb.
void addDrop(Mix& mix, uint64_t at, double hertz, float level, float pan)
{
    const uint64_t count = static_cast<uint64_t>(0.09 * musicRate);
    double phase = 0.0;
    for (uint64_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / musicRate;
        const double f = hertz * (1.0 + 1.3 * std::min(1.0, t / 0.03));
        phase += f / musicRate;
        const float envelope = static_cast<float>(std::min(1.0, t / 0.002) * std::exp(-t / 0.018));
        const float v = level * envelope * static_cast<float>(std::sin(2.0 * pi * phase));
        mix.add(at + i, v * (1.0f - pan), v * pan, 1.0f);
    }
}

// Sparse bells on the notes of D minor and drops of water, placed with a
// fixed seed.
void addEvents(Mix& mix)
{
    Random random(2024);
    const int bellNotes[] = {62, 65, 69, 72, 74, 77, 81};
    double t = 2.0;
    while (t < musicSeconds - 1.0) {
        const int note = bellNotes[random.below(7)];
        addBell(mix, static_cast<uint64_t>(t * musicRate), midiHertz(note), random.range(0.035f, 0.07f),
                random.range(0.2f, 0.8f), random.range(1.2f, 2.4f));
        t += random.range(3.5f, 8.0f);
    }
    t = 0.7;
    while (t < musicSeconds) {
        addDrop(mix, static_cast<uint64_t>(t * musicRate), random.range(700.0f, 1300.0f), random.range(0.05f, 0.12f),
                random.range(0.1f, 0.9f));
        t += random.range(2.0f, 7.0f);
    }
}

// Cave air: noise through two low-pass stages, run twice round the loop so
// the filters' state at the end matches the start.
void addAir(Mix& mix)
{
    for (int side = 0; side < 2; ++side) {
        Random random(77u + static_cast<uint64_t>(side));
        std::vector<float> noise(loopSamples);
        for (float& v : noise)
            v = random.range(-1.0f, 1.0f);
        float a = 0.0f, b = 0.0f;
        LoopOscillator swell(3.0 / musicSeconds, static_cast<uint64_t>(side) * 500000u);
        for (int pass = 0; pass < 2; ++pass) {
            for (uint64_t n = 0; n < loopSamples; ++n) {
                a += 0.02f * (noise[static_cast<size_t>(n)] - a);
                b += 0.02f * (a - b);
                const float level = 0.05f * (0.6f + 0.4f * swell.next());
                if (pass == 1)
                    mix.add(n, side == 0 ? b * level * 4.0f : 0.0f, side == 0 ? 0.0f : b * level * 4.0f, 0.2f);
            }
        }
    }
}

// A Schroeder-Moorer reverb (damped combs into all-passes) over the send,
// run twice round the loop so its tail wraps into the start.
void addReverb(Mix& mix)
{
    const int combDelays[2][4] = {{1557, 1617, 1491, 1422}, {1580, 1640, 1514, 1445}};
    const int allpassDelays[2][2] = {{556, 441}, {579, 464}};
    for (int side = 0; side < 2; ++side) {
        const std::vector<float>& input = side == 0 ? mix.sendLeft : mix.sendRight;
        std::vector<float>& output = side == 0 ? mix.left : mix.right;
        std::vector<std::vector<float>> combs, allpasses;
        std::vector<size_t> combAt(4, 0), allpassAt(2, 0);
        std::vector<float> damp(4, 0.0f);
        for (int k = 0; k < 4; ++k)
            combs.emplace_back(static_cast<size_t>(combDelays[side][k] * 3), 0.0f);
        for (int k = 0; k < 2; ++k)
            allpasses.emplace_back(static_cast<size_t>(allpassDelays[side][k]), 0.0f);
        for (int pass = 0; pass < 2; ++pass) {
            for (uint64_t n = 0; n < loopSamples; ++n) {
                const float x = input[static_cast<size_t>(n)] * 0.03f;
                float sum = 0.0f;
                for (int k = 0; k < 4; ++k) {
                    std::vector<float>& line = combs[static_cast<size_t>(k)];
                    const float out = line[combAt[static_cast<size_t>(k)]];
                    damp[static_cast<size_t>(k)] += 0.35f * (out - damp[static_cast<size_t>(k)]);
                    line[combAt[static_cast<size_t>(k)]] = x + 0.88f * damp[static_cast<size_t>(k)];
                    combAt[static_cast<size_t>(k)] = (combAt[static_cast<size_t>(k)] + 1) % line.size();
                    sum += out;
                }
                for (int k = 0; k < 2; ++k) {
                    std::vector<float>& line = allpasses[static_cast<size_t>(k)];
                    const float delayed = line[allpassAt[static_cast<size_t>(k)]];
                    const float v = sum + 0.5f * delayed;
                    line[allpassAt[static_cast<size_t>(k)]] = v;
                    sum = delayed - 0.5f * v;
                    allpassAt[static_cast<size_t>(k)] = (allpassAt[static_cast<size_t>(k)] + 1) % line.size();
                }
                if (pass == 1)
                    output[static_cast<size_t>(n)] += sum;
            }
        }
    }
}

}  // namespace

std::vector<float> synthesiseMusic()
{
    Mix mix;
    addDrones(mix);
    addPads(mix);
    addEvents(mix);
    addAir(mix);
    addReverb(mix);
    float peak = 1e-6f;
    for (uint64_t n = 0; n < loopSamples; ++n)
        peak = std::max({peak, std::fabs(mix.left[static_cast<size_t>(n)]), std::fabs(mix.right[static_cast<size_t>(n)])});
    const float gain = 0.8f / peak;
    std::vector<float> out(loopSamples * 2);
    for (uint64_t n = 0; n < loopSamples; ++n) {
        out[static_cast<size_t>(2 * n)] = mix.left[static_cast<size_t>(n)] * gain;
        out[static_cast<size_t>(2 * n + 1)] = mix.right[static_cast<size_t>(n)] * gain;
    }
    return out;
}

std::string encodeMp3(const std::vector<float>& interleaved, int rate)
{
    lame_global_flags* flags = lame_init();
    if (!flags)
        return {};
    lame_set_in_samplerate(flags, rate);
    lame_set_out_samplerate(flags, rate);
    lame_set_num_channels(flags, 2);
    lame_set_mode(flags, JOINT_STEREO);
    lame_set_VBR(flags, vbr_default);
    lame_set_VBR_quality(flags, 4.0f);
    lame_set_bWriteVbrTag(flags, 1);
    lame_set_write_id3tag_automatic(flags, 0);
    if (lame_init_params(flags) < 0) {
        lame_close(flags);
        return {};
    }
    const size_t frames = interleaved.size() / 2;
    std::vector<float> left(frames), right(frames);
    for (size_t i = 0; i < frames; ++i) {
        left[i] = interleaved[2 * i];
        right[i] = interleaved[2 * i + 1];
    }
    std::string out;
    std::vector<unsigned char> buffer(static_cast<size_t>(1.25 * 8192) + 7200);
    for (size_t at = 0; at < frames; at += 8192) {
        const int count = static_cast<int>(std::min<size_t>(8192, frames - at));
        const int bytes = lame_encode_buffer_ieee_float(flags, left.data() + at, right.data() + at, count,
                                                        buffer.data(), static_cast<int>(buffer.size()));
        if (bytes < 0) {
            lame_close(flags);
            return {};
        }
        out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(bytes));
    }
    const int tail = lame_encode_flush(flags, buffer.data(), static_cast<int>(buffer.size()));
    if (tail > 0)
        out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(tail));
    // The stream starts with an empty frame the size of the information
    // frame; put the finished frame (lengths, encoder delay and padding) there.
    unsigned char tag[4096];
    const size_t tagSize = lame_get_lametag_frame(flags, tag, sizeof tag);
    lame_close(flags);
    if (tagSize == 0 || tagSize > out.size())
        return {};
    std::memcpy(&out[0], tag, tagSize);
    return out;
}

bool writeMusic(const std::string& dataDir)
{
    const std::string mp3 = encodeMp3(synthesiseMusic(), musicRate);
    if (mp3.empty())
        return false;
    return saveFile(dataPath(dataDir, "Data/Audio/mirelto.mp3"), mp3);
}
