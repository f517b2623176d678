#include "platform/media/medium.h"

#include "archive/error.h"
#include "platform/media/ffmpeg_media.h"
#include "platform/media/midi_file.h"
#include "platform/media/midi_source.h"
#include "platform/media/pcm_source.h"

#include <QFile>

#include <algorithm>
#include <cstdio>

extern "C" {
#include <libavformat/avformat.h>
}

namespace hc::media::detail {
namespace {

// MIDI files are read whole; anything larger is not music for this program.
constexpr qint64 kMaxMidiBytes = 16 * 1024 * 1024;

hc::Error openError(const QString& name, const QString& reason) {
    return hc::Error(
        QStringLiteral("Cannot open media file %1: %2").arg(name, reason).toStdString());
}

std::unique_ptr<QFile> openFile(const QString& name) {
    if (name.isEmpty()) {
        throw hc::Error("Cannot open a media player without a file name");
    }
    auto file = std::make_unique<QFile>(name);
    if (!file->exists()) {
        throw openError(name, QStringLiteral("the file does not exist"));
    }
    if (!file->open(QIODevice::ReadOnly)) {
        throw openError(name, file->errorString());
    }
    return file;
}

class AviMedium final : public Medium {
public:
    explicit AviMedium(const QString& name) : m_input(openFile(name), name) {
        AVFormatContext* format = m_input.context();
        if (m_input.formatName() != QLatin1String("avi")) {
            throw openError(name, QStringLiteral("not an AVI video"));
        }
        const int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (video < 0) {
            throw openError(name, QStringLiteral("the video has no pictures"));
        }
        const AVStream* stream = format->streams[video];
        if (stream->time_base.num <= 0 || stream->time_base.den <= 0) {
            throw openError(name, QStringLiteral("the video has no frame rate"));
        }
        m_unit = {stream->time_base.num, stream->time_base.den};
        const std::int64_t claimed = stream->nb_frames > 0  ? stream->nb_frames
                                     : stream->duration > 0 ? stream->duration
                                                            : 0;
        const int audio = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, video, nullptr, 0);
        if (audio >= 0) {
            auto pcm = std::make_shared<PcmBuffer>(decodeAudio(m_input, audio));
            if (pcm->frames() > 0) {
                m_sound = std::move(pcm);
            }
        }
        // A header may claim far more frames than the file holds (a damaged or hand-made
        // file): a play would then run on for years after the last picture, and a screen
        // waiting for the movie's end would never go on. The movie ends where its data does.
        const std::int64_t real = packetEnd(m_input, video);
        m_length = claimed;
        if (real > 0 && (claimed == 0 || real < claimed)) {
            if (claimed > 0) {
                std::fprintf(stderr,
                             "Warning: the video %s claims %lld frames but holds only %lld; it "
                             "ends after those.\n",
                             name.toLocal8Bit().constData(), static_cast<long long>(claimed),
                             static_cast<long long>(real));
            }
            m_length = real;
        }
        m_length = std::max<std::int64_t>(m_length, 1);
        m_video = std::make_unique<VideoDecoder>(m_input, video);
    }

    Unit unit() const override { return m_unit; }
    std::int64_t length() const override { return m_length; }
    bool supports(TimeFormat format) const override { return format != TimeFormat::Samples; }
    TimeFormat defaultFormat() const override { return TimeFormat::Frames; }
    bool hasVideo() const override { return true; }
    QSize size() const override { return m_video->size(); }
    const QImage& picture(std::int64_t index) override { return m_video->picture(index); }
    void keepPictures(bool keep) override { m_video->keepPictures(keep, m_length); }

    bool hasSound() const override { return m_sound != nullptr; }
    std::unique_ptr<AudioSource> sound(std::int64_t from, std::int64_t to,
                                       const MixFormat& format) override {
        // Frame f starts at f * num / den seconds; the sound from there.
        const auto toSample = [&](std::int64_t frame) {
            return av_rescale(frame, m_unit.num * m_sound->rate, m_unit.den);
        };
        return std::make_unique<PcmSource>(m_sound, toSample(from), toSample(to), format);
    }

private:
    FormatInput m_input;
    Unit m_unit;
    std::int64_t m_length = 0;
    std::shared_ptr<const PcmBuffer> m_sound;
    std::unique_ptr<VideoDecoder> m_video;
};

class WaveMedium final : public Medium {
public:
    explicit WaveMedium(const QString& name) {
        FormatInput input(openFile(name), name);
        if (input.formatName() != QLatin1String("wav")) {
            throw openError(name, QStringLiteral("not a wave file"));
        }
        const int audio =
            av_find_best_stream(input.context(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (audio < 0) {
            throw openError(name, QStringLiteral("the wave file holds no sound"));
        }
        m_sound = std::make_shared<PcmBuffer>(decodeAudio(input, audio));
    }

    Unit unit() const override { return {1, m_sound->rate}; }
    std::int64_t length() const override { return m_sound->frames(); }
    bool supports(TimeFormat format) const override { return format != TimeFormat::Frames; }
    TimeFormat defaultFormat() const override { return TimeFormat::Milliseconds; }

    std::unique_ptr<AudioSource> sound(std::int64_t from, std::int64_t to,
                                       const MixFormat& format) override {
        return std::make_unique<PcmSource>(m_sound, from, to, format);
    }

private:
    std::shared_ptr<const PcmBuffer> m_sound;
};

class MidiMedium final : public Medium {
public:
    MidiMedium(const QString& name, const MixFormat& mixFormat) {
        auto file = openFile(name);
        if (file->size() > kMaxMidiBytes) {
            throw openError(name, QStringLiteral("the MIDI file is too large"));
        }
        const QByteArray bytes = file->readAll();
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        m_song = std::make_shared<MidiSong>(
            parseMidi({data, static_cast<std::size_t>(bytes.size())}, name.toStdString()));
        m_synth = std::make_shared<Synth>(mixFormat.rate, name.toStdString());
    }

    Unit unit() const override { return {1, 1'000'000}; }
    std::int64_t length() const override { return m_song->lengthUs; }
    bool supports(TimeFormat format) const override { return format == TimeFormat::Milliseconds; }
    TimeFormat defaultFormat() const override { return TimeFormat::Milliseconds; }
    bool soundsShareState() const override { return true; }

    std::unique_ptr<AudioSource> sound(std::int64_t from, std::int64_t,
                                       const MixFormat& format) override {
        return std::make_unique<MidiSource>(m_synth, m_song, from, format);
    }

private:
    std::shared_ptr<const MidiSong> m_song;
    std::shared_ptr<Synth> m_synth;
};

} // namespace

const QImage& Medium::picture(std::int64_t) {
    throw DecodeError("the medium has no pictures");
}

std::unique_ptr<Medium> Medium::open(DeviceType type, const QString& fileName,
                                     const MixFormat& mixFormat) {
    switch (type) {
    case DeviceType::AviVideo:
        return std::make_unique<AviMedium>(fileName);
    case DeviceType::WaveAudio:
        return std::make_unique<WaveMedium>(fileName);
    case DeviceType::Sequencer:
        return std::make_unique<MidiMedium>(fileName, mixFormat);
    }
    throw hc::Error("Unknown media device type");
}

} // namespace hc::media::detail
