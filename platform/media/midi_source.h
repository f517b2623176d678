#pragma once

#include "platform/media/midi_file.h"
#include "platform/media/mixer.h"

#include <memory>
#include <string>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace hc::media::detail {

// A FluidSynth synthesizer with the General MIDI soundfont loaded, rendering at the mixer's
// rate. One per sequencer player: loading the soundfont takes a moment, so it happens at open.
class Synth {
public:
    // Throws hc::Error naming `name` when no soundfont is installed or it cannot be loaded.
    Synth(int rate, const std::string& name);
    ~Synth();
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;

    _fluid_synth_t* get() const { return m_synth; }
    // The soundfont used: Debian's default General MIDI link, else the TimGM6mb file itself;
    // empty when neither exists.
    static std::string soundFontPath();

private:
    void release();

    _fluid_hashtable_t* m_settings = nullptr;
    _fluid_synth_t* m_synth = nullptr;
};

// Plays a song from a given time by pulling samples: the events due within each block are
// sent to the synthesizer at their exact sample, so the music advances with the sound it
// renders. It never ends by itself (notes may still ring): the player ends it.
class MidiSource final : public AudioSource {
public:
    // Resets the synthesizer and, when starting later than 0, replays the programs,
    // controllers and pitch bends that precede `fromUs`, without their notes. Call before the
    // source is added to the mixer (the synthesizer must not be playing elsewhere).
    MidiSource(std::shared_ptr<Synth> synth, std::shared_ptr<const MidiSong> song,
               std::int64_t fromUs, MixFormat format);

    int render(float* out, int frames) override;

private:
    void send(const MidiEvent& event);

    std::shared_ptr<Synth> m_synth;
    std::shared_ptr<const MidiSong> m_song;
    std::int64_t m_fromUs;
    MixFormat m_format;
    std::size_t m_next = 0;      // next event to send
    std::int64_t m_rendered = 0; // frames rendered so far
};

} // namespace hc::media::detail
