#pragma once

#include "platform/media/ffmpeg_media.h"
#include "platform/media/mixer.h"

#include <memory>

struct SwrContext;

namespace hc::media::detail {

// Plays frames [from, to) of decoded sound into the mixer, converting rate and channels on
// the fly. With equal rates and channel counts the samples pass unchanged (only scaled to
// float), so a range renders exactly its samples.
class PcmSource final : public AudioSource {
public:
    // Throws hc::Error when the conversion cannot be set up.
    PcmSource(std::shared_ptr<const PcmBuffer> pcm, std::int64_t from, std::int64_t to,
              MixFormat format);
    ~PcmSource() override;

    int render(float* out, int frames) override;

private:
    std::shared_ptr<const PcmBuffer> m_pcm;
    std::int64_t m_position;
    std::int64_t m_end;
    MixFormat m_format;
    SwrContext* m_swr = nullptr;
    bool m_flushed = false;
};

} // namespace hc::media::detail
