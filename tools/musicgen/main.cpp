// Composes the launcher's background music and writes it as a WAV file:
//
//   musicgen OUTPUT.wav
//
// About half a minute of slow, soft chords under a quiet music-box arpeggio, in the spirit of
// a waiting room rather than a game: it must not tire someone who leaves it on. Everything is
// synthesised from sine waves, deterministically, so the file is the same on every build.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;
constexpr double kChordSeconds = 4.0;
constexpr double kTailSeconds = 3.0;

struct Chord
{
    int bass;
    std::array<int, 4> tones;
};

// F major, with a turn through D minor, B flat and C: no leading tensions, every change soft.
constexpr std::array<Chord, 8> kChords = {{
    {41, {53, 57, 60, 64}}, // Fmaj7
    {38, {50, 53, 57, 60}}, // Dm7
    {34, {46, 50, 53, 57}}, // Bbmaj7
    {36, {48, 53, 55, 60}}, // Csus4
    {41, {53, 57, 60, 64}}, // Fmaj7
    {33, {45, 48, 52, 55}}, // Am7
    {31, {43, 46, 50, 53}}, // Gm7
    {36, {48, 52, 55, 60}}, // C
}};

// Which chord tone the arpeggio plays on each of the eight half-second steps of a chord.
constexpr std::array<int, 8> kPattern = {0, 1, 2, 3, 4, 3, 2, 1};

struct Stereo
{
    std::vector<double> left;
    std::vector<double> right;
};

