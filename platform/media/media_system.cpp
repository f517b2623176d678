#include "platform/media/media_system.h"

#include "archive/error.h"
#include "platform/media/audio_device.h"
#include "platform/media/clock_timer.h"
#include "platform/media/ffmpeg_media.h"
#include "platform/media/media_player.h"
#include "platform/media/pcm_source.h"

#include <QFile>
#include <QMetaObject>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <mutex>

namespace hc::media {
namespace {

constexpr int kProgramSoundFadeMs = 5;

void quietFfmpeg() {
    static std::once_flag once;
    // Decoders report concealed damage as warnings; the player handles the outcome itself.
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

} // namespace

MediaSystem::MediaSystem()
    : MediaSystem(std::make_unique<SteadyClock>(), nullptr, AudioOutput::Device, MixFormat{}) {}

MediaSystem::MediaSystem(Clock& clock, AudioOutput output, MixFormat format)
    : MediaSystem(nullptr, &clock, output, format) {}

MediaSystem::MediaSystem(std::unique_ptr<Clock> ownClock, Clock* clock, AudioOutput output,
                         MixFormat format)
    : m_ownClock(std::move(ownClock)), m_clock(clock != nullptr ? clock : m_ownClock.get()),
      m_mixer(format) {
    quietFfmpeg();
    if (output == AudioOutput::Device) {
        m_device = std::make_unique<AudioDevice>(m_mixer);
        // A device with nothing to play for a while is closed (from the event loop): an idle
        // program then costs no audio thread; the next sound opens it again.
        m_device->setIdleHandler([this] {
            QMetaObject::invokeMethod(
                this, [this] { m_device->closeIdle(); }, Qt::QueuedConnection);
        });
    }
    m_clock->setWakeHandler([this] { wake(); });
}

MediaSystem::~MediaSystem() {
    m_clock->cancelWake();
    m_clock->setWakeHandler(nullptr);
    for (MediaPlayer* player : std::vector<MediaPlayer*>(m_players)) {
        player->mediaSystemGone();
    }
    for (ClockTimer* timer : m_timers) {
        timer->mediaSystemGone();
    }
    // The device stops pulling before the mixer and its sources go.
    m_device.reset();
}

bool MediaSystem::ensureAudio() {
    return m_device ? m_device->ensureOpen() : true;
}

bool MediaSystem::audioOpen() const {
    return m_device && m_device->isOpen();
}

QString MediaSystem::audioDriver() const {
    return m_device ? QString::fromStdString(m_device->driver()) : QString();
}

void MediaSystem::addPlayer(MediaPlayer* player) {
    m_players.push_back(player);
}

void MediaSystem::removePlayer(MediaPlayer* player) {
    std::erase(m_players, player);
    reschedule();
}

void MediaSystem::addTimer(ClockTimer* timer) {
    m_timers.push_back(timer);
}

void MediaSystem::removeTimer(ClockTimer* timer) {
    std::erase(m_timers, timer);
    reschedule();
}

void MediaSystem::reschedule() {
    std::optional<Duration> next;
    for (const MediaPlayer* player : m_players) {
        if (player->m_play) {
            const Duration deadline = player->nextDeadline();
            next = next ? std::min(*next, deadline) : deadline;
        }
    }
    for (const ClockTimer* timer : m_timers) {
        if (const auto deadline = timer->deadline()) {
            next = next ? std::min(*next, *deadline) : *deadline;
        }
    }
    if (!next) {
        m_clock->cancelWake();
        return;
    }
    if (*next <= m_clock->now()) {
        // Already due (a play of nothing): handled from the event loop, never inside the
        // command that started it.
        m_clock->cancelWake();
        if (!m_wakePosted) {
            m_wakePosted = true;
            QMetaObject::invokeMethod(
                this, [this] { wake(); }, Qt::QueuedConnection);
        }
        return;
    }
    m_clock->wakeAt(*next);
}

void MediaSystem::wake() {
    m_wakePosted = false;
    const Duration now = m_clock->now();
    for (MediaPlayer* player : std::vector<MediaPlayer*>(m_players)) {
        // A player removed by an earlier one's reaction is no longer in the list.
        if (std::find(m_players.begin(), m_players.end(), player) != m_players.end()) {
            player->advance(now);
        }
    }
    // Timers only post their timeouts, so none can change the list while it is walked.
    for (ClockTimer* timer : m_timers) {
        timer->advance(now);
    }
    reschedule();
}

bool MediaSystem::programSoundPlaying() const {
    return m_programSound != 0 && m_mixer.contains(m_programSound);
}

void MediaSystem::playProgramSound(const QString& name) {
    auto found = m_programSounds.find(name);
    if (found == m_programSounds.end()) {
        auto file = std::make_unique<QFile>(QStringLiteral(":/sounds/") + name);
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || !file->open(QIODevice::ReadOnly)) {
            throw hc::Error("Unknown program sound " + name.toStdString());
        }
        detail::FormatInput input(std::move(file), name);
        const int audio =
            av_find_best_stream(input.context(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (audio < 0) {
            throw hc::Error("The program sound " + name.toStdString() + " holds no sound");
        }
        found = m_programSounds.insert(
            name, std::make_shared<detail::PcmBuffer>(detail::decodeAudio(input, audio)));
    }
    const auto& pcm = found.value();
    if (m_programSound != 0) {
        m_mixer.fadeOut(m_programSound, m_mixer.framesIn(kProgramSoundFadeMs));
    }
    m_programSound = 0;
    if (!ensureAudio()) {
        return; // no sound output at all: nothing would ever pull the sound
    }
    m_programSound =
        m_mixer.add(std::make_unique<detail::PcmSource>(pcm, 0, pcm->frames(), m_mixer.format()));
}

} // namespace hc::media
