#include "content/gen/avi_writer.h"

#include "archive/error.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>

namespace hc::content {

namespace {

// JPEG quality scale of the encoder: 2 is near-lossless, 31 the coarsest. 3 keeps the clean
// outlines of the art free of ringing at these small sizes.
constexpr int kQuality = 3;

void check(int result, const char* what, const std::string& path) {
    if (result < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(result, text, sizeof text);
        throw Error("Can't write movie " + path + ": " + what + ": " + text);
    }
}

} // namespace

struct AviWriter::Impl {
    std::string path;
    int width = 0;
    int height = 0;
    int fps = 0;
    const Sound* sound = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* video = nullptr;
    AVStream* audio = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    std::int64_t framesWritten = 0;
    std::size_t samplesWritten = 0;
    bool finished = false;

    ~Impl() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        sws_freeContext(scaler);
        avcodec_free_context(&codec);
        if (format != nullptr) {
            if (format->pb != nullptr) {
                avio_closep(&format->pb);
            }
            avformat_free_context(format);
        }
    }

    void drainEncoder() {
        for (;;) {
            const int result = avcodec_receive_packet(codec, packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
                return;
            }
            check(result, "encoding a frame", path);
            av_packet_rescale_ts(packet, codec->time_base, video->time_base);
            packet->stream_index = video->index;
            check(av_interleaved_write_frame(format, packet), "writing a frame", path);
        }
    }

    // Writes sound up to `untilSample` (padded with silence past the sound's end), in packets
    // of at most one frame's length so the two tracks interleave finely.
    void writeSoundUntil(std::size_t untilSample) {
        if (audio == nullptr) {
            return;
        }
        const std::size_t chunk = static_cast<std::size_t>(sound->sampleRate / fps);
        while (samplesWritten < untilSample) {
            const std::size_t count = std::min(chunk, untilSample - samplesWritten);
            AVPacket* pcm = av_packet_alloc();
            check(av_new_packet(pcm, static_cast<int>(count * 2)), "allocating sound", path);
            for (std::size_t i = 0; i < count; ++i) {
                const std::size_t at = samplesWritten + i;
                const std::int16_t value = at < sound->samples.size() ? sound->samples[at] : 0;
                const auto bits = static_cast<std::uint16_t>(value);
                pcm->data[2 * i] = static_cast<std::uint8_t>(bits & 0xFF);
                pcm->data[2 * i + 1] = static_cast<std::uint8_t>(bits >> 8);
            }
            pcm->pts = pcm->dts = static_cast<std::int64_t>(samplesWritten);
            pcm->duration = static_cast<std::int64_t>(count);
            pcm->stream_index = audio->index;
            av_packet_rescale_ts(pcm, AVRational{1, sound->sampleRate}, audio->time_base);
            const int result = av_interleaved_write_frame(format, pcm);
            av_packet_free(&pcm);
            check(result, "writing sound", path);
            samplesWritten += count;
        }
    }

    std::size_t soundSampleAtFrame(std::int64_t frameIndex) const {
        return static_cast<std::size_t>(frameIndex * sound->sampleRate / fps);
    }
};

