#include "wav_io.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace hc::audio {
namespace {

std::uint32_t readLe32(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

std::uint16_t readLe16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void putLe32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void putLe16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

// RIFF/WAVE header; the caller appends dataBytes of samples. PCM gets the classic 16-byte
// format chunk; other formats (float) get the 18-byte one and the "fact" chunk they require.
std::string waveHeader(std::uint16_t format, int channels, int sampleRate, int bitsPerSample,
                       std::size_t dataBytes) {
    const bool pcm = format == 1;
    const std::uint32_t headerBytes = pcm ? 36 : 50;
    if (dataBytes > 0xFFFFFFFFu - headerBytes) {
        throw std::runtime_error("sound too long for a WAV file");
    }
    const auto blockAlign = static_cast<std::uint16_t>(channels * bitsPerSample / 8);
    std::string out = "RIFF";
    putLe32(out, static_cast<std::uint32_t>(headerBytes + dataBytes));
    out += "WAVEfmt ";
    putLe32(out, pcm ? 16 : 18);
    putLe16(out, format);
    putLe16(out, static_cast<std::uint16_t>(channels));
    putLe32(out, static_cast<std::uint32_t>(sampleRate));
    putLe32(out, static_cast<std::uint32_t>(sampleRate) * blockAlign);
    putLe16(out, blockAlign);
    putLe16(out, static_cast<std::uint16_t>(bitsPerSample));
    if (!pcm) {
        putLe16(out, 0);
        out += "fact";
        putLe32(out, 4);
        putLe32(out, static_cast<std::uint32_t>(dataBytes / blockAlign));
    }
    out += "data";
    putLe32(out, static_cast<std::uint32_t>(dataBytes));
    return out;
}

} // namespace

MonoSound parseMonoWav(const std::string& bytes, const std::string& what) {
    auto fail = [&](const std::string& why) { return std::runtime_error(what + ": " + why); };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        throw fail("not a RIFF WAVE file");
    }
    MonoSound sound;
    bool haveFormat = false;
    std::size_t at = 12;
    while (bytes.size() - at >= 8) {
        const std::string id = bytes.substr(at, 4);
        const std::uint32_t size = readLe32(bytes, at + 4);
        at += 8;
        if (size > bytes.size() - at) {
            throw fail("chunk '" + id + "' runs past the end of the file");
        }
        if (id == "fmt ") {
            if (size < 16) {
                throw fail("format chunk too short");
            }
            const std::uint16_t format = readLe16(bytes, at);
            const std::uint16_t channels = readLe16(bytes, at + 2);
            const std::uint16_t bits = readLe16(bytes, at + 14);
            if (format != 1 || channels != 1 || bits != 16) {
                throw fail("expected mono 16-bit PCM");
            }
            sound.sampleRate = static_cast<int>(readLe32(bytes, at + 4));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                throw fail("data before format");
            }
            sound.samples.resize(size / 2);
            for (std::size_t i = 0; i < sound.samples.size(); ++i) {
                sound.samples[i] = static_cast<std::int16_t>(readLe16(bytes, at + 2 * i));
            }
            return sound;
        }
        at += size + (size & 1); // chunks are padded to even length
        if (at > bytes.size()) {
            break;
        }
    }
    throw fail("no sound data");
}

MonoSound readMonoWav(const std::filesystem::path& path) {
    return parseMonoWav(readBytes(path), path.string());
}

std::string encodeMonoWav(const MonoSound& sound) {
    std::string out = waveHeader(1, 1, sound.sampleRate, 16, sound.samples.size() * 2);
    out.reserve(out.size() + sound.samples.size() * 2);
    for (std::int16_t sample : sound.samples) {
        putLe16(out, static_cast<std::uint16_t>(sample));
    }
    return out;
}

void writeMonoWav(const std::filesystem::path& path, const MonoSound& sound) {
    writeBytes(path, encodeMonoWav(sound));
}

void writeFloatWav(const std::filesystem::path& path, int sampleRate, int channels,
                   const std::vector<float>& samples) {
    std::string out = waveHeader(3, channels, sampleRate, 32, samples.size() * 4);
    for (float sample : samples) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &sample, sizeof bits);
        putLe32(out, bits);
    }
    writeBytes(path, out);
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path.string());
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return bytes;
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace hc::audio
