#include "platform/media/media_player.h"

#include "archive/error.h"
#include "platform/media/display_view.h"
#include "platform/media/ffmpeg_media.h"
#include "platform/media/media_system.h"
#include "platform/media/medium.h"

#include <QMetaObject>
#include <QWidget>

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>

namespace hc::media {
namespace {

// A stopped or interrupted sound is ramped down over this time rather than cut (a cut
// clicks); a sound whose play has ended may run on this long while the device catches up.
constexpr int kFadeMs = 5;
constexpr int kDrainMs = 200;

std::string describe(const QString& fileName) {
    return fileName.isEmpty() ? std::string("the media player") : fileName.toStdString();
}

} // namespace

const char* resultName(NotifyResult result) {
    switch (result) {
    case NotifyResult::Successful:
        return "successful";
    case NotifyResult::Superseded:
        return "superseded";
    case NotifyResult::Aborted:
        return "aborted";
    case NotifyResult::Failed:
        return "failed";
    }
    return "unknown";
}

MediaPlayer::MediaPlayer(MediaSystem& media, QObject* parent) : QObject(parent), m_media(&media) {
    m_media->addPlayer(this);
}

MediaPlayer::~MediaPlayer() {
    m_pending = false; // nobody is left to receive it
    close(Notify::No);
    detachView();
    if (m_media != nullptr) {
        m_media->removePlayer(this);
    }
}

void MediaPlayer::mediaSystemGone() {
    close(Notify::No);
    m_media = nullptr;
}

void MediaPlayer::setDisplay(QWidget* display) {
    if (display == m_display) {
        return;
    }
    detachView();
    m_display = display;
    if (m_mode != Mode::NotOpen) {
        attachView();
        if (m_view && !m_picture.isNull()) {
            m_view->started(this);
        }
    }
}

QWidget* MediaPlayer::display() const {
    return m_display.data();
}

void MediaPlayer::attachView() {
    if (m_display && m_medium && m_medium->hasVideo()) {
        m_view = detail::DisplayView::of(m_display);
        m_view->attach(this);
    }
}

void MediaPlayer::detachView() {
    if (m_view) {
        m_view->detach(this);
    }
    m_view = nullptr;
}

bool MediaPlayer::takeNotify(Notify notify) {
    const bool requested = m_notifyNext;
    m_notifyNext = false;
    return notify == Notify::Yes || (notify == Notify::AsRequested && requested);
}

void MediaPlayer::requireOpen(const char* command) const {
    if (m_mode == Mode::NotOpen || m_media == nullptr) {
        throw hc::Error("Cannot " + std::string(command) + " " + describe(m_fileName) +
                        ": the media player is not open");
    }
}

void MediaPlayer::post(NotifyResult result) {
    // Queued: delivered by the event loop after the current command has returned, and dropped
    // if the player is destroyed first.
    QMetaObject::invokeMethod(
        this, [this, result] { emit notified(result); }, Qt::QueuedConnection);
}

void MediaPlayer::interruptPending(bool newCommandNotifies) {
    if (m_pending) {
        m_pending = false;
        post(newCommandNotifies ? NotifyResult::Superseded : NotifyResult::Aborted);
    }
}

void MediaPlayer::open(Notify notify) {
    const bool wants = takeNotify(notify);
    if (m_media == nullptr) {
        throw hc::Error("Cannot open " + describe(m_fileName) + ": media playback has ended");
    }
    interruptPending(wants);
    close(Notify::No);
    m_medium = detail::Medium::open(m_deviceType, m_fileName, m_media->mixer().format());
    m_mode = Mode::Stopped;
    m_position = 0;
    m_timeFormat = m_medium->defaultFormat();
    m_picture = QImage();
    attachView();
    if (wants) {
        post(NotifyResult::Successful);
    }
}

void MediaPlayer::close(Notify notify) {
    const bool wants = takeNotify(notify);
    if (m_mode == Mode::NotOpen) {
        return;
    }
    interruptPending(wants);
    halt(false);
    detachView();
    m_medium.reset();
    m_mode = Mode::NotOpen;
    m_position = 0;
    m_picture = QImage();
    if (wants) {
        post(NotifyResult::Successful);
    }
}

void MediaPlayer::play(Notify notify) {
    const bool wants = takeNotify(notify);
    requireOpen("play");
    std::int64_t from = nativePosition();
    const std::int64_t end = m_medium->length();
    if (from >= end) {
        from = 0;
    }
    startPlay(from, end, wants);
}

void MediaPlayer::playRange(std::int64_t from, std::int64_t to, Notify notify) {
    const bool wants = takeNotify(notify);
    requireOpen("play");
    const std::int64_t length = m_medium->length();
    const std::int64_t nativeFrom = std::clamp<std::int64_t>(toNative(from), 0, length);
    const std::int64_t nativeTo = std::clamp<std::int64_t>(toNative(to), 0, length);
    if (nativeFrom > nativeTo) {
        throw hc::Error("Cannot play " + describe(m_fileName) + " from " + std::to_string(from) +
                        " to " + std::to_string(to) + ": the start lies after the end");
    }
    startPlay(nativeFrom, nativeTo, wants);
}

void MediaPlayer::stop(Notify notify) {
    const bool wants = takeNotify(notify);
    if (m_mode == Mode::NotOpen) {
        return;
    }
    interruptPending(wants);
    if (m_play) {
        m_position = nativePosition();
    }
    halt(false);
    // A movie stopped on purpose is not looping: what was kept of it is let go.
    m_medium->keepPictures(false);
    if (wants) {
        post(NotifyResult::Successful);
    }
}

void MediaPlayer::setTimeFormat(TimeFormat format) {
    requireOpen("set the time format of");
    if (!m_medium->supports(format)) {
        throw hc::Error("Cannot set the time format of " + describe(m_fileName) +
                        ": the format does not exist for this kind of media");
    }
    m_timeFormat = format;
}

void MediaPlayer::startPlay(std::int64_t from, std::int64_t to, bool notify) {
    interruptPending(notify);
    halt(false);
    Mixer& mixer = m_media->mixer();
    m_position = from;
    m_play = Play{from, to, m_media->clock().now(), -1};
    m_mode = Mode::Playing;
    m_pending = notify;
    try {
        if (to > from) {
            // Without any sound output the play keeps time silently: nothing would pull the
            // sound, so none is made.
            if (m_medium->hasSound() && m_media->ensureAudio()) {
                m_audio = mixer.add(m_medium->sound(from, to, mixer.format()));
            }
        }
        if (m_medium->hasVideo()) {
            m_medium->keepPictures(true);
            if (m_view) {
                m_view->started(this);
            }
            showFrame(std::min(from, m_medium->length() - 1));
        }
    } catch (const detail::DecodeError&) {
        fail();
        return;
    } catch (const hc::Error&) {
        fail();
        return;
    }
    m_media->reschedule();
}

void MediaPlayer::halt(bool naturalEnd) {
    if (m_audio != 0 && m_media != nullptr) {
        Mixer& mixer = m_media->mixer();
        if (naturalEnd) {
            // The sound may lag the clock by the device's buffer: let it finish, briefly. The
            // id is kept so that a next play cuts a tail still sounding.
            mixer.drain(m_audio, mixer.framesIn(kDrainMs), mixer.framesIn(kFadeMs));
        } else {
            if (m_medium && m_medium->soundsShareState()) {
                // The synthesizer is about to be reset or released: out of the mixer at once.
                mixer.remove(m_audio);
            } else {
                mixer.fadeOut(m_audio, mixer.framesIn(kFadeMs));
            }
            m_audio = 0;
        }
    }
    m_play.reset();
    if (m_mode == Mode::Playing) {
        m_mode = Mode::Stopped;
    }
    if (m_media != nullptr) {
        m_media->reschedule();
    }
}

void MediaPlayer::fail() {
    if (m_play) {
        m_position = std::clamp(nativePosition(), m_play->from, m_play->to);
    }
    halt(false);
    if (m_pending) {
        m_pending = false;
        post(NotifyResult::Failed);
    }
}

void MediaPlayer::showFrame(std::int64_t index) {
    if (m_play && m_play->shownFrame == index) {
        return;
    }
    if (m_play) {
        m_play->shownFrame = index;
    }
    // A display that is not on the screen shows nothing: its frames are not decoded until it
    // is shown again (a hidden window's looping animation costs no work).
    if (m_display && !m_display->isVisible()) {
        m_staleFrame = index;
        return;
    }
    m_staleFrame = -1;
    m_picture = m_medium->picture(index);
    if (m_view) {
        m_view->pictureChanged(this);
    }
}

void MediaPlayer::displayShown() {
    if (!m_medium || !m_medium->hasVideo()) {
        return;
    }
    if (m_play && m_media != nullptr) {
        // No frame was worked out while hidden: the one due now is shown, and the wake-ups
        // per frame resume from it.
        const Play& play = *m_play;
        const std::int64_t due = play.from + unitsIn(m_media->clock().now() - play.start);
        m_staleFrame = std::clamp(due, play.from, std::max(play.from, play.to - 1));
        m_play->shownFrame = m_staleFrame;
        m_media->reschedule();
    }
    if (m_staleFrame < 0) {
        return;
    }
    const std::int64_t index = m_staleFrame;
    try {
        m_staleFrame = -1;
        m_picture = m_medium->picture(index);
        if (m_view) {
            m_view->pictureChanged(this);
        }
    } catch (const detail::DecodeError&) {
        fail();
    }
}

std::chrono::nanoseconds MediaPlayer::durationOf(std::int64_t units) const {
    const auto unit = m_medium->unit();
    return std::chrono::nanoseconds(
        av_rescale_rnd(units, 1'000'000'000LL * unit.num, unit.den, AV_ROUND_UP));
}

std::int64_t MediaPlayer::unitsIn(std::chrono::nanoseconds time) const {
    const auto unit = m_medium->unit();
    return av_rescale_rnd(time.count(), unit.den, 1'000'000'000LL * unit.num, AV_ROUND_DOWN);
}

std::chrono::nanoseconds MediaPlayer::nextDeadline() const {
    const Play& play = *m_play;
    const auto end = play.start + durationOf(play.to - play.from);
    // A display that is not on the screen needs no wake-up per frame, only the play's end:
    // the frame due is worked out when it is shown again.
    if (!m_medium->hasVideo() || (m_display && !m_display->isVisible())) {
        return end;
    }
    const std::int64_t shown = std::max(play.shownFrame, play.from);
    return std::min(end, play.start + durationOf(shown + 1 - play.from));
}

void MediaPlayer::advance(std::chrono::nanoseconds now) {
    if (!m_play) {
        return;
    }
    const Play play = *m_play;
    try {
        if (now - play.start >= durationOf(play.to - play.from)) {
            if (m_medium->hasVideo()) {
                showFrame(std::min(play.to, m_medium->length() - 1));
            }
            m_position = play.to;
            halt(true);
            if (m_pending) {
                m_pending = false;
                post(NotifyResult::Successful);
            }
            return;
        }
        if (m_medium->hasVideo()) {
            showFrame(play.from + unitsIn(now - play.start));
        }
    } catch (const detail::DecodeError&) {
        fail();
    }
}

std::int64_t MediaPlayer::nativePosition() const {
    if (!m_play || m_media == nullptr) {
        return m_position;
    }
    const auto elapsed = m_media->clock().now() - m_play->start;
    return std::min(m_play->to, m_play->from + unitsIn(elapsed));
}

std::int64_t MediaPlayer::toNative(std::int64_t value) const {
    if (m_timeFormat != TimeFormat::Milliseconds) {
        return value;
    }
    const auto unit = m_medium->unit();
    return av_rescale_rnd(value, unit.den, 1000 * unit.num, AV_ROUND_DOWN);
}

std::int64_t MediaPlayer::fromNative(std::int64_t native, bool roundUp) const {
    if (m_timeFormat != TimeFormat::Milliseconds) {
        return native;
    }
    const auto unit = m_medium->unit();
    return av_rescale_rnd(native, 1000 * unit.num, unit.den, roundUp ? AV_ROUND_UP : AV_ROUND_DOWN);
}

std::int64_t MediaPlayer::position() const {
    if (m_mode == Mode::NotOpen) {
        return 0;
    }
    const std::int64_t native = nativePosition();
    // The end position reads as the length in every time format.
    return native >= m_medium->length() ? length() : fromNative(native);
}

std::int64_t MediaPlayer::length() const {
    return m_mode == Mode::NotOpen ? 0 : fromNative(m_medium->length(), true);
}

QSize MediaPlayer::naturalSize() const {
    return m_medium ? m_medium->size() : QSize();
}

} // namespace hc::media
