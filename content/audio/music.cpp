#include "music.h"

#include <array>
#include <stdexcept>
#include <string>

namespace hc::audio {
namespace {

// General MIDI programs (0-based) and drum keys used below.
enum Program {
    kBrightPiano = 1,
    kCelesta = 8,
    kGlockenspiel = 9,
    kVibraphone = 11,
    kMarimba = 12,
    kXylophone = 13,
    kTubularBells = 14,
    kAcousticBass = 32,
    kPizzicato = 45,
    kHarp = 46,
    kTimpani = 47,
    kStrings = 48,
    kTrumpet = 56,
    kBrassSection = 61,
    kClarinet = 71,
    kFlute = 73,
    kWhistle = 78,
    kTinkleBell = 112,
    kSteelDrums = 114,
};
constexpr const char* kKick = "36";
constexpr const char* kSnare = "38";
constexpr const char* kClap = "39";
constexpr const char* kHat = "42";
constexpr const char* kCrash = "49";
constexpr const char* kTambourine = "54";
constexpr const char* kHighConga = "62";
constexpr const char* kOpenConga = "63";
constexpr const char* kLowConga = "64";
constexpr const char* kTriangle = "81";

int bar(int n) {
    return MidiSong::ticks(n);
}

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text + " ";
    }
    return out;
}

// The harmony of the title music: for each chord a piano voicing around middle C and the
// bass's root and fifth.
struct Chord {
    std::string_view name;
    std::string_view voicing;
    std::string_view root;
    std::string_view fifth;
};
constexpr std::array<Chord, 7> kChords = {{
    {"C", "c4+e4+g4", "c3", "g2"},
    {"Am", "c4+e4+a4", "a2", "e3"},
    {"F", "c4+f4+a4", "f2", "c3"},
    {"G", "b3+d4+g4", "g2", "d3"},
    {"G7", "b3+d4+f4+g4", "g2", "d3"},
    {"Em", "b3+e4+g4", "e2", "b2"},
    {"Dm", "d4+f4+a4", "d3", "a2"},
}};

const Chord& chord(std::string_view name) {
    for (const Chord& c : kChords) {
        if (c.name == name) {
            return c;
        }
    }
    throw std::invalid_argument("unknown chord " + std::string(name));
}

// Piano "oom-pah" on beats 2 and 4 and a bouncing bass, one or two chords a bar.
void accompany(MidiSong& song, int piano, int bass, int firstBar,
               const std::vector<std::vector<std::string_view>>& bars) {
    int tick = bar(firstBar);
    for (const auto& chords : bars) {
        if (chords.size() == 1) {
            const Chord& c = chord(chords[0]);
            const std::string v(c.voicing);
            song.line(piano, tick, "r/4 " + v + "/4 r/4 " + v + "/4", 62);
            song.line(bass, tick,
                      std::string(c.root) + "/4 " + std::string(c.fifth) + "/4 " +
                          std::string(c.root) + "/4 " + std::string(c.fifth) + "/4",
                      96);
        } else {
            for (std::size_t half = 0; half < 2; ++half) {
                const Chord& c = chord(chords[half]);
                const int at = tick + static_cast<int>(half) * MidiSong::ticks(0, 2);
                song.line(piano, at, "r/4 " + std::string(c.voicing) + "/4", 62);
                song.line(bass, at, std::string(c.root) + "/4 " + std::string(c.fifth) + "/4", 96);
            }
        }
        tick += bar(1);
    }
}

// Kick on 1 and 3, clap on 2 and 4, and eighth-note hats (or a tambourine) for `bars` bars.
void groove(MidiSong& song, int drums, int firstBar, int bars, bool tambourine) {
    for (int b = firstBar; b < firstBar + bars; ++b) {
        song.line(drums, bar(b), repeat(std::string(kKick) + "/4 r/4", 2), 90);
        song.line(drums, bar(b), repeat(std::string("r/4 ") + kClap + "/4", 2), 70);
        if (tambourine) {
            song.line(drums, bar(b), repeat(std::string("r/8 ") + kTambourine + "/8", 4), 58);
        } else {
            song.line(drums, bar(b), repeat(std::string(kHat) + "/8", 8), 48);
        }
    }
}

constexpr std::string_view kThemeMelody =
    "e5/8 g5/8 c6/4 b5/8 c6/8 g5/4 | a5/8 c6/8 e6/4 d6/8 c6/8 a5/4 | "
    "f5/8 a5/8 c6/4 a5/8 f5/8 c5/4 | g5/4 a5/8 b5/8 d6/4 r/4 | "
    "e6/8 d6/8 c6/8 e6/8 g6/4 e6/4 | c6/8 b5/8 a5/8 c6/8 e6/4 c6/4 | "
    "a5/8 c6/8 f6/8 e6/8 d6/8 c6/8 b5/8 d6/8 | c6/4 g5/8 e5/8 c5/4 r/4";
