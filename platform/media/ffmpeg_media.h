#pragma once

// Decoding through FFmpeg, internal to the media library: a container read from a byte
// source (a QIODevice: a file, or a resource compiled into the program), a whole audio
// stream decoded into memory, and a video stream decoded picture by picture on demand.

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

class QIODevice;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct SwsContext;

namespace hc::media::detail {

// A failure while playing (a damaged packet that stops decoding, a read error). The player
// turns it into the "failed" notification; it never reaches the user as an error box.
class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decoded sound: interleaved signed 16-bit samples, one or two channels.
struct PcmBuffer {
    int rate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;
    std::int64_t frames() const {
        return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0;
    }
};

// FFmpeg's text for an error code.
std::string ffmpegError(int code);

// A container opened from a byte source. Throws hc::Error naming `name` when the bytes are
// not a container FFmpeg recognises.
class FormatInput {
public:
    FormatInput(std::unique_ptr<QIODevice> device, const QString& name);
    ~FormatInput();
    FormatInput(const FormatInput&) = delete;
    FormatInput& operator=(const FormatInput&) = delete;

    AVFormatContext* context() const { return m_format; }
    // The demuxer's short name, such as "avi" or "wav".
    QString formatName() const;
    const QString& name() const { return m_name; }

private:
    void release();
    static int read(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t seek(void* opaque, std::int64_t offset, int whence);

    std::unique_ptr<QIODevice> m_device;
    QString m_name;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
};

// Decodes the whole of audio stream `stream` (reading the container to its end) into
// interleaved 16-bit samples at the stream's own rate; more than two channels are mixed
// down to two. Damaged packets are skipped. Throws hc::Error when the stream's codec is
// unknown; leaves the container positioned at its end.
PcmBuffer decodeAudio(FormatInput& input, int stream);

// One past the last frame number that the packets of stream `stream` carry (counted from the
// stream's start, a packet's duration included), read from the whole container: the length the
// data really has, whatever its header claims. 0 when the stream has no packet. Leaves the
// container positioned at its end.
std::int64_t packetEnd(FormatInput& input, int stream);

// Pictures of one video stream by frame number (0 = the stream's first frame), decoded
// forward from where the last request left off and seeking only when asked to go back or far
// ahead, as playback does.
class VideoDecoder {
public:
    // Throws hc::Error when the codec is unknown or the first picture cannot be decoded.
    VideoDecoder(FormatInput& input, int stream);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // The picture on screen at frame `index`: the last decoded picture whose frame number is
    // not above it (frames a file leaves out repeat the one before). Throws DecodeError when
    // reading fails or no picture can be decoded.
    const QImage& picture(std::int64_t index);
    QSize size() const { return m_size; }

    // While on, every picture handed out for a frame of the first `frames` is kept, so a short
    // movie that plays again and again (an idle animation) is decoded only once. Only a movie
    // all of whose pictures fit in kKeepBudget bytes is kept; off drops what was kept.
    static constexpr std::int64_t kKeepBudget = 2'500'000;
    void keepPictures(bool keep, std::int64_t frames);

private:
    void release();
    void seekTo(std::int64_t index);
    // Decodes the next picture into m_next; false at the end of the stream.
    bool decodeNext();
    std::int64_t frameNumber(const AVFrame* frame);
    QImage toImage(const AVFrame* frame);

    FormatInput& m_input;
    int m_stream;
    std::int64_t m_startPts = 0;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_next = nullptr;
    SwsContext* m_sws = nullptr;
    bool m_haveNext = false;
    bool m_draining = false;
    bool m_atEnd = false;
    std::int64_t m_lastNumber = -1;
    std::int64_t m_nextNumber = -1;
    std::int64_t m_currentNumber = -1; // frame number of m_current; -1 when none
    QImage m_current;
    QImage m_spare; // the picture shown before m_current, reused once it is free
    std::vector<QImage> m_kept; // by frame, while pictures are kept
    QImage m_keptShown;
    QSize m_size;
};

} // namespace hc::media::detail
