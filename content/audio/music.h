#pragma once

// The program's music, composed in code: the title music and the short sound tracks of the
// movies. Every piece is General MIDI, so it plays on any GM synthesiser; the build renders
// the sound tracks with FluidSynth and the TimGM6mb sound font.

#include "midi_song.h"

#include <string_view>
#include <vector>

namespace hc::audio {

// The title screen's music, "sound\title.mid": a cheerful tune of about 50 seconds in
// C major with intro, theme, middle part, theme again and a short ending.
MidiSong titleMusic();

// A movie's sound track: its file name (without ".wav"), its exact length, and its music.
struct SoundTrack {
    std::string_view name;
    double seconds;
    MidiSong (*compose)();
};

// The logo jingle, the six reward fanfares and the finished-puzzle sparkle.
const std::vector<SoundTrack>& soundTracks();

} // namespace hc::audio
