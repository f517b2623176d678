// The sound generator's own steps: the words of a clip, the music notation, and the
// hc_audiogen tool run on fixtures (a school's recording, bad recordings, a second build).

#include "content/audio/clip_text.h"
#include "content/audio/midi_song.h"
#include "media_probe.h"
#include "temp_dir.h"
#include "tool_run.h"
#include "wav_fixture.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using hc::test::pcmWav;
using hc::test::probeWav;
using hc::test::readFile;
using hc::test::shellQuoted;
using hc::test::toneWithPauses;
using hc::test::writeFile;

struct Result {
    int status;
    std::string output;
};

// Runs hc_audiogen with the build's tools; returns its exit status and what it printed.
Result audiogen(const std::vector<std::string>& args) {
    std::string command = shellQuoted(HC_AUDIOGEN);
    for (const std::string& arg : args) {
        command += " " + shellQuoted(arg);
    }
    command += " --flite " + shellQuoted(HC_FLITE) + " --sox " + shellQuoted(HC_SOX) +
               " --espeak " + shellQuoted(HC_ESPEAK) + " --soundfont " + shellQuoted(HC_SOUNDFONT) +
               " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        throw std::runtime_error("cannot run " + command);
    }
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        output += buffer;
    }
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

class AudiogenTool : public hc::test::TempDirTest {};

TEST_F(AudiogenTool, SchoolRecordingWinsOverTheVoiceAndIsConverted) {
    fs::create_directories("overrides/bee");
    // Stereo 44.1 kHz, named in capitals as Windows tools save it: 1 s pause, 1 s of 440 Hz,
    // 1.5 s pause.
    writeFile("overrides/bee/GOODBYE.WAV", pcmWav(44100, 2, toneWithPauses(44100, 1, 1, 1.5, 440)));
    writeFile("goodbye.txt", "Thank you for playing with me today!\n");
    const auto run =
        audiogen({"clip", "--name", "goodbye", "--text", "goodbye.txt", "--override-dir",
                  "overrides", "--wav", "out/goodbye.wav", "--memo", "out/goodbye.txt"});
    ASSERT_EQ(run.status, 0) << run.output;

    const auto wav = probeWav(readFile("out/goodbye.wav"));
    ASSERT_EQ(wav.error, "");
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.sampleRate, 11025);
    EXPECT_EQ(wav.bitsPerSample, 16);
    // The tone with its short pads (0.1 s + 0.2 s); the long pauses are gone.
    const double seconds = wav.samples.size() / 11025.0;
    EXPECT_NEAR(seconds, 1.3, 0.1);
    const std::vector<std::int16_t> middle(wav.samples.begin() + 2000, wav.samples.begin() + 10000);
    EXPECT_NEAR(hc::test::toneFrequency(middle, 11025), 440, 5);
    // Brought up from the quiet recording (RMS 0.13) towards full scale.
    EXPECT_GT(hc::test::rmsLevel(middle, 0, middle.size()), 0.45);
    EXPECT_EQ(readFile("out/goodbye.txt"), "Thank you for playing with me today!\r\n");

    // Taken out again, the voice speaks the clip's words.
    fs::remove("overrides/bee/GOODBYE.WAV");
    ASSERT_EQ(audiogen({"clip", "--name", "goodbye", "--text", "goodbye.txt", "--override-dir",
                        "overrides", "--wav", "out/goodbye.wav", "--memo", "out/goodbye.txt"})
                  .status,
              0);
    const auto spoken = probeWav(readFile("out/goodbye.wav"));
    EXPECT_GT(spoken.samples.size() / 11025.0, 1.8); // the sentence, not the 1.3 s tone
    const std::vector<std::int16_t> spokenMiddle(spoken.samples.begin() + 2000,
                                                 spoken.samples.begin() + 10000);
    EXPECT_GT(std::abs(hc::test::toneFrequency(spokenMiddle, 11025) - 440), 50);
}

TEST_F(AudiogenTool, BadRecordingsStopWithAMessageAndLeaveNoOutput) {
    fs::create_directories("overrides/bee");
    writeFile("words.txt", "Hello.\n");
    struct Row {
        const char* what;
        std::string bytes;
        const char* message;
    };
    const Row rows[] = {
        {"silence only", pcmWav(22050, 1, std::vector<std::int16_t>(22050, 0)),
         "holds no audible sound"},
        {"not a WAV at all", "this is not sound", "leave.wav"},
        {"truncated header", pcmWav(22050, 1, {1, 2, 3}).substr(0, 30), "leave.wav"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        writeFile("overrides/bee/leave.wav", row.bytes);
        const auto run =
            audiogen({"clip", "--name", "leave", "--text", "words.txt", "--override-dir",
                      "overrides", "--wav", "out/leave.wav", "--memo", "out/leave.txt"});
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.output.find(row.message), std::string::npos) << run.output;
        EXPECT_FALSE(fs::exists("out/leave.wav"));
        EXPECT_FALSE(fs::exists("out/leave.txt"));
    }
}

