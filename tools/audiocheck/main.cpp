// plemox-audiocheck: compares a recording of what the game played with the
// music file it plays (decoded with SDL_mixer).
//
//   plemox-audiocheck MUSIC RECORDING [--raw=RATE] [--after=S] [--dropouts=P]
// RECORDING is a 16-bit stereo WAV file, or raw samples of that kind at RATE.
// The recording is followed a second at a time through the piece; it passes
// when the seconds from the music's start on are the piece at that place
// (at most P in a hundred may not be: dropouts of a player that streams its
// decoder on a busy machine; default none), at the file's own level, and the
// piece starts again after its end and is heard for S more seconds
// (default 4). Prints the figures; exit status 1 when it fails, 2 on bad input.
//
//   plemox-audiocheck --pace FIFO RECORDING
// The other half of a recording device without a clock of its own (ALSA's
// file device over its null device takes samples as fast as they come):
// reads the WAV stream written into FIFO at the rate its header gives, so the
// writer plays in real time, and writes it to RECORDING as it comes. Each
// writer's stream that holds anything goes to RECORDING, RECORDING.2 and so
// on. Ends on SIGTERM.
//
//   plemox-audiocheck --recorded RECORDING [--raw=RATE]
//   plemox-audiocheck --length MUSIC
// Print the seconds a recording holds so far, and the music's length.
#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int rate = 44100;
constexpr int decimation = 4;  // the search runs at 11025 Hz
constexpr size_t wavHeader = 44;
// Normalised correlation of a second of the recording with the piece that
// counts as the music: a clean recording reaches 0.99 and more, a second
// with a dropout or another sound falls well below.
constexpr double minimumMatch = 0.9;
constexpr double levelToleranceDb = 3.0;

struct Audio {
    std::vector<float> left, right;
    int sampleRate = rate;
};

uint32_t readLe(const unsigned char* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

double decibels(double value)
{
    return value > 0.0 ? 20.0 * std::log10(value) : -999.0;
}

bool decodeMusic(const char* path, Audio& out)
{
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(rate, AUDIO_F32SYS, 2, 4096) != 0) {
        std::fprintf(stderr, "audiocheck: no audio decoder: %s\n", SDL_GetError());
        return false;
    }
    Mix_Chunk* chunk = Mix_LoadWAV(path);
    if (!chunk) {
        std::fprintf(stderr, "audiocheck: cannot decode %s: %s\n", path, Mix_GetError());
        return false;
    }
    const float* samples = reinterpret_cast<const float*>(chunk->abuf);
    const size_t frames = chunk->alen / (2 * sizeof(float));
    for (size_t i = 0; i < frames; ++i) {
        out.left.push_back(samples[2 * i]);
        out.right.push_back(samples[2 * i + 1]);
    }
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_Quit();
    return true;
}

// 16-bit stereo samples at the given rate; rawRate 0 reads a WAV file (whose
// sizes may be unfinished when its writer ended abruptly: the data then runs
// to the file's end).
bool readRecording(const char* path, int rawRate, Audio& out)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t begin = 0;
    out.sampleRate = rawRate;
    if (rawRate == 0) {
        if (bytes.size() < wavHeader || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
            std::memcmp(&bytes[36], "data", 4) != 0 || readLe(&bytes[20], 2) != 1 || readLe(&bytes[22], 2) != 2 ||
            readLe(&bytes[34], 2) != 16) {
            std::fprintf(stderr, "audiocheck: %s is not a 16-bit stereo WAV file\n", path);
            return false;
        }
        out.sampleRate = static_cast<int>(readLe(&bytes[24], 4));
        begin = wavHeader;
    }
    for (size_t at = begin; at + 4 <= bytes.size(); at += 4) {
        out.left.push_back(static_cast<int16_t>(readLe(&bytes[at], 2)) / 32768.0f);
        out.right.push_back(static_cast<int16_t>(readLe(&bytes[at + 2], 2)) / 32768.0f);
    }
    std::printf("recording: %d Hz, %.2f s\n", out.sampleRate,
                static_cast<double>(out.left.size()) / std::max(out.sampleRate, 1));
    return out.sampleRate > 0;
}

