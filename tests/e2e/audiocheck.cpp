// plemox-audiocheck: compares what the game played (a recording of its audio
// output) with the music file it plays. The file is decoded with SDL_mixer;
// the recording is a WAV file or raw samples. It finds where the music starts
// in the recording, checks that every stretch of the recording is the music
// at the file's own level, and that the piece starts again after its end.
//
// Usage: plemox-audiocheck MUSIC RECORDING [--raw=RATE,CHANNELS,s16|s32|f32]
//                          [--after=SECONDS] [--dropouts=PERCENT]
// --after: how much of the repeat the recording must hold (default 4 s);
// --dropouts: how many seconds in a hundred, from the music's start on, may
// be something else (default none; a player streaming the music from its
// decoder on a busy machine has dropouts).
// Prints the figures; exit status 0 when the recording holds the music and
// its repeat, 1 when not, 2 on bad input.
//
//        plemox-audiocheck --pace FIFO RECORDING
// The other half of a recording device that has no clock of its own (ALSA's
// file device over its null device takes samples as fast as they come): reads
// the WAV stream written into FIFO at the rate its header gives, so the
// writer plays in real time, and writes it to RECORDING as it comes. Each
// time a writer opens the FIFO a new stream starts: the first that holds
// anything goes to RECORDING, later ones to RECORDING.2 and so on. Ends on
// SIGTERM.
//        plemox-audiocheck --recorded RECORDING [--raw=...]
//        plemox-audiocheck --length MUSIC
// Print the seconds a recording holds so far, and the music's length.
#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
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
constexpr int decimation = 4;           // the coarse search runs at 11025 Hz
// Normalised correlation of a second of the recording with the piece that
// counts as the music: a clean recording reaches 0.99 and more, a second
// with a dropout or another sound falls well below.
constexpr double minimumMatch = 0.9;
constexpr double levelToleranceDb = 3.0;

struct Audio {
    std::vector<float> left, right;
    int sampleRate = rate;
};

std::vector<float> mono(const Audio& audio)
{
    std::vector<float> out(audio.left.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = 0.5f * (audio.left[i] + audio.right[i]);
    return out;
}

double decibels(double value)
{
    return value > 0.0 ? 20.0 * std::log10(value) : -999.0;
}

// RMS and peak of both channels over [from, to).
void level(const Audio& audio, size_t from, size_t to, double& rms, double& peak)
{
    double sum = 0.0;
    peak = 0.0;
    to = std::min(to, audio.left.size());
    for (size_t i = from; i < to; ++i) {
        for (float v : {audio.left[i], audio.right[i]}) {
            sum += static_cast<double>(v) * v;
            peak = std::max(peak, static_cast<double>(std::fabs(v)));
        }
    }
    rms = to > from ? std::sqrt(sum / (2.0 * static_cast<double>(to - from))) : 0.0;
}

bool decodeMusic(const char* path, Audio& out)
{
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(rate, AUDIO_F32SYS, 2, 4096) != 0) {
        std::fprintf(stderr, "audiocheck: no audio decoder: %s\n", SDL_GetError());
        return false;
    }
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    Mix_Chunk* chunk = Mix_LoadWAV(path);
    if (!chunk || frequency != rate || format != AUDIO_F32SYS || channels != 2) {
        std::fprintf(stderr, "audiocheck: cannot decode %s: %s\n", path, Mix_GetError());
        return false;
    }
    const size_t frames = chunk->alen / (2 * sizeof(float));
    const float* samples = reinterpret_cast<const float*>(chunk->abuf);
    out.left.resize(frames);
    out.right.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        out.left[i] = samples[2 * i];
        out.right[i] = samples[2 * i + 1];
    }
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_Quit();
    return true;
}

