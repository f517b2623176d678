#pragma once

// Music composed in code: notes on tracks, written out as a Standard MIDI File.

#include <string>
#include <string_view>
#include <vector>

namespace hc::audio {

// General MIDI channel 10 (index 9) plays percussion.
inline constexpr int kDrumChannel = 9;

class MidiSong {
public:
    // Ticks per quarter note.
    static constexpr int kTicksPerQuarter = 480;

    MidiSong(std::string title, double beatsPerMinute);

    // A track playing General MIDI program `program` (0-based) on `channel`; the program is
    // ignored on the drum channel. Volume and reverb are 0..127. Returns the track's index.
    int addTrack(std::string name, int channel, int program, int volume = 100, int pan = 64,
                 int reverb = 40);

    // A note from `tick` lasting `length` ticks. Keys 0..127, velocity 1..127.
    void note(int track, int tick, int length, int key, int velocity);

    // A line of notes in the house notation, starting at `tick`; returns the tick after it.
    // Tokens are separated by blanks, and '|' may mark bar lines (it is ignored): a pitch ("c5",
    // "f#4", "bb3", a MIDI number "42" for drums, "r" for a rest) or a chord of pitches joined by
    // '+' ("c4+e4+g4"), a '/', and a note value (1 whole, 2 half, 4 quarter, 8 eighth, 16, 32),
    // optionally dotted ("4."). Notes sound for 90 % of their value unless the token ends in '~'
    // (held to the full value). Throws std::invalid_argument on a token it cannot read.
    int line(int track, int tick, std::string_view notation, int velocity);

    // The file: format 1, a tempo track then one track per addTrack(); every track's end
    // marker stands at the end of the last note, so the song's length is the length of its
    // music.
    std::string smf() const;

    // From the first tick to the end of the last note.
    double seconds() const;
    int endTick() const;

    static int ticks(int bars, int beats = 0) { return (bars * 4 + beats) * kTicksPerQuarter; }

private:
    struct Event {
        int tick;
        int order; // at equal ticks: controls (0), note-offs (1), note-ons (2)
        std::string bytes;
    };
    struct Track {
        std::string name;
        int channel;
        std::vector<Event> events;
    };

    std::string m_title;
    double m_bpm;
    std::vector<Track> m_tracks;
    int m_end = 0;
};

// MIDI key of a pitch name such as "c4" (60), "f#5", "bb3". Throws std::invalid_argument.
int pitchKey(std::string_view name);

} // namespace hc::audio