// Linear interpolation to the music's rate.
void resample(Audio& audio)
{
    if (audio.sampleRate == rate || audio.left.empty())
        return;
    const double step = static_cast<double>(audio.sampleRate) / rate;
    Audio out;
    for (double x = 0.0; x + 1.0 < static_cast<double>(audio.left.size()); x += step) {
        const size_t a = static_cast<size_t>(x);
        const float f = static_cast<float>(x - static_cast<double>(a));
        out.left.push_back(audio.left[a] + f * (audio.left[a + 1] - audio.left[a]));
        out.right.push_back(audio.right[a] + f * (audio.right[a + 1] - audio.right[a]));
    }
    audio = std::move(out);
}

void fft(std::vector<std::complex<double>>& a, bool inverse)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = 2.0 * M_PI / static_cast<double>(length) * (inverse ? 1.0 : -1.0);
        const std::complex<double> unit(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w(1.0, 0.0);
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> u = a[i + k], v = a[i + k + length / 2] * w;
                a[i + k] = u + v;
                a[i + k + length / 2] = u - v;
                w *= unit;
            }
        }
    }
    if (inverse)
        for (auto& x : a)
            x /= static_cast<double>(n);
}

// Both channels' mean, low-passed (three running means of sixteen samples:
// the highest partials, which two resamplers treat differently, fall away)
// and taken at a quarter of the rate.
std::vector<float> searchSignal(const Audio& audio)
{
    constexpr size_t width = 16;
    std::vector<float> x(audio.left.size());
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = 0.5f * (audio.left[i] + audio.right[i]);
    for (int pass = 0; pass < 3; ++pass) {
        double sum = 0.0;
        std::vector<float> smooth(x.size());
        for (size_t i = 0; i < x.size(); ++i) {
            sum += x[i] - (i >= width ? x[i - width] : 0.0f);
            smooth[i] = static_cast<float>(sum / width);
        }
        x = std::move(smooth);
    }
    std::vector<float> out(x.size() / decimation);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = x[i * decimation];
    return out;
}

struct Match {
    size_t place = 0;  // in the piece
    double score = 0.0;
};

// Where the probe lies best in the circular stretch of the piece that starts
// at place and is span long, by the normalised correlation.
Match findInPiece(const std::vector<float>& piece, size_t place, size_t span, const std::vector<float>& probe)
{
    size_t n = 1;
    while (n < span + probe.size())
        n <<= 1;
    std::vector<std::complex<double>> a(n), b(n);
    std::vector<double> energy(span + 1, 0.0);
    for (size_t i = 0; i < span; ++i) {
        const float v = piece[(place + i) % piece.size()];
        a[i] = v;
        energy[i + 1] = energy[i] + static_cast<double>(v) * v;
    }
    double probeEnergy = 0.0;
    for (size_t i = 0; i < probe.size(); ++i) {
        b[i] = probe[i];
        probeEnergy += static_cast<double>(probe[i]) * probe[i];
    }
    fft(a, false);
    fft(b, false);
    for (size_t i = 0; i < n; ++i)
        a[i] *= std::conj(b[i]);
    fft(a, true);
    Match best;
    for (size_t lag = 0; lag + probe.size() <= span; ++lag) {
        const double e = energy[lag + probe.size()] - energy[lag];
        const double score = e > 0.0 && probeEnergy > 0.0 ? a[lag].real() / std::sqrt(e * probeEnergy) : 0.0;
        if (score > best.score)
            best = {(place + lag) % piece.size(), score};
    }
    return best;
}

