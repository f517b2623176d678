#pragma once

#include "platform/media/clock.h"
#include "platform/media/mixer.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace hc::media {

class AudioDevice;
class ClockTimer;
class MediaPlayer;
namespace detail {
struct PcmBuffer;
}

// The program's one playback engine: the clock every player (and every ClockTimer) follows, the audio mixer with its
// SDL2 device, and the channel for the program's own sounds. Create one on the user-interface
// thread (after the QApplication) and pass it to every MediaPlayer; it must outlive them.
class MediaSystem : public QObject {
    Q_OBJECT

public:
    // Device: the mixer feeds one SDL2 output device, opened when sound is first played
    // (falling back to SDL's silent dummy driver without a sound card).
    // Manual: nothing pulls the mixer; whoever owns the system calls mixer().render() (tests).
    enum class AudioOutput { Device, Manual };

    // Real time (a SteadyClock of its own) and the sound device.
    MediaSystem();
    // Time from `clock`, which must outlive the system.
    explicit MediaSystem(Clock& clock, AudioOutput output = AudioOutput::Device,
                         MixFormat format = {});
    ~MediaSystem() override;

    Clock& clock() const { return *m_clock; }
    Mixer& mixer() { return m_mixer; }
    // Opens the sound device if it is not open yet (players do so on their first play).
    // False when there is no sound output at all; playback then keeps time silently.
    bool ensureAudio();
    // The SDL driver in use, empty before the first sound (and with AudioOutput::Manual).
    QString audioDriver() const;
    // True while the sound device is open: from the first sound until it has had nothing to
    // play for a few seconds (it opens again for the next sound).
    bool audioOpen() const;

    // Plays one of the program's own sounds, "IDWAV_CLICK" or "IDWAV_BYE", without waiting.
    // A new one replaces one still sounding. Throws hc::Error for any other name.
    void playProgramSound(const QString& name);
    // True while one of the program's own sounds is still sounding.
    bool programSoundPlaying() const;

private:
    friend class ClockTimer;
    friend class MediaPlayer;
    MediaSystem(std::unique_ptr<Clock> ownClock, Clock* clock, AudioOutput output,
                MixFormat format);
    void addPlayer(MediaPlayer* player);
    void removePlayer(MediaPlayer* player);
    void addTimer(ClockTimer* timer);
    void removeTimer(ClockTimer* timer);
    // Asks the clock for the next moment a playing player or an active timer needs attention.
    void reschedule();
    void wake();

    std::unique_ptr<Clock> m_ownClock;
    Clock* m_clock;
    Mixer m_mixer;
    std::unique_ptr<AudioDevice> m_device;
    std::vector<MediaPlayer*> m_players;
    std::vector<ClockTimer*> m_timers;
    bool m_wakePosted = false;
    QHash<QString, std::shared_ptr<const detail::PcmBuffer>> m_programSounds;
    Mixer::SourceId m_programSound = 0;
};

} // namespace hc::media
