#include "platform/media/ffmpeg_media.h"

#include "archive/error.h"

#include <QIODevice>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <array>

namespace hc::media::detail {
namespace {

constexpr int kIoBufferSize = 32 * 1024;
// Going further ahead than this many frames seeks instead of decoding every frame between.
constexpr std::int64_t kSeekAhead = 24;

hc::Error openError(const QString& name, const QString& reason) {
    return hc::Error(
        QStringLiteral("Cannot open media file %1: %2").arg(name, reason).toStdString());
}

struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwrDeleter {
    void operator()(SwrContext* s) const { swr_free(&s); }
};

// Opens a decoder for `stream`, single-threaded (the media are small, and the program has no
// worker threads of its own). Null when the codec is unknown or refuses the parameters.
AVCodecContext* openDecoder(const AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) {
        return nullptr;
    }
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (context == nullptr) {
        return nullptr;
    }
    context->thread_count = 1;
    if (avcodec_parameters_to_context(context, stream->codecpar) < 0 ||
        avcodec_open2(context, codec, nullptr) < 0) {
        avcodec_free_context(&context);
        return nullptr;
    }
    return context;
}

} // namespace

std::string ffmpegError(int code) {
    std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
    av_strerror(code, text.data(), text.size());
    return text.data();
}

FormatInput::FormatInput(std::unique_ptr<QIODevice> device, const QString& name)
    : m_device(std::move(device)), m_name(name) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    m_io = avio_alloc_context(buffer, kIoBufferSize, 0, this, &FormatInput::read, nullptr,
                              &FormatInput::seek);
    m_format = avformat_alloc_context();
    if (buffer == nullptr || m_io == nullptr || m_format == nullptr) {
        if (m_io == nullptr) {
            av_free(buffer);
        }
        release();
        throw openError(name, QStringLiteral("out of memory"));
    }
    m_format->pb = m_io;
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // On failure avformat_open_input frees the context (not our I/O context).
    if (avformat_open_input(&m_format, nullptr, nullptr, nullptr) < 0 ||
        avformat_find_stream_info(m_format, nullptr) < 0) {
        release();
        throw openError(name, QStringLiteral("the file is damaged or not a media file"));
    }
}

FormatInput::~FormatInput() {
    release();
}

void FormatInput::release() {
    if (m_format != nullptr) {
        avformat_close_input(&m_format);
    }
    if (m_io != nullptr) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
}

QString FormatInput::formatName() const {
    return QString::fromLatin1(m_format->iformat->name);
}

int FormatInput::read(void* opaque, std::uint8_t* buffer, int size) {
    auto* self = static_cast<FormatInput*>(opaque);
    const qint64 got = self->m_device->read(reinterpret_cast<char*>(buffer), size);
    if (got < 0) {
        return AVERROR(EIO);
    }
    return got == 0 ? AVERROR_EOF : static_cast<int>(got);
}

std::int64_t FormatInput::seek(void* opaque, std::int64_t offset, int whence) {
    auto* self = static_cast<FormatInput*>(opaque);
    QIODevice& device = *self->m_device;
    if (whence == AVSEEK_SIZE) {
        return device.size();
    }
    std::int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = device.pos() + offset;
        break;
    case SEEK_END:
        target = device.size() + offset;
        break;
    default:
        return AVERROR(EINVAL);
    }
    return target >= 0 && device.seek(target) ? target : AVERROR(EIO);
}