uint32_t readLe(const unsigned char* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// Samples of the given layout into two float channels (a mono recording
// gives both the same).
bool convert(const std::vector<unsigned char>& bytes, size_t begin, size_t end, int channels,
             const std::string& format, Audio& out)
{
    const int width = format == "s16" ? 2 : (format == "s24" ? 3 : 4);
    if (channels < 1 || channels > 8 || begin > end)
        return false;
    const size_t frameBytes = static_cast<size_t>(width * channels);
    const size_t frames = (end - begin) / frameBytes;
    out.left.resize(frames);
    out.right.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        float values[2] = {0.0f, 0.0f};
        for (int c = 0; c < std::min(channels, 2); ++c) {
            const unsigned char* p = &bytes[begin + i * frameBytes + static_cast<size_t>(c * width)];
            const uint32_t raw = readLe(p, width);
            float v;
            if (format == "f32") {
                std::memcpy(&v, &raw, sizeof v);
            } else {
                const int shift = 32 - 8 * width;
                const int32_t value = static_cast<int32_t>(raw << shift);
                v = static_cast<float>(value / 2147483648.0);
            }
            values[c] = v;
        }
        out.left[i] = values[0];
        out.right[i] = channels == 1 ? values[0] : values[1];
    }
    return true;
}

// A WAV file as the ALSA file device writes it (its sizes may be left
// unfinished when the writer ended abruptly: the data runs to the file's end).
bool readWav(const std::vector<unsigned char>& bytes, Audio& out)
{
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(&bytes[8], "WAVE", 4) != 0)
        return false;
    int channels = 0, bits = 0, tag = 0;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = readLe(&bytes[at + 4], 4);
        const size_t body = at + 8;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && body + 16 <= bytes.size()) {
            tag = static_cast<int>(readLe(&bytes[body], 2));
            channels = static_cast<int>(readLe(&bytes[body + 2], 2));
            out.sampleRate = static_cast<int>(readLe(&bytes[body + 4], 4));
            bits = static_cast<int>(readLe(&bytes[body + 14], 2));
            if (tag == 0xFFFE && body + 26 <= bytes.size())
                tag = static_cast<int>(readLe(&bytes[body + 24], 2));  // the sub-format's tag
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            size_t end = bytes.size();
            if (size != 0 && size < 0x7FFFFFF0u && body + size <= bytes.size())
                end = body + size;
            std::string format;
            if (tag == 3 && bits == 32)
                format = "f32";
            else if (tag == 1 && (bits == 16 || bits == 24 || bits == 32))
                format = bits == 16 ? "s16" : (bits == 24 ? "s24" : "s32");
            if (format.empty() || out.sampleRate <= 0) {
                std::fprintf(stderr, "audiocheck: WAV format %d with %d bits is not read here\n", tag, bits);
                return false;
            }
            std::printf("recording: WAV, %d Hz, %d channels, %s\n", out.sampleRate, channels, format.c_str());
            return convert(bytes, body, end, channels, format, out);
        }
        at = body + size + (size & 1);
    }
    return false;
}

