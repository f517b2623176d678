#include "platform/media/midi_source.h"

#include "archive/error.h"

#include <fluidsynth.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <vector>

namespace hc::media::detail {
namespace {

void quietFluidSynth() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

} // namespace

std::string Synth::soundFontPath() {
    for (const char* path :
         {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) {
            return path;
        }
    }
    return {};
}

Synth::Synth(int rate, const std::string& name) {
    quietFluidSynth();
    const std::string font = soundFontPath();
    if (font.empty()) {
        throw hc::Error("Cannot open media file " + name +
                        ": no General MIDI soundfont is installed (timgm6mb-soundfont)");
    }
    m_settings = new_fluid_settings();
    if (m_settings != nullptr) {
        fluid_settings_setnum(m_settings, "synth.sample-rate", rate);
        fluid_settings_setnum(m_settings, "synth.gain", 0.8);
        m_synth = new_fluid_synth(m_settings);
    }
    if (m_synth == nullptr || fluid_synth_sfload(m_synth, font.c_str(), 1) == FLUID_FAILED) {
        release();
        throw hc::Error("Cannot open media file " + name + ": the soundfont " + font +
                        " cannot be loaded");
    }
}

Synth::~Synth() {
    release();
}

void Synth::release() {
    if (m_synth != nullptr) {
        delete_fluid_synth(m_synth);
        m_synth = nullptr;
    }
    if (m_settings != nullptr) {
        delete_fluid_settings(m_settings);
        m_settings = nullptr;
    }
}

MidiSource::MidiSource(std::shared_ptr<Synth> synth, std::shared_ptr<const MidiSong> song,
                       std::int64_t fromUs, MixFormat format)
    : m_synth(std::move(synth)), m_song(std::move(song)), m_fromUs(fromUs), m_format(format) {
    fluid_synth_system_reset(m_synth->get());
    const auto& events = m_song->events;
    while (m_next < events.size() && events[m_next].timeUs < fromUs) {
        const MidiEvent& event = events[m_next++];
        const std::uint8_t kind = event.status & 0xF0;
        if (kind != 0x80 && kind != 0x90 && kind != 0xA0) {
            send(event);
        }
    }
}

void MidiSource::send(const MidiEvent& event) {
    fluid_synth_t* synth = m_synth->get();
    const int channel = event.status & 0x0F;
    switch (event.status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, event.data1);
        break;
    case 0x90:
        // Velocity 0 is a note-off; FluidSynth treats it so.
        fluid_synth_noteon(synth, channel, event.data1, event.data2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth, channel, event.data1, event.data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, event.data1, event.data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, event.data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth, channel, event.data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth, channel, event.data1 | (event.data2 << 7));
        break;
    case 0xF0: {
        // FluidSynth wants the message without F0 and without the closing F7.
        const auto* bytes = m_song->sysex.data() + event.sysexOffset;
        int length = static_cast<int>(event.sysexLength);
        if (length > 0 && bytes[length - 1] == 0xF7) {
            --length;
        }
        if (length > 0) {
            fluid_synth_sysex(synth, reinterpret_cast<const char*>(bytes), length, nullptr, nullptr,
                              nullptr, 0);
        }
        break;
    }
    default:
        break;
    }
}

int MidiSource::render(float* out, int frames) {
    const auto& events = m_song->events;
    const int channels = m_format.channels;
    int done = 0;
    while (done < frames) {
        // Send everything due at this sample, then render up to the next event.
        std::int64_t until = m_rendered + (frames - done);
        while (m_next < events.size()) {
            const std::int64_t at = (events[m_next].timeUs - m_fromUs) * m_format.rate / 1'000'000;
            if (at > m_rendered) {
                until = std::min(until, at);
                break;
            }
            send(events[m_next++]);
        }
        const int count = static_cast<int>(until - m_rendered);
        float* block = out + static_cast<std::ptrdiff_t>(done) * channels;
        if (channels == 2) {
            fluid_synth_write_float(m_synth->get(), count, block, 0, 2, block, 1, 2);
        } else {
            // Mono output: render into the block, left then right, and average.
            std::vector<float> right(static_cast<std::size_t>(count));
            fluid_synth_write_float(m_synth->get(), count, block, 0, channels, right.data(), 0, 1);
            for (int i = 0; i < count; ++i) {
                block[i * channels] = 0.5f * (block[i * channels] + right[i]);
                for (int c = 1; c < channels; ++c) {
                    block[i * channels + c] = block[i * channels];
                }
            }
        }
        m_rendered += count;
        done += count;
    }
    return frames;
}

} // namespace hc::media::detail