double frequency(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

// Rises over `attack` seconds, holds, and falls over `release` seconds after `length`.
double envelope(double t, double length, double attack, double release)
{
    if (t < 0.0 || t > length + release)
        return 0.0;
    const double rise = std::min(1.0, t / attack);
    const double fall = t <= length ? 1.0 : 1.0 - (t - length) / release;
    return rise * rise * (3.0 - 2.0 * rise) * fall;
}

void addPad(Stereo &out, const Chord &chord, double start)
{
    const double length = kChordSeconds;
    const double release = 1.8;
    const auto first = static_cast<std::size_t>(start * kRate);
    const auto count = static_cast<std::size_t>((length + release) * kRate);
    for (std::size_t i = 0; i < count && first + i < out.left.size(); ++i) {
        const double t = double(i) / kRate;
        const double level = envelope(t, length, 1.4, release);
        double left = 0.0;
        double right = 0.0;
        for (std::size_t v = 0; v < chord.tones.size(); ++v) {
            const double f = frequency(chord.tones[v]);
            // Two voices a little apart in pitch give the chord its slow shimmer.
            const double a = std::sin(2 * kPi * f * 0.998 * t);
            const double b = std::sin(2 * kPi * f * 1.002 * t + v);
            const double pan = 0.35 + 0.1 * double(v);
            left += (a * (1.0 - pan) + b * pan) * 0.06;
            right += (a * pan + b * (1.0 - pan)) * 0.06;
        }
        const double bass = std::sin(2 * kPi * frequency(chord.bass) * t)
            + 0.25 * std::sin(2 * kPi * 2 * frequency(chord.bass) * t);
        out.left[first + i] += level * (left + 0.09 * bass);
        out.right[first + i] += level * (right + 0.09 * bass);
    }
}

void addBell(Stereo &out, int note, double start, double loudness, double pan)
{
    const double f = frequency(note);
    const auto first = static_cast<std::size_t>(start * kRate);
    const auto count = static_cast<std::size_t>(2.5 * kRate);
    for (std::size_t i = 0; i < count && first + i < out.left.size(); ++i) {
        const double t = double(i) / kRate;
        const double strike = std::min(1.0, t / 0.006);
        const double body = std::exp(-t * 2.2) * std::sin(2 * kPi * f * t);
        const double shine = 0.18 * std::exp(-t * 6.0) * std::sin(2 * kPi * f * 2.0 * t);
        const double sample = strike * loudness * (body + shine);
        out.left[first + i] += sample * (1.0 - pan);
        out.right[first + i] += sample * pan;
    }
}

void addArpeggio(Stereo &out, const Chord &chord, double start, int chordIndex)
{
    for (std::size_t step = 0; step < kPattern.size(); ++step) {
        const int index = kPattern[step];
        const int note = index < 4 ? chord.tones[index] + 12 : chord.tones[0] + 24;
        // A fixed, gentle unevenness, so the arpeggio breathes instead of ticking.
        const double loudness = 0.05 + 0.015 * std::sin(double(step * 7 + chordIndex * 3));
        const double pan = step % 2 == 0 ? 0.3 : 0.7;
        addBell(out, note, start + 0.5 * double(step) + 0.02 * std::sin(double(step)), loudness, pan);
    }
}

// A few soft echoes crossing between the channels give the dry tones a room.
void addRoom(Stereo &out)
{
    const std::array<double, 3> delays = {0.137, 0.291, 0.443};
    const std::array<double, 3> gains = {0.28, 0.18, 0.11};
    const Stereo dry = out;
    for (std::size_t d = 0; d < delays.size(); ++d) {
        const auto offset = static_cast<std::size_t>(delays[d] * kRate);
        for (std::size_t i = offset; i < out.left.size(); ++i) {
            out.left[i] += gains[d] * dry.right[i - offset];
            out.right[i] += gains[d] * dry.left[i - offset];
        }
    }
}

void fadeAndNormalise(Stereo &out)
{
    const double total = double(out.left.size()) / kRate;
    double peak = 0.0;
    for (std::size_t i = 0; i < out.left.size(); ++i) {
        const double t = double(i) / kRate;
        const double fade = std::min({1.0, t / 1.5, (total - t) / kTailSeconds});
        out.left[i] *= fade;
        out.right[i] *= fade;
        peak = std::max({peak, std::abs(out.left[i]), std::abs(out.right[i])});
    }
    // A peak of half the full scale: background music, never louder than what is in front.
    const double scale = peak > 0.0 ? 0.5 / peak : 0.0;
    for (std::size_t i = 0; i < out.left.size(); ++i) {
        out.left[i] *= scale;
        out.right[i] *= scale;
    }
}

void put16(std::ofstream &file, std::uint16_t value)
{
    const char bytes[2] = {char(value & 0xFF), char(value >> 8)};
    file.write(bytes, 2);
}

void put32(std::ofstream &file, std::uint32_t value)
{
    put16(file, std::uint16_t(value & 0xFFFF));
    put16(file, std::uint16_t(value >> 16));
}

bool writeWav(const char *path, const Stereo &music)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const auto frames = std::uint32_t(music.left.size());
    const std::uint32_t dataBytes = frames * 4;
    file.write("RIFF", 4);
    put32(file, 36 + dataBytes);
    file.write("WAVEfmt ", 8);
    put32(file, 16);
    put16(file, 1); // PCM
    put16(file, 2);
    put32(file, kRate);
    put32(file, kRate * 4);
    put16(file, 4);
    put16(file, 16);
    file.write("data", 4);
    put32(file, dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i) {
        for (const double sample : {music.left[i], music.right[i]})
            put16(file, std::uint16_t(std::int16_t(std::lround(std::clamp(sample, -1.0, 1.0) * 32767.0))));
    }
    return bool(file.flush());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: musicgen OUTPUT.wav\n");
        return 1;
    }
    const double seconds = kChordSeconds * double(kChords.size()) + kTailSeconds;
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    Stereo music{std::vector<double>(frames), std::vector<double>(frames)};
    for (std::size_t c = 0; c < kChords.size(); ++c) {
        const double start = kChordSeconds * double(c);
        addPad(music, kChords[c], start);
        if (c + 1 < kChords.size())
            addArpeggio(music, kChords[c], start, int(c));
    }
    addBell(music, kChords.back().tones[0] + 24, kChordSeconds * double(kChords.size() - 1), 0.06, 0.5);
    addRoom(music);
    fadeAndNormalise(music);
    if (!writeWav(argv[1], music)) {
        std::fprintf(stderr, "musicgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
