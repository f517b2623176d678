#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace hc::media {

class Mixer;

// The one SDL2 output device of a MediaSystem. Its callback, on SDL's audio thread, pulls
// the mixer. SDL converts the mixer's float format to whatever the device wants.
//
// When no real device can be opened (no sound card, as on build machines), SDL's "dummy"
// driver is used instead: it calls back at the real-time pace and discards the sound, so
// playback keeps its timing silently. That is said once per process on stderr.
class AudioDevice {
public:
    explicit AudioDevice(Mixer& mixer);
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Opens and starts the device on first use (and again after closeIdle()). False when not
    // even the dummy driver works; playback then keeps time without pulling sound.
    bool ensureOpen();
    bool isOpen() const { return m_device != 0; }

    // Called from the audio thread, once, when the device has had nothing to play for
    // kIdleSeconds; the handler must move to the user-interface thread before acting.
    static constexpr int kIdleSeconds = 5;
    void setIdleHandler(std::function<void()> handler) { m_onIdle = std::move(handler); }
    // Closes the device when the mixer is still empty, so an idle program has no audio thread
    // waking every few milliseconds. The next sound opens it again. User-interface thread only.
    void closeIdle();
    // The SDL driver in use ("pulseaudio", "alsa", "dummy", ...), empty while closed.
    std::string driver() const;

private:
    static void callback(void* self, std::uint8_t* stream, int bytes);

    Mixer& m_mixer;
    std::uint32_t m_device = 0;
    bool m_failed = false;
    std::function<void()> m_onIdle;
    // Audio thread: consecutive frames rendered with nothing in the mixer, and whether the idle
    // handler was called since the device opened.
    std::int64_t m_silentFrames = 0;
    std::atomic<bool> m_idleReported{false};
};

} // namespace hc::media
