#include "content/probe/movie_probe.h"

#include "archive/error.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace hc::content {

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecCloser {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameCloser {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketCloser {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerCloser {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

std::unique_ptr<AVCodecContext, CodecCloser> openDecoder(AVStream* stream,
                                                         const std::string& path) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) {
        throw Error("No decoder for a stream of " + path);
    }
    std::unique_ptr<AVCodecContext, CodecCloser> context(avcodec_alloc_context3(codec));
    if (avcodec_parameters_to_context(context.get(), stream->codecpar) < 0 ||
        avcodec_open2(context.get(), codec, nullptr) < 0) {
        throw Error("Can't open the decoder for " + path);
    }
    return context;
}

QImage toImage(const AVFrame* frame, std::unique_ptr<SwsContext, ScalerCloser>& scaler) {
    scaler.reset(sws_getCachedContext(
        scaler.release(), frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
        frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr));
    QImage image(frame->width, frame->height, QImage::Format_RGB888);
    std::uint8_t* target[1] = {image.bits()};
    const int stride[1] = {static_cast<int>(image.bytesPerLine())};
    sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, target, stride);
    return image;
}

} // namespace

MediaInfo probeMedia(const std::string& path, std::vector<QImage>* frames) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        throw Error("Can't open media file " + path);
    }
    std::unique_ptr<AVFormatContext, FormatCloser> format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) {
        throw Error("Can't read the streams of " + path);
    }
    MediaInfo info;
    info.container = format->iformat->name;
    const int videoIndex =
        av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audioIndex =
        av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    std::unique_ptr<AVCodecContext, CodecCloser> video;
    std::unique_ptr<AVCodecContext, CodecCloser> audio;
    if (videoIndex >= 0) {
        AVStream* stream = format->streams[videoIndex];
        video = openDecoder(stream, path);
        info.videoCodec = avcodec_get_name(stream->codecpar->codec_id);
        info.width = stream->codecpar->width;
        info.height = stream->codecpar->height;
        info.framesPerSecond = av_q2d(stream->avg_frame_rate);
    }
    if (audioIndex >= 0) {
        AVStream* stream = format->streams[audioIndex];
        audio = openDecoder(stream, path);
        info.audioCodec = avcodec_get_name(stream->codecpar->codec_id);
        info.sampleRate = stream->codecpar->sample_rate;
        info.channels = stream->codecpar->ch_layout.nb_channels;
    }

    std::unique_ptr<AVPacket, PacketCloser> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameCloser> frame(av_frame_alloc());
    std::unique_ptr<SwsContext, ScalerCloser> scaler;
    auto receive = [&](AVCodecContext* decoder, bool isVideo) {
        for (;;) {
            const int result = avcodec_receive_frame(decoder, frame.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
                return;
            }
            if (result < 0) {
                throw Error("A frame of " + path + " does not decode");
            }
            if (isVideo) {
                ++info.framesDecoded;
                if (frames != nullptr) {
                    frames->push_back(toImage(frame.get(), scaler));
                }
            } else {
                info.samples += frame->nb_samples;
                const auto format = static_cast<AVSampleFormat>(frame->format);
                if (format == AV_SAMPLE_FMT_S16 || format == AV_SAMPLE_FMT_S16P) {
                    const auto* samples = reinterpret_cast<const std::int16_t*>(frame->data[0]);
                    for (int i = 0; i < frame->nb_samples; ++i) {
                        info.peak = std::max(info.peak, std::abs(static_cast<int>(samples[i])));
                    }
                } else if (format == AV_SAMPLE_FMT_U8 || format == AV_SAMPLE_FMT_U8P) {
                    for (int i = 0; i < frame->nb_samples; ++i) {
                        const int value = (frame->data[0][i] - 128) * 256;
                        info.peak = std::max(info.peak, std::abs(value));
                    }
                }
            }
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        AVCodecContext* decoder = nullptr;
        if (packet->stream_index == videoIndex) {
            decoder = video.get();
        } else if (packet->stream_index == audioIndex) {
            decoder = audio.get();
        }
        if (decoder != nullptr) {
            if (avcodec_send_packet(decoder, packet.get()) < 0) {
                av_packet_unref(packet.get());
                throw Error("A packet of " + path + " does not decode");
            }
            receive(decoder, decoder == video.get());
        }
        av_packet_unref(packet.get());
    }
    for (AVCodecContext* decoder : {video.get(), audio.get()}) {
        if (decoder != nullptr) {
            avcodec_send_packet(decoder, nullptr);
            receive(decoder, decoder == video.get());
        }
    }
    return info;
}

double meanDifference(const QImage& a, const QImage& b, QRect area) {
    const QImage left = a.convertToFormat(QImage::Format_RGB888);
    const QImage right = b.convertToFormat(QImage::Format_RGB888);
    if (left.size() != right.size()) {
        return 255.0;
    }
    if (area.isEmpty()) {
        area = left.rect();
    }
    area &= left.rect();
    double total = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const std::uint8_t* l = left.constScanLine(y);
        const std::uint8_t* r = right.constScanLine(y);
        for (int x = area.left() * 3; x < (area.right() + 1) * 3; ++x) {
            total += std::abs(static_cast<int>(l[x]) - static_cast<int>(r[x]));
        }
    }
    const double count = static_cast<double>(area.width()) * area.height() * 3;
    return count > 0 ? total / count : 0.0;
}

} // namespace hc::content