const std::vector<std::vector<std::string_view>> kThemeChords = {{"C"}, {"Am"}, {"F"},      {"G"},
                                                                 {"C"}, {"Am"}, {"F", "G"}, {"C"}};

constexpr std::string_view kMiddleMelody =
    "a5/4. g5/8 f5/4 a5/4 | b5/4. a5/8 g5/4 b5/4 | g5/8 a5/8 b5/8 g5/8 e5/4 b5/4 | "
    "c6/4. b5/8 a5/2 | d6/8 c6/8 a5/8 f5/8 d5/4 f5/4 | g5/8 a5/8 b5/8 d6/8 g6/4 f6/4 | "
    "e6/4 c6/4 g5/4 e5/4 | d5/8 e5/8 f5/8 g5/8 a5/8 b5/8 d6/4";
const std::vector<std::vector<std::string_view>> kMiddleChords = {{"F"},  {"G"}, {"Em"}, {"Am"},
                                                                  {"Dm"}, {"G"}, {"C"},  {"G7"}};

} // namespace

MidiSong titleMusic() {
    MidiSong song("Honeycombwordsmiths", 132);
    const int flute = song.addTrack("Flute", 0, kFlute, 100, 54, 50);
    const int glock = song.addTrack("Glockenspiel", 1, kGlockenspiel, 70, 80, 50);
    const int clarinet = song.addTrack("Clarinet", 2, kClarinet, 96, 50, 45);
    const int xylo = song.addTrack("Xylophone", 3, kXylophone, 92, 76, 40);
    const int piano = song.addTrack("Piano", 4, kBrightPiano, 80, 70, 35);
    const int pizz = song.addTrack("Pizzicato", 5, kPizzicato, 84, 40, 40);
    const int bass = song.addTrack("Bass", 6, kAcousticBass, 100, 64, 20);
    const int drums = song.addTrack("Drums", kDrumChannel, 0, 90, 64, 30);

    // Intro, bars 0-1: a rising arpeggio and a tumbling answer, like a bee taking off.
    song.line(xylo, bar(0),
              "c5/8 e5/8 g5/8 c6/8 e6/8 g6/8 e6/4 | d6/8 b5/8 g5/8 f5/8 d5/8 b4/8 g4/4", 96);
    song.line(pizz, bar(0), "c4/8 e4/8 g4/8 c5/8 r/2 | g3/8 b3/8 d4/8 f4/8 r/2", 84);
    accompany(song, piano, bass, 0, {{"C"}, {"G7"}});
    song.line(drums, bar(1), std::string("r/2 ") + repeat(std::string(kSnare) + "/16", 8), 64);

    // Theme, bars 2-9: flute, with a soft glockenspiel an octave up.
    song.line(flute, bar(2), kThemeMelody, 100);
    song.line(glock, bar(2), kThemeMelody, 50);
    accompany(song, piano, bass, 2, kThemeChords);
    groove(song, drums, 2, 8, false);

    // Middle part, bars 10-17: the clarinet sings, pizzicato strings pluck along.
    song.line(clarinet, bar(10), kMiddleMelody, 100);
    for (int b = 10; b < 18; ++b) {
        const Chord& c = chord(kMiddleChords[static_cast<std::size_t>(b - 10)][0]);
        song.line(pizz, bar(b),
                  "r/8 " + std::string(c.voicing) + "/8 r/4 r/8 " + std::string(c.voicing) +
                      "/8 r/4",
                  70);
    }
    accompany(song, piano, bass, 10, kMiddleChords);
    groove(song, drums, 10, 8, true);

    // Theme again, bars 18-25: xylophone and flute together.
    song.line(xylo, bar(18), kThemeMelody, 92);
    song.line(flute, bar(18), kThemeMelody, 90);
    accompany(song, piano, bass, 18, kThemeChords);
    groove(song, drums, 18, 8, true);

    // Ending, bars 26-27.
    song.line(flute, bar(26), "c6/4 g5/4 e6/4 c6/4 | c6/2~", 104);
    song.line(xylo, bar(26), "c6/4 g5/4 e6/4 c6/4 | c6+e6+g6/2~", 96);
    song.line(glock, bar(27), "c7/2~", 60);
    accompany(song, piano, bass, 26, {{"F", "G"}});
    song.line(piano, bar(27), "c4+e4+g4+c5/2~", 80);
    song.line(bass, bar(27), "c2/2~", 100);
    song.line(drums, bar(26), repeat(std::string(kSnare) + "/16", 16), 70);
    song.line(drums, bar(27), std::string(kCrash) + "+" + kKick + "/2~", 100);
    return song;
}