int check(const Audio& music, const Audio& recording, double after, int allowedDropouts)
{
    // Each second of the recording is looked for near where the one before
    // it ended in the piece (which is periodic: its end leads into its
    // start), else anywhere in it (after a dropout).
    const std::vector<float> piece = searchSignal(music);
    const std::vector<float> heard = searchSignal(recording);
    const size_t second = rate / decimation, slack = second / 3;
    const double length = static_cast<double>(piece.size()) / second;
    long first = -1;                       // the first second that is the music
    double startPlace = 0.0;               // its place in the piece, seconds
    size_t previous = 0;                   // the last second's place
    double advanced = 0.0;                 // seconds of the piece heard
    int matched = 0, missed = 0;
    double heardPower = 0.0, musicPower = 0.0, heardPeak = 0.0, musicPeak = 0.0, worst = 1.0;
    std::string trace;  // each second's correlation, in hundredths
    for (size_t at = 0; at + second <= heard.size(); at += second) {
        const std::vector<float> probe(heard.begin() + static_cast<long>(at), heard.begin() + static_cast<long>(at + second));
        Match found;
        if (first >= 0)
            found = findInPiece(piece, (previous + piece.size() + second - slack) % piece.size(), second + 2 * slack, probe);
        if (found.score < minimumMatch)
            found = findInPiece(piece, 0, piece.size() + second, probe);
        trace += " " + std::to_string(static_cast<int>(found.score * 100.0));
        if (found.score < minimumMatch) {
            missed += first >= 0 ? 1 : 0;
            continue;
        }
        if (first < 0) {
            first = static_cast<long>(at);
            // A first second placed at the piece's end began before the music.
            startPlace = static_cast<double>(found.place) / second;
            if (startPlace > length / 2.0)
                startPlace -= length;
            std::printf("start: %.2f s into the recording, %.2f s into the piece\n",
                        static_cast<double>(at) / second, startPlace);
        } else {
            // How far the piece went on since the last second heard; a jump
            // backwards counts as nothing.
            const double step = static_cast<double>((found.place + piece.size() - previous) % piece.size()) / second;
            advanced += step < length / 2.0 ? step : 0.0;
        }
        ++matched;
        worst = std::min(worst, found.score);
        for (size_t i = 0; i < second * decimation; ++i) {
            const size_t r = at * decimation + i, m = (found.place * decimation + i) % music.left.size();
            for (const float v : {recording.left[r], recording.right[r]}) {
                heardPower += static_cast<double>(v) * v;
                heardPeak = std::max(heardPeak, static_cast<double>(std::fabs(v)));
            }
            for (const float v : {music.left[m], music.right[m]}) {
                musicPower += static_cast<double>(v) * v;
                musicPeak = std::max(musicPeak, static_cast<double>(std::fabs(v)));
            }
        }
        previous = found.place;
    }
    if (first < 0) {
        std::printf("FAIL: no second of the recording is the music; each second's match (hundredths):%s\n",
                    trace.c_str());
        return 1;
    }
    advanced += 1.0;  // the last second heard
    const double span = static_cast<double>((heard.size() - static_cast<size_t>(first)) / second);
    const double afterEnd = startPlace + advanced - length;
    const double rmsDifference = 10.0 * std::log10(heardPower / musicPower);
    const double peakDifference = decibels(heardPeak) - decibels(musicPeak);
    std::printf("heard: %.1f s of the piece in %.0f s from its start; %d seconds matched (the lowest %.3f), "
                "%d with a dropout\n",
                advanced, span, matched, worst, missed);
    std::printf("loop: %.1f s of the repeat heard after the piece's end (%.2f s)\n", afterEnd, length);
    std::printf("level: RMS %.1f dBFS, %+.2f dB against the same stretches of the file; peak %.1f dBFS, %+.2f dB\n",
                10.0 * std::log10(heardPower / (2.0 * decimation * second * matched)), rmsDifference,
                decibels(heardPeak), peakDifference);
    bool ok = true;
    if (missed * 100 > (matched + missed) * allowedDropouts) {
        std::printf("FAIL: %d of %d seconds are not the music (%d in a hundred allowed)\n", missed, matched + missed,
                    allowedDropouts);
        ok = false;
    }
    if (afterEnd < after) {
        std::printf("FAIL: %.1f s heard after the piece's end, %.1f wanted\n", afterEnd, after);
        ok = false;
    }
    if (std::fabs(rmsDifference) > levelToleranceDb || std::fabs(peakDifference) > levelToleranceDb) {
        std::printf("FAIL: the music is not played at the file's own level\n");
        ok = false;
    }
    if (!ok)
        std::printf("each second's match (hundredths):%s\n", trace.c_str());
    std::printf("%s\n", ok ? "the recording holds the music and its repeat" : "FAILED");
    return ok ? 0 : 1;
}

