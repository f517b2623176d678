#pragma once

// The few WAV shapes the sound generators handle themselves: mono 16-bit PCM in and out (the
// phonogram recording is assembled from espeak-ng's output), and 32-bit float out (rendered
// music on its way to sox). Everything else, the schools' own recordings included, goes
// through sox.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace hc::audio {

struct MonoSound {
    int sampleRate = 0;
    std::vector<std::int16_t> samples;
};

// Parses a RIFF WAVE file held in memory. Accepts only PCM, 1 channel, 16 bits; every chunk
// size is checked against the bytes that remain. Throws std::runtime_error with `what` (the
// file's name) in the message.
MonoSound parseMonoWav(const std::string& bytes, const std::string& what);
MonoSound readMonoWav(const std::filesystem::path& path);

// The canonical 44-byte header followed by the samples, little-endian.
std::string encodeMonoWav(const MonoSound& sound);
void writeMonoWav(const std::filesystem::path& path, const MonoSound& sound);

// IEEE float samples, interleaved when channels > 1.
void writeFloatWav(const std::filesystem::path& path, int sampleRate, int channels,
                   const std::vector<float>& samples);

// Whole file as bytes, and a file written whole. Both throw std::runtime_error naming the path.
std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace hc::audio
