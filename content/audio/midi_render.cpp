#include "midi_render.h"

#include "process.h"
#include "wav_io.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <system_error>

#include <fluidsynth.h>

namespace hc::audio {
namespace {

template <auto Delete> struct Deleter {
    template <typename T> void operator()(T* p) const { Delete(p); }
};
using Settings = std::unique_ptr<fluid_settings_t, Deleter<delete_fluid_settings>>;
using Synth = std::unique_ptr<fluid_synth_t, Deleter<delete_fluid_synth>>;
using Player = std::unique_ptr<fluid_player_t, Deleter<delete_fluid_player>>;

constexpr int kRenderRate = 44100;

std::string formatSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

} // namespace

std::vector<float> renderMidi(const std::string& smf, const std::string& soundfont, int sampleRate,
                              double seconds) {
    // Quiet FluidSynth's informational chatter; real errors still surface as failed calls.
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);

    Settings settings(new_fluid_settings());
    if (!settings) {
        throw std::runtime_error("FluidSynth: cannot create settings");
    }
    fluid_settings_setnum(settings.get(), "synth.sample-rate", sampleRate);
    // The player's clock is the rendered samples, never the wall clock.
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    fluid_settings_setint(settings.get(), "synth.cpu-cores", 1);
    fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
    fluid_settings_setnum(settings.get(), "synth.gain", 0.5);

    Synth synth(new_fluid_synth(settings.get()));
    if (!synth) {
        throw std::runtime_error("FluidSynth: cannot create a synthesiser");
    }
    if (fluid_synth_sfload(synth.get(), soundfont.c_str(), 1) == FLUID_FAILED) {
        throw std::runtime_error("FluidSynth: cannot load the sound font " + soundfont);
    }
    Player player(new_fluid_player(synth.get()));
    if (!player || fluid_player_add_mem(player.get(), smf.data(), smf.size()) != FLUID_OK ||
        fluid_player_play(player.get()) != FLUID_OK) {
        throw std::runtime_error("FluidSynth: cannot play the MIDI data");
    }

    const auto total = static_cast<std::size_t>(std::lround(seconds * sampleRate));
    std::vector<float> left(total);
    std::vector<float> right(total);
    constexpr std::size_t kBlock = 64;
    for (std::size_t at = 0; at < total; at += kBlock) {
        const auto count = static_cast<int>(std::min(kBlock, total - at));
        if (fluid_synth_write_float(synth.get(), count, left.data() + at, 0, 1, right.data() + at,
                                    0, 1) != FLUID_OK) {
            throw std::runtime_error("FluidSynth: rendering failed");
        }
    }
    fluid_player_stop(player.get());

    std::vector<float> mono(total);
    for (std::size_t i = 0; i < total; ++i) {
        mono[i] = 0.5f * (left[i] + right[i]);
    }
    return mono;
}

void renderSoundTrack(const Tools& tools, const std::string& smf, double seconds,
                      const std::filesystem::path& out) {
    // Render a little longer than needed so notes ring out into the final fade, and so that
    // the fade's stop position (which ends the output) always lies inside the sound.
    std::vector<float> sound = renderMidi(smf, tools.soundfont, kRenderRate, seconds + 0.5);
    float peak = 0;
    for (float v : sound) {
        peak = std::max(peak, std::abs(v));
    }
    if (peak < 1e-4f) {
        throw std::runtime_error("the rendered music is silent");
    }
    for (float& v : sound) {
        v *= 0.9f / peak; // keep float samples inside [-1, 1] for sox
    }
    const std::filesystem::path raw = out.string() + ".render.wav";
    const std::filesystem::path part = out.string() + ".part";
    writeFloatWav(raw, kRenderRate, 1, sound);
    const std::string length = formatSeconds(seconds);
    try {
        std::vector<std::string> command = soxToClipFormat(tools, raw, part);
        command.insert(command.end(),
                       {"fade", "t", "0", length, formatSeconds(std::min(0.4, seconds / 4)), "norm",
                        "-1", "trim", "0", length});
        runProgram(command);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(raw, ignored);
        throw;
    }
    std::filesystem::remove(raw);
    std::filesystem::rename(part, out);
}

} // namespace hc::audio
