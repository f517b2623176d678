#pragma once

// Independent readers for what the sound build writes, so the tests check the files the way
// a player sees them rather than through the generator's own code.

#include <cstdint>
#include <string>
#include <vector>

namespace hc::test {

// A RIFF WAVE file's format and, for 16-bit PCM, its samples (all channels interleaved).
struct WavInfo {
    int format = 0; // 1 = PCM
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<std::int16_t> samples;
    std::string error; // empty when the file parsed
};
WavInfo probeWav(const std::string& bytes);

// Root mean square of samples [from, to), as a fraction of full scale.
double rmsLevel(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to);
// Rough pitch of a steady tone: zero crossings per second / 2.
double toneFrequency(const std::vector<std::int16_t>& samples, int sampleRate);

// A Standard MIDI File's outline.
struct SmfInfo {
    int format = -1;
    int division = 0;
    int noteOns = 0;
    std::vector<int> channelsWithNotes; // sorted, distinct
    double seconds = 0;                 // from tick 0 to the last event, through the tempo map
    std::string error;                  // empty when the file parsed
};
SmfInfo probeSmf(const std::string& bytes);

} // namespace hc::test