volatile sig_atomic_t stopPacing = 0;

void onTerminate(int)
{
    stopPacing = 1;
}

// Reads one writer's stream, paced by its WAV header's byte rate, into a file
// opened when the first bytes come. Returns the bytes read.
size_t paceStream(int fd, const std::string& output)
{
    std::ofstream out;
    std::vector<unsigned char> header;
    size_t total = 0;
    double byteRate = 0.0;
    auto started = std::chrono::steady_clock::now();
    unsigned char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR && !stopPacing)
            continue;
        if (got <= 0)
            break;
        if (!out.is_open())
            out.open(output, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(buffer), got);
        out.flush();
        total += static_cast<size_t>(got);
        if (header.size() < wavHeader) {
            header.insert(header.end(), buffer, buffer + std::min<size_t>(wavHeader - header.size(), got));
            if (header.size() == wavHeader) {
                byteRate = readLe(&header[28], 4);
                started = std::chrono::steady_clock::now();
            }
        }
        if (byteRate > 0.0 && total > wavHeader)
            std::this_thread::sleep_until(started + std::chrono::duration<double>((total - wavHeader) / byteRate));
    }
    return total;
}

int pace(const char* fifo, const std::string& output)
{
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    int streams = 0;
    while (!stopPacing) {
        const int fd = open(fifo, O_RDONLY);  // waits for a writer
        if (fd < 0 && errno == EINTR)
            continue;
        if (fd < 0) {
            std::perror(fifo);
            return 2;
        }
        // A pipe of one page: the writer waits as soon as it runs ahead, so
        // its clock moves in small even steps as a sound card's would.
        fcntl(fd, F_SETPIPE_SZ, 4096);
        if (paceStream(fd, streams == 0 ? output : output + "." + std::to_string(streams + 1)) > 0)
            ++streams;
        close(fd);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int rawRate = 0, allowedDropouts = 0;
    double after = 4.0;
    for (int i = 3; i < argc; ++i) {
        if (std::strncmp(argv[i], "--raw=", 6) == 0)
            rawRate = std::atoi(argv[i] + 6);
        else if (std::strncmp(argv[i], "--after=", 8) == 0)
            after = std::atof(argv[i] + 8);
        else if (std::strncmp(argv[i], "--dropouts=", 11) == 0)
            allowedDropouts = std::atoi(argv[i] + 11);
    }
    if (argc == 4 && std::strcmp(argv[1], "--pace") == 0)
        return pace(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "--recorded") == 0) {
        std::ifstream file(argv[2], std::ios::binary | std::ios::ate);
        const double bytes = file ? static_cast<double>(file.tellg()) : 0.0;
        unsigned char header[wavHeader] = {};
        file.seekg(0);
        const double byteRate = rawRate > 0 ? rawRate * 4.0
                                : file.read(reinterpret_cast<char*>(header), wavHeader) ? readLe(&header[28], 4)
                                                                                        : 0.0;
        std::printf("%.2f\n", byteRate > 0.0 ? (bytes - (rawRate > 0 ? 0.0 : wavHeader)) / byteRate : 0.0);
        return 0;
    }
    Audio music;
    if (argc >= 3 && std::strcmp(argv[1], "--length") == 0) {
        if (!decodeMusic(argv[2], music))
            return 2;
        std::printf("%.2f\n", static_cast<double>(music.left.size()) / rate);
        return 0;
    }
    if (argc < 3 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s MUSIC RECORDING [--raw=RATE] [--after=SECONDS] [--dropouts=PERCENT]\n",
                     argv[0]);
        return 2;
    }
    Audio recording;
    if (!decodeMusic(argv[1], music) || music.left.empty() || !readRecording(argv[2], rawRate, recording))
        return 2;
    std::printf("music: %.2f s\n", static_cast<double>(music.left.size()) / rate);
    resample(recording);
    return check(music, recording, after, allowedDropouts);
}
