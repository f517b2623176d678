#pragma once

// Rendering composed music to sound with FluidSynth, for the movies' sound tracks and for
// listening to the title music while it is being written.

#include "clip.h"

#include <filesystem>
#include <string>
#include <vector>

namespace hc::audio {

// Plays a Standard MIDI File through FluidSynth with the given sound font, offline and
// clocked by the samples it renders (so the result does not depend on the machine's speed),
// for exactly `seconds`, and returns the left and right channels averaged, at `sampleRate`.
// Throws std::runtime_error when the sound font or the file cannot be loaded.
std::vector<float> renderMidi(const std::string& smf, const std::string& soundfont, int sampleRate,
                              double seconds);

// Renders `smf` and writes a mono 11025 Hz 16-bit WAV of exactly `seconds`, with a short
// fade at the end and normalised to -1 dBFS; sox converts without dither.
void renderSoundTrack(const Tools& tools, const std::string& smf, double seconds,
                      const std::filesystem::path& out);

} // namespace hc::audio
