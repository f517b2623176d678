#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace hc::media {

// The mixer's output: interleaved 32-bit float samples at `rate` frames per second.
struct MixFormat {
    int rate = 44100;
    int channels = 2;
};

// Something the mixer pulls samples from. render() is called with the mixer locked, on the
// audio device's thread (or on the thread of whoever pulls the mixer, such as a test); a
// source is only ever touched under that lock once it has been added.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    // Writes up to `frames` frames in the mixer's format to `out` and returns how many it
    // wrote. Fewer than asked means the source has ended; it is then removed.
    virtual int render(float* out, int frames) = 0;
};

// A pull mixer: the audio device asks for N frames, every source renders its share on demand
// and the sum is clamped to [-1, 1]. Thread-safe: sources are added and removed from the
// user-interface thread while the device thread renders.
class Mixer {
public:
    using SourceId = std::uint64_t;
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit Mixer(MixFormat format = {});
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    const MixFormat& format() const { return m_format; }
    // Frames in `ms` milliseconds at the mixer's rate.
    int framesIn(int ms) const { return m_format.rate * ms / 1000; }

    SourceId add(std::unique_ptr<AudioSource> source);
    // Takes the source out at once and hands it back, so it is destroyed on the caller's
    // thread. Null when it is no longer there (it ended or faded out).
    std::unique_ptr<AudioSource> remove(SourceId id);
    // Ramps the source down to silence over `fadeFrames` frames, then removes it; a hard
    // cut would click.
    void fadeOut(SourceId id, int fadeFrames);
    // Lets the source play on for at most `frames` more frames (it may end sooner by itself),
    // then fades it out over `fadeFrames`.
    void drain(SourceId id, int frames, int fadeFrames);
    bool contains(SourceId id) const;
    std::size_t sourceCount() const;

    // The id that add() returned last, and the moment that source first produced a sample
    // (empty while it has not). Used to measure the latency from a play to the device buffer.
    SourceId lastAdded() const;
    std::optional<TimePoint> firstRendered(SourceId id) const;

    // Fills `out` with `frames` frames of the mix. Called by the device thread or a test.
    void render(float* out, int frames);

private:
    struct Entry {
        SourceId id = 0;
        std::unique_ptr<AudioSource> source;
        std::int64_t drainLeft = -1; // frames before the fade starts; -1 while not draining
        int fadeLeft = -1;           // frames of fade to go; -1 while not fading
        int fadeTotal = 0;
        bool started = false;
        TimePoint firstRender;
    };
    // Renders one entry into m_mix; false when it has finished.
    bool renderEntry(Entry& entry, int frames);
    Entry* find(SourceId id);
    const Entry* find(SourceId id) const;

    const MixFormat m_format;
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::vector<float> m_scratch;
    std::vector<float> m_mix;
    SourceId m_nextId = 1;
    SourceId m_lastAdded = 0;
    std::optional<TimePoint> m_lastAddedFirstRender;
};

} // namespace hc::media
