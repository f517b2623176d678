#include "platform/media/pcm_source.h"

#include "archive/error.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>

namespace hc::media::detail {

PcmSource::PcmSource(std::shared_ptr<const PcmBuffer> pcm, std::int64_t from, std::int64_t to,
                     MixFormat format)
    : m_pcm(std::move(pcm)), m_format(format) {
    const std::int64_t length = m_pcm->frames();
    m_position = std::clamp<std::int64_t>(from, 0, length);
    m_end = std::clamp<std::int64_t>(to, m_position, length);
    AVChannelLayout inLayout{};
    AVChannelLayout outLayout{};
    av_channel_layout_default(&inLayout, m_pcm->channels);
    av_channel_layout_default(&outLayout, format.channels);
    const int status = swr_alloc_set_opts2(&m_swr, &outLayout, AV_SAMPLE_FMT_FLT, format.rate,
                                           &inLayout, AV_SAMPLE_FMT_S16, m_pcm->rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    if (status < 0 || swr_init(m_swr) < 0) {
        swr_free(&m_swr);
        throw hc::Error("Cannot convert the sound for the sound device");
    }
}

PcmSource::~PcmSource() {
    swr_free(&m_swr);
}

int PcmSource::render(float* out, int frames) {
    int produced = 0;
    while (produced < frames) {
        auto* target = reinterpret_cast<std::uint8_t*>(out + produced * m_format.channels);
        const int wanted = frames - produced;
        int got = 0;
        if (m_position < m_end) {
            // Feed about as much input as the output asks for; the converter keeps any excess.
            const std::int64_t need =
                static_cast<std::int64_t>(wanted) * m_pcm->rate / m_format.rate + 16;
            const int chunk = static_cast<int>(std::min(need, m_end - m_position));
            const auto* source = reinterpret_cast<const std::uint8_t*>(
                m_pcm->samples.data() + m_position * m_pcm->channels);
            got = swr_convert(m_swr, &target, wanted, &source, chunk);
            m_position += chunk;
        } else if (!m_flushed) {
            got = swr_convert(m_swr, &target, wanted, nullptr, 0);
            if (got <= 0) {
                m_flushed = true;
            }
        } else {
            break;
        }
        produced += std::max(got, 0);
        if (got < 0) {
            break;
        }
    }
    return produced;
}

} // namespace hc::media::detail