AviWriter::AviWriter(const std::string& path, int width, int height, int fps, const Sound* sound)
    : m_impl(std::make_unique<Impl>()) {
    Impl& d = *m_impl;
    d.path = path;
    d.width = width;
    d.height = height;
    d.fps = fps;
    d.sound = sound;

    check(avformat_alloc_output_context2(&d.format, nullptr, "avi", path.c_str()),
          "choosing the AVI muxer", path);
    d.format->flags |= AVFMT_FLAG_BITEXACT;

    const AVCodec* mjpeg = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    if (mjpeg == nullptr) {
        throw Error("Can't write movie " + path + ": FFmpeg has no MJPEG encoder");
    }
    d.codec = avcodec_alloc_context3(mjpeg);
    d.codec->width = width;
    d.codec->height = height;
    d.codec->time_base = AVRational{1, fps};
    d.codec->framerate = AVRational{fps, 1};
    // Full chroma keeps thin red and black outlines crisp in these small pictures.
    d.codec->pix_fmt = AV_PIX_FMT_YUVJ444P;
    d.codec->color_range = AVCOL_RANGE_JPEG;
    d.codec->flags |= AV_CODEC_FLAG_BITEXACT | AV_CODEC_FLAG_QSCALE;
    d.codec->global_quality = FF_QP2LAMBDA * kQuality;
    d.codec->thread_count = 1;
    if (d.format->oformat->flags & AVFMT_GLOBALHEADER) {
        d.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    check(avcodec_open2(d.codec, mjpeg, nullptr), "opening the MJPEG encoder", path);

    d.video = avformat_new_stream(d.format, nullptr);
    check(avcodec_parameters_from_context(d.video->codecpar, d.codec), "describing video", path);
    d.video->time_base = d.codec->time_base;
    d.video->avg_frame_rate = AVRational{fps, 1};

    if (sound != nullptr) {
        d.audio = avformat_new_stream(d.format, nullptr);
        AVCodecParameters* par = d.audio->codecpar;
        par->codec_type = AVMEDIA_TYPE_AUDIO;
        par->codec_id = AV_CODEC_ID_PCM_S16LE;
        par->sample_rate = sound->sampleRate;
        av_channel_layout_default(&par->ch_layout, 1);
        par->bits_per_coded_sample = 16;
        par->block_align = 2;
        par->bit_rate = static_cast<std::int64_t>(sound->sampleRate) * 16;
        d.audio->time_base = AVRational{1, sound->sampleRate};
    }

    check(avio_open(&d.format->pb, path.c_str(), AVIO_FLAG_WRITE), "creating the file", path);
    check(avformat_write_header(d.format, nullptr), "writing the header", path);

    d.scaler =
        sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, AV_PIX_FMT_YUVJ444P,
                       SWS_POINT | SWS_BITEXACT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (d.scaler == nullptr) {
        throw Error("Can't write movie " + path + ": no colour converter");
    }
    d.frame = av_frame_alloc();
    d.frame->format = AV_PIX_FMT_YUVJ444P;
    d.frame->width = width;
    d.frame->height = height;
    d.frame->color_range = AVCOL_RANGE_JPEG;
    check(av_frame_get_buffer(d.frame, 0), "allocating a frame", path);
    d.packet = av_packet_alloc();
}

AviWriter::~AviWriter() = default;

void AviWriter::addFrame(const QImage& image) {
    Impl& d = *m_impl;
    if (image.width() != d.width || image.height() != d.height) {
        throw Error("Can't write movie " + d.path + ": a frame has the wrong size");
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    check(av_frame_make_writable(d.frame), "reusing a frame", d.path);
    const std::uint8_t* source[1] = {argb.constBits()};
    const int stride[1] = {static_cast<int>(argb.bytesPerLine())};
    sws_scale(d.scaler, source, stride, 0, d.height, d.frame->data, d.frame->linesize);
    d.frame->pts = d.framesWritten;
    check(avcodec_send_frame(d.codec, d.frame), "encoding a frame", d.path);
    d.drainEncoder();
    ++d.framesWritten;
    if (d.sound != nullptr) {
        d.writeSoundUntil(d.soundSampleAtFrame(d.framesWritten));
    }
}

void AviWriter::finish() {
    Impl& d = *m_impl;
    if (d.finished) {
        return;
    }
    d.finished = true;
    check(avcodec_send_frame(d.codec, nullptr), "flushing the encoder", d.path);
    d.drainEncoder();
    if (d.sound != nullptr) {
        d.writeSoundUntil(d.soundSampleAtFrame(d.framesWritten));
    }
    check(av_write_trailer(d.format), "writing the index", d.path);
}

int framesForSound(const Sound& sound, int fps, int minimum) {
    if (sound.sampleRate <= 0) {
        return minimum;
    }
    const auto samples = static_cast<std::int64_t>(sound.samples.size());
    const auto frames = (samples * fps + sound.sampleRate - 1) / sound.sampleRate;
    return std::max(minimum, static_cast<int>(frames));
}

} // namespace hc::content
