#pragma once

// Recordings made in code for the content tests: what a school's WAV file looks like.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace hc::test {

// A 16-bit PCM WAV made in code: `channels` copies of the given mono samples.
inline std::string pcmWav(int rate, int channels, const std::vector<std::int16_t>& mono) {
    auto le = [](std::string& out, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(mono.size() * channels * 2);
    std::string out = "RIFF";
    le(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    le(out, 16, 4);
    le(out, 1, 2);
    le(out, static_cast<std::uint32_t>(channels), 2);
    le(out, static_cast<std::uint32_t>(rate), 4);
    le(out, static_cast<std::uint32_t>(rate * channels * 2), 4);
    le(out, static_cast<std::uint32_t>(channels * 2), 2);
    le(out, 16, 2);
    out += "data";
    le(out, dataBytes, 4);
    for (std::int16_t s : mono) {
        for (int c = 0; c < channels; ++c) {
            le(out, static_cast<std::uint16_t>(s), 2);
        }
    }
    return out;
}

// Silence, a tone, silence: what a school's recording looks like to the converter.
inline std::vector<std::int16_t> toneWithPauses(int rate, double before, double tone, double after,
                                                double hz) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(before * rate), 0);
    for (int i = 0; i < static_cast<int>(tone * rate); ++i) {
        samples.push_back(static_cast<std::int16_t>(6000 * std::sin(2 * M_PI * hz * i / rate)));
    }
    samples.resize(samples.size() + static_cast<std::size_t>(after * rate), 0);
    return samples;
}

} // namespace hc::test
