#include "media_fixtures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace hc::test::media {
namespace {

void check(int status, const char* what) {
    if (status < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(status, text, sizeof text);
        throw std::runtime_error(std::string("fixture: ") + what + ": " + text);
    }
}

// One output file with its encoders; packets are interleaved by the muxer.
class Writer {
public:
    Writer(const std::string& path, const char* format) {
        check(avformat_alloc_output_context2(&m_out, nullptr, format, path.c_str()), "output");
        check(avio_open(&m_out->pb, path.c_str(), AVIO_FLAG_WRITE), "open");
    }
    ~Writer() {
        for (AVCodecContext* c : m_codecs) {
            avcodec_free_context(&c);
        }
        if (m_out != nullptr) {
            avio_closep(&m_out->pb);
            avformat_free_context(m_out);
        }
    }

    AVCodecContext* add(const char* encoderName) {
        const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
        if (codec == nullptr) {
            throw std::runtime_error(std::string("fixture: no encoder ") + encoderName);
        }
        AVStream* stream = avformat_new_stream(m_out, nullptr);
        AVCodecContext* c = avcodec_alloc_context3(codec);
        m_codecs.push_back(c);
        m_streams.push_back(stream);
        return c;
    }
    void open(AVCodecContext* c) {
        check(avcodec_open2(c, c->codec, nullptr), "encoder");
        AVStream* stream = m_streams[index(c)];
        check(avcodec_parameters_from_context(stream->codecpar, c), "parameters");
        stream->time_base = c->time_base;
    }
    void begin() { check(avformat_write_header(m_out, nullptr), "header"); }
    void encode(AVCodecContext* c, AVFrame* frame) {
        check(avcodec_send_frame(c, frame), "encode");
        AVPacket* packet = av_packet_alloc();
        while (avcodec_receive_packet(c, packet) == 0) {
            AVStream* stream = m_streams[index(c)];
            av_packet_rescale_ts(packet, c->time_base, stream->time_base);
            packet->stream_index = stream->index;
            check(av_interleaved_write_frame(m_out, packet), "write");
        }
        av_packet_free(&packet);
    }
    void end() {
        for (AVCodecContext* c : m_codecs) {
            encode(c, nullptr);
        }
        check(av_write_trailer(m_out), "trailer");
    }

private:
    std::size_t index(AVCodecContext* c) const {
        for (std::size_t i = 0; i < m_codecs.size(); ++i) {
            if (m_codecs[i] == c) {
                return i;
            }
        }
        throw std::logic_error("unknown codec");
    }

    AVFormatContext* m_out = nullptr;
    std::vector<AVCodecContext*> m_codecs;
    std::vector<AVStream*> m_streams;
};

void encodeSound(Writer& writer, AVCodecContext* c, const std::vector<std::int16_t>& samples) {
    const int chunk = c->frame_size > 0 ? c->frame_size : 1024;
    AVFrame* frame = av_frame_alloc();
    std::int64_t pts = 0;
    for (std::size_t at = 0; at < samples.size(); at += chunk) {
        // Fixed-size codecs get a padded last frame; others the remainder.
        const int count = c->frame_size > 0
                              ? chunk
                              : static_cast<int>(std::min<std::size_t>(chunk, samples.size() - at));
        frame->nb_samples = count;
        frame->format = c->sample_fmt;
        frame->sample_rate = c->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &c->ch_layout);
        check(av_frame_get_buffer(frame, 0), "sound buffer");
        for (int i = 0; i < count; ++i) {
            const std::int16_t v = at + i < samples.size() ? samples[at + i] : 0;
            if (c->sample_fmt == AV_SAMPLE_FMT_U8) {
                frame->data[0][i] = static_cast<std::uint8_t>((v >> 8) + 128);
            } else {
                reinterpret_cast<std::int16_t*>(frame->data[0])[i] = v;
            }
        }
        frame->pts = pts;
        pts += count;
        writer.encode(c, frame);
        av_frame_unref(frame);
    }
    av_frame_free(&frame);
}

AVCodecContext* addSound(Writer& writer, const char* codec, int rate) {
    AVCodecContext* c = writer.add(codec);
    c->sample_rate = rate;
    c->sample_fmt = c->codec->sample_fmts[0];
    av_channel_layout_default(&c->ch_layout, 1);
    c->time_base = {1, rate};
    writer.open(c);
    return c;
}

} // namespace

QColor frameColour(int index) {
    const int i = ((index % 64) + 64) % 64;
    return QColor((i % 4) * 85, ((i / 4) % 4) * 85, ((i / 16) % 4) * 85);
}

int nearestFrame(QColor colour) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 64; ++i) {
        const QColor c = frameColour(i);
        const int dr = c.red() - colour.red();
        const int dg = c.green() - colour.green();
        const int db = c.blue() - colour.blue();
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<std::int16_t> sine(int frames, double hz, int rate, double amplitude) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        s[i] = static_cast<std::int16_t>(
            std::lround(32767 * amplitude * std::sin(2 * std::numbers::pi * hz * i / rate)));
    }
    return s;
}