PcmBuffer decodeAudio(FormatInput& input, int streamIndex) {
    AVFormatContext* format = input.context();
    const AVStream* stream = format->streams[streamIndex];
    std::unique_ptr<AVCodecContext, CodecContextDeleter> codec(openDecoder(stream));
    if (!codec || codec->sample_rate <= 0 || codec->sample_rate > 384000 ||
        codec->ch_layout.nb_channels <= 0) {
        throw openError(input.name(), QStringLiteral("its sound cannot be decoded"));
    }
    PcmBuffer pcm;
    pcm.rate = codec->sample_rate;
    pcm.channels = std::min(codec->ch_layout.nb_channels, 2);
    std::unique_ptr<SwrContext, SwrDeleter> swr;
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());

    auto convert = [&](const AVFrame* in) {
        if (!swr) {
            AVChannelLayout inLayout{};
            if (in->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || in->ch_layout.nb_channels == 0) {
                av_channel_layout_default(&inLayout, codec->ch_layout.nb_channels);
            } else {
                av_channel_layout_copy(&inLayout, &in->ch_layout);
            }
            AVChannelLayout outLayout{};
            av_channel_layout_default(&outLayout, pcm.channels);
            SwrContext* raw = nullptr;
            const int status =
                swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, pcm.rate, &inLayout,
                                    static_cast<AVSampleFormat>(in->format), pcm.rate, 0, nullptr);
            av_channel_layout_uninit(&inLayout);
            av_channel_layout_uninit(&outLayout);
            swr.reset(raw);
            if (status < 0 || swr_init(swr.get()) < 0) {
                throw openError(input.name(), QStringLiteral("its sound cannot be converted"));
            }
        }
        const int room = swr_get_out_samples(swr.get(), in != nullptr ? in->nb_samples : 0);
        if (room <= 0) {
            return;
        }
        const std::size_t old = pcm.samples.size();
        pcm.samples.resize(old + static_cast<std::size_t>(room) * pcm.channels);
        auto* out = reinterpret_cast<std::uint8_t*>(pcm.samples.data() + old);
        const int got = swr_convert(
            swr.get(), &out, room,
            in != nullptr ? const_cast<const std::uint8_t**>(in->extended_data) : nullptr,
            in != nullptr ? in->nb_samples : 0);
        pcm.samples.resize(old + static_cast<std::size_t>(std::max(got, 0)) * pcm.channels);
    };
    auto receive = [&] {
        while (avcodec_receive_frame(codec.get(), frame.get()) == 0) {
            convert(frame.get());
            av_frame_unref(frame.get());
        }
    };

    while (av_read_frame(format, packet.get()) >= 0) {
        if (packet->stream_index == streamIndex && packet->size > 0) {
            // A damaged packet is skipped: the rest of the sound still plays.
            if (avcodec_send_packet(codec.get(), packet.get()) == 0) {
                receive();
            }
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(codec.get(), nullptr);
    receive();
    if (swr) {
        convert(nullptr);
    }
    return pcm;
}

std::int64_t packetEnd(FormatInput& input, int streamIndex) {
    AVFormatContext* format = input.context();
    const AVStream* stream = format->streams[streamIndex];
    const std::int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    if (av_seek_frame(format, streamIndex, start, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(format, -1, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD) < 0) {
        return 0;
    }
    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    if (!packet) {
        return 0;
    }
    std::int64_t count = 0;
    std::int64_t end = 0;
    while (av_read_frame(format, packet.get()) >= 0) {
        if (packet->stream_index == streamIndex) {
            const std::int64_t number = packet->pts != AV_NOPTS_VALUE ? packet->pts - start : count;
            end = std::max(end, number + std::max<std::int64_t>(packet->duration, 1));
            ++count;
        }
        av_packet_unref(packet.get());
    }
    return end;
}

VideoDecoder::VideoDecoder(FormatInput& input, int stream) : m_input(input), m_stream(stream) {
    const AVStream* avStream = input.context()->streams[stream];
    m_startPts = avStream->start_time != AV_NOPTS_VALUE ? avStream->start_time : 0;
    m_codec = openDecoder(avStream);
    m_packet = av_packet_alloc();
    m_next = av_frame_alloc();
    if (m_codec == nullptr || m_packet == nullptr || m_next == nullptr) {
        release();
        throw openError(input.name(), QStringLiteral("its video codec is not supported"));
    }
    try {
        seekTo(0);
        picture(0);
    } catch (const DecodeError&) {
        release();
        throw openError(input.name(), QStringLiteral("its pictures cannot be decoded"));
    }
}

VideoDecoder::~VideoDecoder() {
    release();
}

void VideoDecoder::release() {
    sws_freeContext(m_sws);
    m_sws = nullptr;
    av_frame_free(&m_next);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
}

void VideoDecoder::seekTo(std::int64_t index) {
    AVFormatContext* format = m_input.context();
    if (av_seek_frame(format, m_stream, m_startPts + index, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(format, m_stream, m_startPts, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(format, -1, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD) < 0) {
        throw DecodeError("cannot seek in the video");
    }
    avcodec_flush_buffers(m_codec);
    av_frame_unref(m_next);
    m_haveNext = false;
    m_draining = false;
    m_atEnd = false;
    m_lastNumber = -1;
    m_currentNumber = -1;
}

bool VideoDecoder::decodeNext() {
    AVFormatContext* format = m_input.context();
    while (!m_atEnd) {
        const int received = avcodec_receive_frame(m_codec, m_next);
        if (received == 0) {
            m_nextNumber = frameNumber(m_next);
            m_haveNext = true;
            return true;
        }
        if (received != AVERROR(EAGAIN) || m_draining) {
            m_atEnd = true;
            break;
        }
        const int read = av_read_frame(format, m_packet);
        if (read == AVERROR_EOF) {
            avcodec_send_packet(m_codec, nullptr);
            m_draining = true;
            continue;
        }
        if (read < 0) {
            throw DecodeError("cannot read the video: " + ffmpegError(read));
        }
        // Empty chunks stand for frames that repeat the previous picture; a damaged packet is
        // skipped likewise.
        if (m_packet->stream_index == m_stream && m_packet->size > 0) {
            avcodec_send_packet(m_codec, m_packet);
        }
        av_packet_unref(m_packet);
    }
    return false;
}

std::int64_t VideoDecoder::frameNumber(const AVFrame* frame) {
    std::int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE) {
        ts = frame->pts;
    }
    const std::int64_t number = ts != AV_NOPTS_VALUE ? ts - m_startPts : m_lastNumber + 1;
    m_lastNumber = number;
    return number;
}

void VideoDecoder::keepPictures(bool keep, std::int64_t frames) {
    const std::int64_t bytes =
        std::int64_t(m_size.width()) * m_size.height() * 4 * std::max<std::int64_t>(frames, 0);
    if (!keep || frames <= 0 || bytes > kKeepBudget) {
        m_kept.clear();
        m_kept.shrink_to_fit();
        m_keptShown = QImage();
        return;
    }
    if (m_kept.size() != static_cast<std::size_t>(frames)) {
        m_kept.assign(static_cast<std::size_t>(frames), QImage());
    }
}

const QImage& VideoDecoder::picture(std::int64_t index) {
    const bool keeping = index >= 0 && index < static_cast<std::int64_t>(m_kept.size());
    if (keeping && !m_kept[static_cast<std::size_t>(index)].isNull()) {
        m_keptShown = m_kept[static_cast<std::size_t>(index)];
        return m_keptShown;
    }
    if (m_currentNumber < 0 || index < m_currentNumber || index > m_currentNumber + kSeekAhead) {
        if (!(m_currentNumber < 0 && m_lastNumber < 0 && !m_haveNext && index == 0)) {
            seekTo(index);
        }
    }
    AVFrame* chosen = nullptr;
    std::unique_ptr<AVFrame, FrameDeleter> held(av_frame_alloc());
    std::int64_t chosenNumber = m_currentNumber;
    while (m_haveNext || decodeNext()) {
        if (chosenNumber >= 0 && m_nextNumber > index) {
            break;
        }
        av_frame_unref(held.get());
        av_frame_move_ref(held.get(), m_next);
        chosen = held.get();
        chosenNumber = m_nextNumber;
        m_haveNext = false;
    }
    if (chosen != nullptr) {
        QImage next = toImage(chosen);
        m_spare = std::move(m_current);
        m_current = std::move(next);
        m_currentNumber = chosenNumber;
    }
    if (m_currentNumber < 0 || m_current.isNull()) {
        throw DecodeError("no picture could be decoded");
    }
    if (keeping) {
        m_kept[static_cast<std::size_t>(index)] = m_current;
    }
    return m_current;
}

QImage VideoDecoder::toImage(const AVFrame* frame) {
    const int width = frame->width;
    const int height = frame->height;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        throw DecodeError("the picture has an impossible size");
    }
    m_sws =
        sws_getCachedContext(m_sws, width, height, static_cast<AVPixelFormat>(frame->format), width,
                             height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (m_sws == nullptr) {
        throw DecodeError("the picture format cannot be converted");
    }
    // The picture before last is written over once nobody holds it any more, so a playing
    // movie does not allocate a picture for every frame.
    QImage image = std::move(m_spare);
    if (image.size() != QSize(width, height) || !image.isDetached()) {
        image = QImage(width, height, QImage::Format_RGB32);
    }
    std::uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    sws_scale(m_sws, frame->data, frame->linesize, 0, height, planes, strides);
    m_size = image.size();
    return image;
}

} // namespace hc::media::detail
