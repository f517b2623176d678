#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace hc::media {

// One event of a standard MIDI file, with its time from the start of the music.
struct MidiEvent {
    std::int64_t timeUs = 0;
    std::uint8_t status = 0; // channel message status (0x80..0xEF), or 0xF0 for a system exclusive
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    std::uint32_t sysexOffset = 0; // system exclusive: its bytes (without the leading 0xF0)
    std::uint32_t sysexLength = 0; //   in MidiSong::sysex
};

// A standard MIDI file (format 0, 1 or 2; also wrapped in a RIFF "RMID" file) flattened into
// one list of channel events in time order, tempo changes already applied.
struct MidiSong {
    std::vector<MidiEvent> events;
    std::vector<std::uint8_t> sysex;
    // Time of the last event of any track, its end-of-track marker included: the music has
    // ended once this much time has played.
    std::int64_t lengthUs = 0;
};

// Parses a standard MIDI file from its bytes. Every length and count is checked against the
// bytes that remain; throws hc::Error with a message beginning with `name` when the bytes are
// not a MIDI file or are damaged. Tracks of format 2 are played together like format 1.
MidiSong parseMidi(std::span<const std::uint8_t> bytes, const std::string& name);

} // namespace hc::media