void writeAvi(const std::string& path, const AviRecipe& recipe) {
    Writer writer(path, "avi");
    AVCodecContext* video = writer.add(recipe.codec.c_str());
    video->width = recipe.width;
    video->height = recipe.height;
    video->time_base = {1, recipe.fps};
    video->framerate = {recipe.fps, 1};
    video->gop_size = recipe.keyframeInterval;
    video->pix_fmt = video->codec->pix_fmts[0];
    if (recipe.codec == "mjpeg") {
        video->pix_fmt = AV_PIX_FMT_YUVJ420P;
        video->flags |= AV_CODEC_FLAG_QSCALE;
        video->global_quality = FF_QP2LAMBDA * 2;
    }
    writer.open(video);
    AVCodecContext* audio = recipe.sound ? addSound(writer, "pcm_u8", recipe.soundRate) : nullptr;
    writer.begin();

    SwsContext* sws =
        sws_getContext(recipe.width, recipe.height, AV_PIX_FMT_RGB24, recipe.width, recipe.height,
                       video->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(recipe.width) * recipe.height * 3);
    AVFrame* frame = av_frame_alloc();
    for (int f = 0; f < recipe.frames; ++f) {
        const QColor colour = frameColour(f);
        for (int y = 0; y < recipe.height; ++y) {
            for (int x = 0; x < recipe.width; ++x) {
                const std::size_t p = (static_cast<std::size_t>(y) * recipe.width + x) * 3;
                const int shade =
                    recipe.textured ? ((x * 7 + y * 3 + f * 5) % 64) + ((x ^ y) & 15) - 40 : 0;
                rgb[p] = static_cast<std::uint8_t>(std::clamp(colour.red() + shade, 0, 255));
                rgb[p + 1] = static_cast<std::uint8_t>(std::clamp(colour.green() - shade, 0, 255));
                rgb[p + 2] =
                    static_cast<std::uint8_t>(std::clamp(colour.blue() + shade / 2, 0, 255));
            }
        }
        frame->format = video->pix_fmt;
        frame->width = recipe.width;
        frame->height = recipe.height;
        check(av_frame_get_buffer(frame, 0), "picture buffer");
        const std::uint8_t* planes[1] = {rgb.data()};
        const int strides[1] = {recipe.width * 3};
        sws_scale(sws, planes, strides, 0, recipe.height, frame->data, frame->linesize);
        frame->pts = f;
        frame->quality = video->global_quality;
        writer.encode(video, frame);
        av_frame_unref(frame);
    }
    av_frame_free(&frame);
    sws_freeContext(sws);
    if (audio != nullptr) {
        const int frames = static_cast<int>(static_cast<std::int64_t>(recipe.frames) *
                                            recipe.soundRate / recipe.fps);
        encodeSound(writer, audio, sine(frames, recipe.toneHz, recipe.soundRate));
    }
    writer.end();
}

void writeWav(const std::string& path, const std::vector<std::int16_t>& samples,
              const WavRecipe& recipe) {
    Writer writer(path, "wav");
    AVCodecContext* c = addSound(writer, recipe.codec.c_str(), recipe.rate);
    writer.begin();
    encodeSound(writer, c, samples);
    writer.end();
}

std::string midiFile(int tempoUs, const std::vector<int>& notes, int ticksPerNote, int tailTicks) {
    std::string track;
    auto variable = [&track](std::uint32_t v) {
        char bytes[4];
        int n = 0;
        bytes[n++] = static_cast<char>(v & 0x7F);
        while ((v >>= 7) != 0) {
            bytes[n++] = static_cast<char>(0x80 | (v & 0x7F));
        }
        while (n > 0) {
            track.push_back(bytes[--n]);
        }
    };
    auto bytes = [&track](std::initializer_list<int> list) {
        for (int b : list) {
            track.push_back(static_cast<char>(b));
        }
    };
    variable(0);
    bytes({0xFF, 0x51, 0x03, (tempoUs >> 16) & 0xFF, (tempoUs >> 8) & 0xFF, tempoUs & 0xFF});
    variable(0);
    bytes({0xC0, 0x00});
    for (int note : notes) {
        variable(0);
        bytes({0x90, note, 100});
        variable(static_cast<std::uint32_t>(ticksPerNote));
        bytes({0x80, note, 0});
    }
    variable(static_cast<std::uint32_t>(tailTicks));
    bytes({0xFF, 0x2F, 0x00});

    auto big = [](std::uint32_t v, int count) {
        std::string s;
        for (int i = count - 1; i >= 0; --i) {
            s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
        return s;
    };
    return "MThd" + big(6, 4) + big(0, 2) + big(1, 2) + big(480, 2) + "MTrk" +
           big(static_cast<std::uint32_t>(track.size()), 4) + track;
}

} // namespace hc::test::media
