// Build-time generator of the program's own sounds "IDWAV_CLICK" and "IDWAV_BYE": RIFF WAVE,
// PCM, one channel, 11025 samples per second, 8 bits, of exactly 808 and 14628 sample bytes.
// Deterministic: the same bytes on every build.
//
// Usage: hc_program_sounds_gen OUTPUT_DIRECTORY

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 11025;
constexpr std::size_t kClickBytes = 808;
constexpr std::size_t kByeBytes = 14628;

// Triangular dither from a fixed generator, so quiet tails fade smoothly in 8 bits.
class Dither {
public:
    double next() { return (uniform() - uniform()); }

private:
    double uniform() {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) / 16777216.0;
    }
    std::uint32_t m_state = 12345;
};

std::vector<std::uint8_t> toUnsigned8(const std::vector<double>& signal) {
    Dither dither;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(signal.size());
    for (double s : signal) {
        const double value = 128.0 + 127.0 * std::clamp(s, -1.0, 1.0) + dither.next();
        bytes.push_back(static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L)));
    }
    return bytes;
}

// A soft click: a short wooden "tock", two damped tones under a 1 ms rise, gone well before the
// 73 ms end.
std::vector<double> click() {
    std::vector<double> s(kClickBytes);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double rise = std::min(1.0, t / 0.001);
        const double body = std::exp(-t / 0.010) * std::sin(2 * std::numbers::pi * 620 * t);
        const double tick = std::exp(-t / 0.003) * std::sin(2 * std::numbers::pi * 1850 * t);
        s[i] = 0.45 * rise * (0.7 * body + 0.5 * tick);
    }
    return s;
}

// A friendly farewell: three bell-like notes falling G5, E5, C5, the last ringing out and
// faded to silence at the end.
std::vector<double> bye() {
    struct Note {
        double start;
        double frequency;
        double decay;
    };
    const Note notes[] = {{0.00, 783.99, 0.22}, {0.26, 659.26, 0.24}, {0.52, 523.25, 0.34}};
    std::vector<double> s(kByeBytes);
    const double total = static_cast<double>(s.size()) / kRate;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double value = 0;
        for (const Note& note : notes) {
            const double u = t - note.start;
            if (u < 0) {
                continue;
            }
            const double rise = std::min(1.0, u / 0.004);
            const double envelope = rise * std::exp(-u / note.decay);
            const double w = 2 * std::numbers::pi * note.frequency * u;
            // Fundamental, a soft octave and a faint bell partial.
            value += envelope * (std::sin(w) + 0.3 * std::sin(2 * w) * std::exp(-u / 0.08) +
                                 0.12 * std::sin(2.76 * w) * std::exp(-u / 0.05));
        }
        const double fade = std::min(1.0, (total - t) / 0.15);
        s[i] = 0.38 * value * fade;
    }
    return s;
}

void put32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

void put16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

bool writeWave(const std::string& path, const std::vector<std::uint8_t>& samples) {
    std::string out = "RIFF";
    put32(out, static_cast<std::uint32_t>(36 + samples.size()));
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, kRate);
    put32(out, kRate); // bytes per second
    put16(out, 1);     // block align
    put16(out, 8);     // bits per sample
    out += "data";
    put32(out, static_cast<std::uint32_t>(samples.size()));
    out.append(samples.begin(), samples.end());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file.flush());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hc_program_sounds_gen OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    if (!writeWave(dir + "/IDWAV_CLICK", toUnsigned8(click())) ||
        !writeWave(dir + "/IDWAV_BYE", toUnsigned8(bye()))) {
        std::fprintf(stderr, "hc_program_sounds_gen: cannot write the sounds into %s\n",
                     dir.c_str());
        return 1;
    }
    return 0;
}
