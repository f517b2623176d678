#pragma once

// Media made in code for the tests and benchmarks: AVI files whose frames are distinct solid
// colours (with or without a PCM sound track, in MJPEG or a period codec), wave files of given
// samples in a given codec, and standard MIDI files. Written through FFmpeg's libraries.

#include <QColor>

#include <cstdint>
#include <string>
#include <vector>

namespace hc::test::media {

// The colour of frame `index` of a fixture AVI: 64 colours on a 4-level RGB lattice, so any two
// differ by at least 85 in some channel and lossy codecs still tell them apart.
QColor frameColour(int index);
// The frame number (0..63) whose colour lies nearest to `colour`.
int nearestFrame(QColor colour);

struct AviRecipe {
    std::string codec = "mjpeg"; // or "msvideo1", "cinepak"
    int width = 32;
    int height = 24;
    int fps = 15;
    int frames = 30;
    bool sound = false; // a PCM track: unsigned 8-bit, mono, 11025 Hz
    int soundRate = 11025;
    double toneHz = 440;
    int keyframeInterval = 10;
    // Draws a moving pattern over the colour, as real animations have, instead of a solid
    // colour (for benchmarks: solid colours decode unrealistically fast).
    bool textured = false;
};
// Throws std::runtime_error when FFmpeg cannot write it.
void writeAvi(const std::string& path, const AviRecipe& recipe);

struct WavRecipe {
    std::string codec = "pcm_s16le"; // or "pcm_u8", "adpcm_ms", "adpcm_ima_wav"
    int rate = 11025;
};
// Mono; throws std::runtime_error when FFmpeg cannot write it.
void writeWav(const std::string& path, const std::vector<std::int16_t>& samples,
              const WavRecipe& recipe);
std::vector<std::int16_t> sine(int frames, double hz, int rate, double amplitude = 0.5);

// A format-0 MIDI file: 480 ticks per quarter note, the given tempo (microseconds per quarter),
// a piano playing `notes` one after another, each `ticksPerNote` long, and the end-of-track
// marker `tailTicks` after the last note-off.
std::string midiFile(int tempoUs, const std::vector<int>& notes, int ticksPerNote,
                     int tailTicks = 0);

} // namespace hc::test::media