// Linear interpolation to the music's rate.
void resample(Audio& audio)
{
    if (audio.sampleRate == rate)
        return;
    const double step = static_cast<double>(audio.sampleRate) / rate;
    const size_t frames = static_cast<size_t>(static_cast<double>(audio.left.size()) / step);
    Audio out;
    out.left.resize(frames);
    out.right.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        const double x = static_cast<double>(i) * step;
        const size_t a = static_cast<size_t>(x);
        const size_t b = std::min(a + 1, audio.left.size() - 1);
        const float f = static_cast<float>(x - static_cast<double>(a));
        out.left[i] = audio.left[a] + f * (audio.left[b] - audio.left[a]);
        out.right[i] = audio.right[a] + f * (audio.right[b] - audio.right[a]);
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

// Low-passed (three running means of eight samples: the bells' and the
// air's highest partials, which two resamplers treat differently, fall
// away) and taken at a quarter of the rate.
std::vector<float> decimate(std::vector<float> x)
{
    constexpr size_t width = 16;
    for (int pass = 0; pass < 3; ++pass) {
        double sum = 0.0;
        std::vector<float> smooth(x.size());
        for (size_t i = 0; i < x.size(); ++i) {
            sum += x[i];
            if (i >= width)
                sum -= x[i - width];
            smooth[i] = static_cast<float>(sum / width);
        }
        x = std::move(smooth);
    }
    std::vector<float> out(x.size() / decimation);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = x[i * decimation];
    return out;
}

double energyOf(const std::vector<float>& x, size_t from, size_t length)
{
    double sum = 0.0;
    for (size_t i = from; i < from + length; ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return sum;
}

// Where the probe lies best in the circular stretch of the piece that
// starts at place and is span long: the place (modulo the piece) and the
// normalised correlation there.
struct Match {
    size_t place = 0;
    double score = 0.0;
};

Match findInPiece(const std::vector<float>& piece, size_t place, size_t span, const std::vector<float>& probe)
{
    const size_t length = piece.size();
    size_t n = 1;
    while (n < span + probe.size())
        n <<= 1;
    std::vector<std::complex<double>> a(n), b(n);
    std::vector<double> energy(span + 1, 0.0);
    for (size_t i = 0; i < span; ++i) {
        const float v = piece[(place + i) % length];
        a[i] = v;
        energy[i + 1] = energy[i] + static_cast<double>(v) * v;
    }
    for (size_t i = 0; i < probe.size(); ++i)
        b[i] = probe[i];
    fft(a, false);
    fft(b, false);
    for (size_t i = 0; i < n; ++i)
        a[i] *= std::conj(b[i]);
    fft(a, true);
    const double probeEnergy = energyOf(probe, 0, probe.size());
    Match best;
    for (size_t lag = 0; lag + probe.size() <= span; ++lag) {
        const double e = energy[lag + probe.size()] - energy[lag];
        if (e <= 0.0 || probeEnergy <= 0.0)
            continue;
        const double score = a[lag].real() / std::sqrt(e * probeEnergy);
        if (score > best.score) {
            best.score = score;
            best.place = (place + lag) % length;
        }
    }
    return best;
}

volatile sig_atomic_t stopPacing = 0;

void onTerminate(int)
{
    stopPacing = 1;
}

// Reads one writer's stream from fd, paced by its WAV header's byte rate,
// and writes it to a file opened when the first bytes come (the writer may
// open the device without playing). Returns the bytes read.
size_t paceStream(int fd, const std::string& output)
{
    std::vector<unsigned char> header;
    std::ofstream out;
    size_t total = 0;
    double byteRate = 0.0;
    auto started = std::chrono::steady_clock::now();
    unsigned char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno == EINTR && !stopPacing)
                continue;
            break;
        }
        if (!out.is_open())
            out.open(output, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(buffer), got);
        out.flush();
        total += static_cast<size_t>(got);
        if (byteRate == 0.0 && header.size() < 44) {
            header.insert(header.end(), buffer, buffer + std::min<size_t>(44 - header.size(), static_cast<size_t>(got)));
            if (header.size() == 44 && std::memcmp(header.data(), "RIFF", 4) == 0) {
                byteRate = readLe(&header[28], 4);  // the fmt chunk's, which the file device writes first
                started = std::chrono::steady_clock::now();
            }
        }
        if (byteRate > 0.0 && total > 44) {
            const double due = static_cast<double>(total - 44) / byteRate;
            std::this_thread::sleep_until(started + std::chrono::duration<double>(due));
        }
    }
    return total;
}

// The first stream that holds anything goes to output, later ones to
// output.2, output.3 and so on.
int pace(const char* fifo, const char* output)
{
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    int streams = 0;
    while (!stopPacing) {
        const int fd = open(fifo, O_RDONLY);  // waits for a writer
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            std::perror(fifo);
            return 2;
        }
        // A pipe of one page: the writer waits as soon as it runs ahead, so
        // its clock moves in small even steps as a sound card's would.
        fcntl(fd, F_SETPIPE_SZ, 4096);
        const std::string name = streams == 0 ? std::string(output) : output + ("." + std::to_string(streams + 1));
        if (paceStream(fd, name) > 0)
            ++streams;
        close(fd);
    }
    return 0;
}

