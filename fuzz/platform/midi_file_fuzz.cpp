// Parses arbitrary bytes as a standard MIDI file. A damaged file must end in hc::Error; any
// crash, sanitizer report or other exception is a fault. A song that parses must be sound:
// events in time order, none after the song's length, system exclusive data inside its buffer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "archive/error.h"
#include "platform/media/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const hc::media::MidiSong song = hc::media::parseMidi(std::span(data, size), "fuzz.mid");
        std::int64_t previous = 0;
        for (const hc::media::MidiEvent& event : song.events) {
            if (event.timeUs < previous || event.timeUs > song.lengthUs ||
                std::size_t{event.sysexOffset} + event.sysexLength > song.sysex.size()) {
                std::abort();
            }
            previous = event.timeUs;
        }
    } catch (const hc::Error&) {
    }
    return 0;
}
