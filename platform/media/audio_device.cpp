#include "platform/media/audio_device.h"

#include "platform/media/mixer.h"
#include "platform/media/sound_library_messages.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>

namespace hc::media {
namespace {

// SDL's audio subsystem is process-wide: it is started once, and switched to the dummy
// driver once, for every device of the process.
std::mutex g_sdlMutex;
bool g_sdlStarted = false;
bool g_dummyAnnounced = false;

bool startSubsystem() {
    // SDL would otherwise take over SIGINT and SIGTERM (turning them into events nobody
    // reads), and the program could no longer be interrupted or terminated.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Without a sound card ALSA would print its own failures before our one line.
    silenceSoundLibraryMessages();
    if (!g_sdlStarted && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        g_sdlStarted = true;
    }
    return g_sdlStarted;
}

bool switchToDummy(const char* reason) {
    if (g_sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        g_sdlStarted = false;
    }
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (!g_dummyAnnounced) {
        g_dummyAnnounced = true;
        std::fprintf(stderr, "No sound device could be opened (%s); sound is played silently.\n",
                     reason);
    }
    return startSubsystem();
}

} // namespace

AudioDevice::AudioDevice(Mixer& mixer) : m_mixer(mixer) {}

AudioDevice::~AudioDevice() {
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
    }
}

bool AudioDevice::ensureOpen() {
    if (m_device != 0 || m_failed) {
        return m_device != 0;
    }
    std::lock_guard lock(g_sdlMutex);
    SDL_AudioSpec want{};
    want.freq = m_mixer.format().rate;
    want.format = AUDIO_F32SYS;
    want.channels = static_cast<Uint8>(m_mixer.format().channels);
    // 512 frames (about 12 ms at 44.1 kHz) keep the delay from play to sound short.
    want.samples = 512;
    want.callback = &AudioDevice::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    const auto open = [&] { return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0); };

    if (startSubsystem()) {
        m_device = open();
    }
    if (m_device == 0) {
        const std::string reason = SDL_GetError();
        const char* current = SDL_GetCurrentAudioDriver();
        const bool alreadyDummy = current != nullptr && SDL_strcmp(current, "dummy") == 0;
        if (!alreadyDummy && switchToDummy(reason.c_str())) {
            m_device = open();
        }
    }
    if (m_device == 0) {
        std::fprintf(stderr, "Sound output is unavailable: %s\n", SDL_GetError());
        m_failed = true;
        return false;
    }
    m_silentFrames = 0;
    m_idleReported = false;
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void AudioDevice::closeIdle() {
    if (m_device == 0 || m_mixer.sourceCount() != 0) {
        m_idleReported = false;
        return;
    }
    // Sources are only added on this thread, so the mixer stays empty until the close is done.
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
}

std::string AudioDevice::driver() const {
    const char* name = m_device != 0 ? SDL_GetCurrentAudioDriver() : nullptr;
    return name != nullptr ? name : "";
}

void AudioDevice::callback(void* self, std::uint8_t* stream, int bytes) {
    auto* device = static_cast<AudioDevice*>(self);
    const int frameBytes = static_cast<int>(sizeof(float)) * device->m_mixer.format().channels;
    const int frames = bytes / frameBytes;
    const bool empty = device->m_mixer.sourceCount() == 0;
    device->m_mixer.render(reinterpret_cast<float*>(stream), frames);
    device->m_silentFrames = empty ? device->m_silentFrames + frames : 0;
    if (device->m_silentFrames >= std::int64_t(kIdleSeconds) * device->m_mixer.format().rate &&
        device->m_onIdle && !device->m_idleReported.exchange(true)) {
        device->m_onIdle();
    }
}

} // namespace hc::media
