#include "content/gen/sound.h"

#include "archive/error.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace hc::content {

namespace {

std::uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

Sound readWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw Error("Can't open sound track " + path);
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    const auto bad = [&](const char* why) { return Error("Sound track " + path + ": " + why); };
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
        throw bad("not a RIFF WAVE file");
    }
    int channels = 0;
    int bits = 0;
    int rate = 0;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id(bytes.begin() + static_cast<long>(at),
                             bytes.begin() + static_cast<long>(at) + 4);
        const std::size_t size = le32(&bytes[at + 4]);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body) {
            throw bad("a chunk runs past the end of the file");
        }
        if (id == "fmt ") {
            if (size < 16 || le16(&bytes[body]) != 1) {
                throw bad("not PCM");
            }
            channels = le16(&bytes[body + 2]);
            rate = static_cast<int>(le32(&bytes[body + 4]));
            bits = le16(&bytes[body + 14]);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat || channels != 1 || (bits != 8 && bits != 16) || rate <= 0) {
                throw bad("expected mono PCM of 8 or 16 bits before the data");
            }
            Sound sound;
            sound.sampleRate = rate;
            if (bits == 16) {
                for (std::size_t i = 0; i + 1 < size; i += 2) {
                    sound.samples.push_back(static_cast<std::int16_t>(le16(&bytes[body + i])));
                }
            } else {
                for (std::size_t i = 0; i < size; ++i) {
                    sound.samples.push_back(
                        static_cast<std::int16_t>((bytes[body + i] - 128) << 8));
                }
            }
            return sound;
        }
        at = body + size + (size & 1);
    }
    throw bad("no sound data");
}

Sound readMovieSound(const std::string& path) {
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) {
        throw Error("Can't open movie " + path);
    }
    const std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> context(
        &opened, [](AVFormatContext** c) { avformat_close_input(c); });
    if (avformat_find_stream_info(opened, nullptr) < 0) {
        throw Error("Can't read movie " + path);
    }
    const int stream = av_find_best_stream(opened, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (stream < 0) {
        throw Error("Movie " + path + " has no sound track");
    }
    const AVCodecParameters* format = opened->streams[stream]->codecpar;
    if (format->codec_id != AV_CODEC_ID_PCM_S16LE || format->ch_layout.nb_channels != 1) {
        throw Error("Movie " + path + ": its sound track is not mono 16-bit PCM");
    }
    Sound sound;
    sound.sampleRate = format->sample_rate;
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(opened, packet) >= 0) {
        if (packet->stream_index == stream) {
            for (int i = 0; i + 1 < packet->size; i += 2) {
                sound.samples.push_back(static_cast<std::int16_t>(le16(packet->data + i)));
            }
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return sound;
}

} // namespace hc::content