// Seconds of sound in a recording (WAV, or raw of the given layout).
double recordedSeconds(const char* path, const std::string& raw)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return 0.0;
    const double size = static_cast<double>(file.tellg());
    int rawRate = 0, channels = 0;
    char format[8] = {};
    if (!raw.empty()) {
        if (std::sscanf(raw.c_str(), "%d,%d,%7s", &rawRate, &channels, format) != 3)
            return 0.0;
        const int width = std::strcmp(format, "s16") == 0 ? 2 : (std::strcmp(format, "s24") == 0 ? 3 : 4);
        return size / (static_cast<double>(rawRate) * channels * width);
    }
    unsigned char header[44];
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(header), sizeof header) || readLe(&header[28], 4) == 0)
        return 0.0;
    return (size - 44.0) / readLe(&header[28], 4);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--pace") == 0)
        return pace(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "--recorded") == 0) {
        std::printf("%.2f\n", recordedSeconds(argv[2], argc > 3 && std::strncmp(argv[3], "--raw=", 6) == 0 ? argv[3] + 6 : ""));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--length") == 0) {
        Audio music;
        if (!decodeMusic(argv[2], music))
            return 2;
        std::printf("%.2f\n", static_cast<double>(music.left.size()) / rate);
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s MUSIC RECORDING [--raw=RATE,CHANNELS,s16|s32|f32] [--after=SECONDS] "
                     "[--dropouts=PERCENT]\n",
                     argv[0]);
        return 2;
    }
    std::string raw;
    double after = 4.0;
    int allowedMissesPerHundred = 0;
    for (int i = 3; i < argc; ++i) {
        if (std::strncmp(argv[i], "--raw=", 6) == 0)
            raw = argv[i] + 6;
        else if (std::strncmp(argv[i], "--after=", 8) == 0)
            after = std::atof(argv[i] + 8);
        else if (std::strncmp(argv[i], "--dropouts=", 11) == 0)
            allowedMissesPerHundred = std::atoi(argv[i] + 11);
    }

    Audio music;
    if (!decodeMusic(argv[1], music))
        return 2;
    const size_t pieceLength = music.left.size();
    double fileRms, filePeak;
    level(music, 0, pieceLength, fileRms, filePeak);
    std::printf("music: %.2f s, RMS %.1f dBFS, peak %.1f dBFS\n", static_cast<double>(pieceLength) / rate,
                decibels(fileRms), decibels(filePeak));

    std::ifstream file(argv[2], std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Audio recording;
    if (!raw.empty()) {
        int rawRate = 0, channels = 0;
        char format[8] = {};
        if (std::sscanf(raw.c_str(), "%d,%d,%7s", &rawRate, &channels, format) != 3 || rawRate <= 0 ||
            !convert(bytes, 0, bytes.size(), channels, format, recording)) {
            std::fprintf(stderr, "audiocheck: bad raw layout %s\n", raw.c_str());
            return 2;
        }
        recording.sampleRate = rawRate;
        std::printf("recording: raw, %d Hz, %d channels, %s\n", rawRate, channels, format);
    } else if (!readWav(bytes, recording)) {
        std::fprintf(stderr, "audiocheck: %s is not a WAV file this reads\n", argv[2]);
        return 2;
    }
    resample(recording);
    const size_t recorded = recording.left.size();
    std::printf("recording: %.2f s\n", static_cast<double>(recorded) / rate);

    // Follow the recording a second at a time: each second is looked for
    // near where the one before it ended in the piece (the piece is
    // periodic, so its end leads into its start), and anywhere in the piece
    // when it is not there (after a dropout). Time lost to dropouts shows as
    // the music lagging behind the recording.
    const std::vector<float> piece = decimate(mono(music));
    const std::vector<float> heard = decimate(mono(recording));
    const size_t second = rate / decimation;
    const size_t slack = second / 3;
    const double quiet = 1e-8 * static_cast<double>(second);
    long first = -1;          // the first second that is the music
    size_t place = 0;         // where in the piece the next second should be
    size_t previous = 0;      // where the last second heard was
    double advanced = 0.0;    // seconds of music heard, counted in the piece
    size_t firstPlace = 0;    // where in the piece the first second heard was
    int matched = 0, missed = 0;
    double recordingPower = 0.0, musicPower = 0.0, recordingPeak = 0.0, musicPeak = 0.0;
    double worst = 1.0;
    std::string trace;  // each second's correlation, in hundredths
    for (size_t at = 0; at + second <= heard.size(); at += second) {
        const std::vector<float> probe(heard.begin() + static_cast<long>(at),
                                       heard.begin() + static_cast<long>(at + second));
        const bool silent = energyOf(probe, 0, second) < quiet;
        Match found;
        if (!silent && first >= 0)
            found = findInPiece(piece, (place + piece.size() - slack) % piece.size(), second + 2 * slack, probe);
        if (!silent && found.score < minimumMatch)
            found = findInPiece(piece, 0, piece.size() + second, probe);
        trace += " " + std::to_string(static_cast<int>(found.score * 100.0));
        if (found.score < minimumMatch) {
            if (first >= 0)
                ++missed;
            continue;
        }
        if (first < 0) {
            first = static_cast<long>(at);
            firstPlace = found.place;
            std::printf("start: the first second of music, at %.2f s of the recording, is %.2f s into the piece\n",
                        static_cast<double>(at) / second, static_cast<double>(found.place) / second);
        } else {
            // How far the piece went on since the last second heard (a
            // jump backwards counts as nothing).
            const double step =
                static_cast<double>((found.place + piece.size() - previous) % piece.size()) / second;
            advanced += step < 0.5 * static_cast<double>(piece.size()) / second ? step : 0.0;
        }
        ++matched;
        worst = std::min(worst, found.score);
        // Levels at the full rate, both channels.
        for (size_t i = 0; i < second * decimation; ++i) {
            const size_t r = at * decimation + i;
            const size_t m = (found.place * decimation + i) % pieceLength;
            for (const float v : {recording.left[r], recording.right[r]}) {
                recordingPower += static_cast<double>(v) * v;
                recordingPeak = std::max(recordingPeak, static_cast<double>(std::fabs(v)));
            }
            for (const float v : {music.left[m], music.right[m]}) {
                musicPower += static_cast<double>(v) * v;
                musicPeak = std::max(musicPeak, static_cast<double>(std::fabs(v)));
            }
        }
        previous = found.place;
        place = (found.place + second) % piece.size();
    }
    if (first < 0) {
        std::printf("FAIL: no second of the recording is the music; each second's match (hundredths):%s\n",
                    trace.c_str());
        return 1;
    }
    advanced += 1.0;  // the last second heard
    const double span = static_cast<double>((heard.size() - static_cast<size_t>(first)) / second);
    // The game plays the piece from its start; a first second that the
    // search places at the piece's end began before the music did (the end
    // leads into the start).
    const double length = static_cast<double>(piece.size()) / second;
    double startPlace = static_cast<double>(firstPlace) / second;
    if (startPlace > length / 2.0)
        startPlace -= length;
    const double afterEnd = startPlace + advanced - length;
    std::printf("heard: %.1f s of music in %.1f s of recording from its start (%d seconds matched, the "
                "lowest %.3f; %d not the music; %.2f s lost to dropouts)\n",
                advanced, span, matched, worst, missed, std::max(0.0, span - advanced));
    std::printf("loop: %.1f s of its repeat heard after the piece's end (%.2f s)\n", afterEnd,
                static_cast<double>(pieceLength) / rate);
    const double rmsDifference = 10.0 * std::log10(recordingPower / musicPower);
    const double peakDifference = decibels(recordingPeak) - decibels(musicPeak);
    std::printf("level: RMS %.1f dBFS, %+.2f dB against the same stretches of the file; peak %.1f dBFS, "
                "%+.2f dB\n",
                10.0 * std::log10(recordingPower / (2.0 * decimation * second * matched)), rmsDifference,
                decibels(recordingPeak), peakDifference);
    bool ok = true;
    if (missed * 100 > (matched + missed) * allowedMissesPerHundred) {
        std::printf("FAIL: %d of %d seconds after the start are not the music (%d in a hundred allowed)\n",
                    missed, matched + missed, allowedMissesPerHundred);
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
    if (!ok || getenv("AUDIOCHECK_TRACE"))
        std::printf("each second's match (hundredths):%s\n", trace.c_str());
    std::printf("%s\n", ok ? "the recording holds the music and its repeat" : "FAILED");
    return ok ? 0 : 1;
}