TEST_F(AudiogenTool, ASecondBuildGivesTheSameBytes) {
    const fs::path out = HC_AUDIO_OUT_DIR;
    ASSERT_EQ(audiogen({"title", "title.mid"}).status, 0);
    EXPECT_EQ(readFile("title.mid"), readFile((out / "sound/title.mid").string()));
    ASSERT_EQ(audiogen({"track", "puzzle_done", "puzzle_done.wav"}).status, 0);
    EXPECT_EQ(readFile("puzzle_done.wav"), readFile((out / "puzzle_done.wav").string()));
    ASSERT_EQ(audiogen({"clip", "--name", "welcmbak", "--text",
                        std::string(HC_AUDIO_CLIP_SOURCES) + "/welcmbak.txt", "--override-dir",
                        HC_AUDIO_OVERRIDES, "--wav", "welcmbak.wav", "--memo", "welcmbak.txt"})
                  .status,
              0);
    EXPECT_EQ(readFile("welcmbak.wav"), readFile((out / "bee/welcmbak.wav").string()));
}

TEST(ClipText, EachParagraphIsOneMemoLineWithCrLf) {
    struct Row {
        const char* source;
        const char* memo;
    };
    const Row rows[] = {
        // The memo wraps at its own width: line breaks inside a paragraph are dropped, blanks
        // collapse, a long paragraph stays one line.
        {"Click Start, and a word will show on a card. Look at it\ncarefully.",
         "Click Start, and a word will show on a card. Look at it carefully.\r\n"},
        {"  abcde fghij klmno pqrst\n  uvwxy z ", "abcde fghij klmno pqrst uvwxy z\r\n"},
        // A blank line separates paragraphs, kept as an empty memo line.
        {"One.\n\n \nTwo\nthree.\n", "One.\r\n\r\nTwo three.\r\n"},
        // Windows-1252 text: accents and the curly quotes a word processor types.
        {"Caf\xC3\xA9 \xE2\x80\x9Cyes\xE2\x80\x9D", "Caf\xE9 \x93yes\x94\r\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(hc::audio::memoText(row.source), row.memo) << row.source;
    }
    EXPECT_EQ(hc::audio::speechText("It\xE2\x80\x99s\n\nme."), "It's me.");
}

TEST(ClipText, TextTheMemoCannotShowIsRefused) {
    for (const char* source :
         {"", " \n\n ", "snow \xE2\x9D\x84", "bad \xC3", "bell \x07", "not \xFF utf-8"}) {
        EXPECT_THROW(hc::audio::memoText(source), std::runtime_error) << source;
    }
}

TEST(MidiNotation, PitchesValuesAndChordsBecomeTheRightNotes) {
    EXPECT_EQ(hc::audio::pitchKey("c4"), 60);
    EXPECT_EQ(hc::audio::pitchKey("a4"), 69);
    EXPECT_EQ(hc::audio::pitchKey("f#5"), 78);
    EXPECT_EQ(hc::audio::pitchKey("bb3"), 58);
    EXPECT_EQ(hc::audio::pitchKey("b3"), 59);
    EXPECT_EQ(hc::audio::pitchKey("42"), 42);
    for (const char* bad : {"h4", "c", "c#", "c9x", "200", "99999999999", "g9"}) {
        EXPECT_THROW(hc::audio::pitchKey(bad), std::invalid_argument) << bad;
    }

    // At 120 bpm a quarter is half a second: 4. + 8 + 2 + (chord) 1 = 2 bars = 4 s.
    hc::audio::MidiSong song("test", 120);
    const int track = song.addTrack("Piano", 0, 0);
    const int end = song.line(track, 0, "c4/4. d4/8 | r/2 | c4+e4+g4/1~", 100);
    EXPECT_EQ(end, hc::audio::MidiSong::ticks(2));
    EXPECT_DOUBLE_EQ(song.seconds(), 4.0);
    const auto smf = hc::test::probeSmf(song.smf());
    ASSERT_EQ(smf.error, "");
    EXPECT_EQ(smf.format, 1);
    EXPECT_EQ(smf.noteOns, 5);
    EXPECT_NEAR(smf.seconds, 4.0, 1e-9);
    EXPECT_THROW(song.line(track, 0, "c4/3", 100), std::invalid_argument);
    EXPECT_THROW(song.line(track, 0, "c4", 100), std::invalid_argument);
}

} // namespace