namespace {

// The maker's logo: a quick sparkling run up and a bright chord.
MidiSong jingleLogo() {
    MidiSong song("Brightquill", 120);
    const int vibes = song.addTrack("Vibraphone", 0, kVibraphone, 100, 50, 60);
    const int glock = song.addTrack("Glockenspiel", 1, kGlockenspiel, 80, 78, 70);
    const int brass = song.addTrack("Brass", 2, kBrassSection, 90, 64, 50);
    const int strings = song.addTrack("Strings", 3, kStrings, 90, 64, 60);
    const int drums = song.addTrack("Drums", kDrumChannel, 0, 90, 64, 50);
    song.line(vibes, 0, "c5/16 e5/16 g5/16 c6/16 e6/16 g6/16 c7/8 r/8 c6+e6+g6/4~", 100);
    song.line(glock, 0, "r/4 r/16 g6/16 c7/16 e7/16 g7/8 r/8 c7/4~", 80);
    song.line(brass, bar(0) + MidiSong::ticks(0, 2), "c4+e4+g4+c5/2~ r/4", 96);
    song.line(strings, bar(0) + MidiSong::ticks(0, 2), "c3+g3+e4+c5/2.~", 80);
    song.line(drums, bar(0) + MidiSong::ticks(0, 2),
              std::string(kCrash) + "/4 r/4 " + kTriangle + "/4", 96);
    return song;
}

// Six "Great Job" tunes, each in its own key and colour.
MidiSong rewardTrumpet() {
    MidiSong song("Great Job 1", 120);
    const int trumpet = song.addTrack("Trumpet", 0, kTrumpet, 100, 60, 50);
    const int strings = song.addTrack("Strings", 1, kStrings, 80, 70, 60);
    const int timpani = song.addTrack("Timpani", 2, kTimpani, 100, 64, 40);
    const int drums = song.addTrack("Drums", kDrumChannel, 0, 90, 64, 50);
    song.line(trumpet, 0, "g4/8 g4/16 g4/16 c5/8 e5/8 g5/4. e5/8 | g5+c6/2~", 104);
    song.line(strings, 0, "c4+e4+g4/2 c4+e4+g4/2 | e4+g4+c5/2~", 70);
    song.line(timpani, 0, "c3/8 c3/8 g2/8 g2/8 c3/4 g2/4 | c3/4", 96);
    song.line(drums, bar(1), std::string(kCrash) + "+" + kKick + "/4", 100);
    return song;
}

MidiSong rewardXylophone() {
    MidiSong song("Great Job 2", 126);
    const int xylo = song.addTrack("Xylophone", 0, kXylophone, 100, 60, 40);
    const int pizz = song.addTrack("Pizzicato", 1, kPizzicato, 90, 40, 40);
    const int drums = song.addTrack("Drums", kDrumChannel, 0, 90, 64, 40);
    song.line(xylo, 0, "f5/16 g5/16 a5/16 c6/16 f6/8 c6/8 a5/8 c6/8 f6/4 | e6/8 g6/8 f6/4~", 100);
    song.line(pizz, 0, "f3/4 c4+f4+a4/4 c3/4 c4+f4+a4/4 | c4+e4+g4/8 c4+e4+bb4/8 f3+c4+f4+a4/4",
              90);
    song.line(drums, 0,
              repeat(std::string("r/4 ") + kClap + "/4", 2) + " " + kClap + "/8 " + kClap + "/8 " +
                  kCrash + "/4",
              80);
    return song;
}

MidiSong rewardMarimba() {
    MidiSong song("Great Job 3", 120);
    const int marimba = song.addTrack("Marimba", 0, kMarimba, 110, 54, 40);
    const int whistle = song.addTrack("Whistle", 1, kWhistle, 70, 76, 50);
    const int bass = song.addTrack("Bass", 2, kAcousticBass, 96, 64, 20);
    const int drums = song.addTrack("Drums", kDrumChannel, 0, 80, 64, 40);
    song.line(marimba, 0, "g4/8 b4/8 d5/8 g5/8 b5/8 a5/8 g5/8 d5/8 | e5/8 f#5/8 g5+b5+d6/4~", 110);
    song.line(whistle, 0, "d6/4 b5/4 g5/4 d6/4 | g6/2~", 80);
    song.line(bass, 0, "g2/4 d3/4 g2/4 d3/4 | c3/8 d3/8 g2/4~", 96);
    song.line(drums, 0,
              repeat(std::string(kKick) + "/8 " + kHat + "/8 " + kSnare + "/8 " + kHat + "/8", 2) +
                  kCrash + "/4",
              70);
    return song;
}

MidiSong rewardSteelDrums() {
    MidiSong song("Great Job 4", 116);
    const int steel = song.addTrack("Steel drums", 0, kSteelDrums, 110, 60, 50);
    const int bass = song.addTrack("Bass", 1, kAcousticBass, 96, 64, 20);
    const int drums = song.addTrack("Drums", kDrumChannel, 0, 90, 64, 40);
    song.line(steel, 0, "d5/8 f#5/8 a5/8 d5/16 f#5/16 a5/8 b5/8 a5/4 | f#5/8 a5/8 d6+f#6/4~", 110);
    song.line(bass, 0, "d3/8. d3/16 a2/4 d3/8. d3/16 a2/4 | d3/4", 96);
    song.line(drums, 0,
              repeat(std::string(kHighConga) + "/8 " + kOpenConga + "/8 " + kLowConga + "/8 " +
                         kOpenConga + "/8",
                     2) +
                  kTriangle + "/4",
              80);
    return song;
}

MidiSong rewardMusicBox() {
    MidiSong song("Great Job 5", 112);
    const int celesta = song.addTrack("Celesta", 0, kCelesta, 110, 64, 70);
    const int harp = song.addTrack("Harp", 1, kHarp, 90, 50, 60);
    const int drums = song.addTrack("Drums", kDrumChannel, 0, 80, 64, 60);
    song.line(celesta, 0,
              "a5/8 c#6/8 e6/8 a6/8 g#6/8 e6/8 c#6/8 e6/8 | a6/4 e6/8 c#6/8 a5+c#6+e6/4~", 105);
    song.line(harp, 0,
              "a3/16 c#4/16 e4/16 a4/16 c#5/16 e5/16 a5/16 e5/16 d4/16 f#4/16 a4/16 d5/16 e4/16 "
              "g#4/16 b4/16 e5/16 | a3+e4+a4+c#5/2~",
              90);
    song.line(drums, 0, "r/2 " + std::string(kTriangle) + "/4 r/4 | " + kTriangle + "/4", 80);
    return song;
}

MidiSong rewardBrass() {
    MidiSong song("Great Job 6", 120);
    const int brass = song.addTrack("Brass", 0, kBrassSection, 110, 64, 50);
    const int timpani = song.addTrack("Timpani", 1, kTimpani, 100, 64, 40);
    const int drums = song.addTrack("Drums", kDrumChannel, 0, 90, 64, 40);
    song.line(brass, 0, "r/2 bb4+d5+f5/8 r/16 bb4+d5+f5/16 c5+e5+g5/4 | c5+f5+a5/4 c5+e5+g5+c6/4~",
              104);
    song.line(timpani, 0, "r/2 bb2/8 r/8 c3/4 | f2/4 c3/4", 100);
    for (int i = 0; i < 8; ++i) { // a snare roll growing louder
        song.line(drums, i * MidiSong::kTicksPerQuarter / 4, std::string(kSnare) + "/16",
                  40 + 7 * i);
    }
    song.line(drums, bar(1) + MidiSong::ticks(0, 1), std::string(kCrash) + "+" + kKick + "/4", 100);
    return song;
}

// A finished picture: a glittering run up the bells.
MidiSong puzzleSparkle() {
    MidiSong song("Sparkle", 120);
    const int celesta = song.addTrack("Celesta", 0, kCelesta, 110, 50, 80);
    const int bells = song.addTrack("Tinkle bell", 1, kTinkleBell, 90, 80, 80);
    const int chimes = song.addTrack("Tubular bells", 2, kTubularBells, 80, 64, 70);
    const int drums = song.addTrack("Drums", kDrumChannel, 0, 80, 64, 70);
    song.line(celesta, 0, "c6/32 e6/32 g6/32 c7/32 e7/32 g7/32 c8/16~", 105);
    song.line(bells, MidiSong::ticks(0, 1), "g6/8 c7/8 e7/4~", 90);
    song.line(chimes, MidiSong::ticks(0, 1), "c5+g5/4.~", 70);
    song.line(drums, 0, std::string(kTriangle) + "/4 " + kTriangle + "/4", 80);
    return song;
}

} // namespace

const std::vector<SoundTrack>& soundTracks() {
    static const std::vector<SoundTrack> tracks = {
        {"jingle_logo", 3.0, jingleLogo},    {"reward_0", 4.0, rewardTrumpet},
        {"reward_1", 4.0, rewardXylophone},  {"reward_2", 4.0, rewardMarimba},
        {"reward_3", 4.0, rewardSteelDrums}, {"reward_4", 4.0, rewardMusicBox},
        {"reward_5", 4.0, rewardBrass},      {"puzzle_done", 2.0, puzzleSparkle},
    };
    return tracks;
}

} // namespace hc::audio
