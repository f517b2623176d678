#pragma once

// The opened file behind a MediaPlayer, one kind per device type. Internal to the library.

#include "platform/media/media_player.h"
#include "platform/media/mixer.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>

namespace hc::media::detail {

class Medium {
public:
    // The native unit of positions, as a fraction of a second: frames for AVI, sample frames
    // for wave, microseconds for MIDI.
    struct Unit {
        std::int64_t num = 1;
        std::int64_t den = 1;
    };

    virtual ~Medium() = default;

    // Throws hc::Error naming `fileName` when it cannot be opened as `type`.
    static std::unique_ptr<Medium> open(DeviceType type, const QString& fileName,
                                        const MixFormat& mixFormat);

    virtual Unit unit() const = 0;
    virtual std::int64_t length() const = 0;
    virtual bool supports(TimeFormat format) const = 0;
    virtual TimeFormat defaultFormat() const = 0;

    virtual bool hasSound() const { return true; }
    // The sound of [from, to) in native units; only when hasSound().
    virtual std::unique_ptr<AudioSource> sound(std::int64_t from, std::int64_t to,
                                               const MixFormat& format) = 0;
    // True when successive sounds share one renderer (the MIDI synthesizer), so the previous
    // sound must be out of the mixer before the next is made.
    virtual bool soundsShareState() const { return false; }

    virtual bool hasVideo() const { return false; }
    virtual QSize size() const { return {}; }
    // The picture at frame `index`; throws DecodeError.
    virtual const QImage& picture(std::int64_t index);
    // Whether the pictures decoded are kept while the medium plays again and again.
    virtual void keepPictures(bool /*keep*/) {}
};

} // namespace hc::media::detail
