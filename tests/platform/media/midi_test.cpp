// MIDI: the file parser (timing, tempo, damaged input) and the sequencer player's end.

#include "archive/error.h"
#include "media_fixtures.h"
#include "media_test_support.h"
#include "platform/media/midi_file.h"

#include <cmath>
#include <random>

namespace hc::test::media {
namespace {

using hc::media::MidiSong;
using hc::media::parseMidi;

MidiSong parse(const std::string& bytes) {
    return parseMidi({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                     "music.mid");
}

std::string big(std::uint32_t v, int count) {
    std::string s;
    for (int i = count - 1; i >= 0; --i) {
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    return s;
}

std::string chunk(const char* tag, const std::string& body) {
    return tag + big(static_cast<std::uint32_t>(body.size()), 4) + body;
}

TEST(MidiFileTest, EventTimesFollowTheTempoMapAcrossTracks) {
    // Format 1: track 0 holds the tempo map (120 bpm, then 60 bpm from beat 2), track 1 notes
    // on beats 0, 1, 2 and 3, with running status. 96 ticks per quarter.
    const std::string tempo = std::string("\x00\xFF\x51\x03\x07\xA1\x20", 7) +
                              std::string("\x81\x40\xFF\x51\x03\x0F\x42\x40", 8) + // 192 ticks
                              std::string("\x00\xFF\x2F\x00", 4);
    const std::string notes = std::string("\x00\x90\x3C\x64", 4) + // beat 0
                              std::string("\x60\x3E\x64", 3) +     // beat 1, running status
                              std::string("\x60\x40\x64", 3) +     // beat 2
                              std::string("\x60\x80\x40\x00", 4) + // beat 3: note off
                              std::string("\x60\xFF\x2F\x00", 4);  // end at beat 4
    const MidiSong song = parse(chunk("MThd", big(1, 2) + big(2, 2) + big(96, 2)) +
                                chunk("MTrk", tempo) + chunk("MTrk", notes));
    ASSERT_EQ(song.events.size(), 4u);
    EXPECT_EQ(song.events[0].timeUs, 0);
    EXPECT_EQ(song.events[1].timeUs, 500000);
    EXPECT_EQ(song.events[2].timeUs, 1000000);
    EXPECT_EQ(song.events[3].timeUs, 2000000); // one beat at 60 bpm
    EXPECT_EQ(song.events[1].status, 0x90);    // running status kept
    EXPECT_EQ(song.events[1].data1, 0x3E);
    EXPECT_EQ(song.lengthUs, 3000000); // the end-of-track marker counts
}

TEST(MidiFileTest, RiffWrappedAndSmpteTimedFilesParse) {
    // 25 fps x 40 ticks per frame: one tick is one millisecond.
    const std::string smf =
        chunk("MThd", big(0, 2) + big(1, 2) + std::string("\xE7\x28", 2)) +
        chunk("MTrk", std::string("\x00\x90\x3C\x64\x87\x68\x80\x3C\x00\x00\xFF\x2F\x00", 13));
    EXPECT_EQ(parse(smf).lengthUs, 1000000); // 1000 ticks
    std::string riff = "RMID" + std::string("data") + big(0, 4) + smf;
    const auto size = static_cast<std::uint32_t>(smf.size());
    riff.replace(
        8, 4,
        std::string{static_cast<char>(size & 0xFF), static_cast<char>(size >> 8), '\0', '\0'});
    const auto riffSize = static_cast<std::uint32_t>(riff.size());
    const std::string wrapped = "RIFF" +
                                std::string{static_cast<char>(riffSize & 0xFF),
                                            static_cast<char>(riffSize >> 8), '\0', '\0'} +
                                riff;
    EXPECT_EQ(parse(wrapped).lengthUs, 1000000);
}

TEST(MidiFileTest, DamagedFilesAreRejectedWithAMessage) {
    const std::string header = chunk("MThd", big(0, 2) + big(1, 2) + big(96, 2));
    const std::string rows[] = {
        "",
        "MThd",
        chunk("MThd", big(0, 2)),                               // header too short
        chunk("MThd", big(3, 2) + big(1, 2) + big(96, 2)),      // unknown format
        chunk("MThd", big(0, 2) + big(1, 2) + big(0, 2)),       // no division
        header,                                                 // no track
        header + "MTrk" + big(1000, 4) + "\x00\x90",            // track longer than the file
        header + chunk("MTrk", std::string("\x00\x3C\x64", 3)), // data byte without status
        header + chunk("MTrk", std::string("\x00\x90\x3C", 3)), // event cut short
        header + chunk("MTrk", std::string("\xFF\xFF\xFF\xFF\x7F", 5)), // 5-byte number
        header + chunk("MTrk", std::string("\x00\xFF\x01\x7F", 4)),     // meta beyond the end
        header + chunk("MTrk", std::string("\x00\xF8", 2)),             // not a file event
    };
    for (const std::string& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row));
        try {
            parse(row);
            ADD_FAILURE() << "parsed";
        } catch (const hc::Error& error) {
            EXPECT_NE(std::string(error.what()).find("music.mid: not a valid MIDI file"),
                      std::string::npos);
        }
    }
}

TEST(MidiFileTest, MutatedFilesNeverCrashTheParser) {
    // Random damage to a valid file either parses or throws hc::Error; the sanitizers watch
    // every read.
    const std::string good = midiFile(400000, {60, 64, 67, 72}, 240, 30);
    std::mt19937 random(4);
    for (int round = 0; round < 3000; ++round) {
        std::string bad = good;
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int c = 0; c < changes; ++c) {
            bad[random() % bad.size()] = static_cast<char>(random());
        }
        if (random() % 4 == 0) {
            bad.resize(random() % bad.size());
        }
        try {
            const MidiSong song = parse(bad);
            for (const auto& event : song.events) {
                ASSERT_LE(event.timeUs, song.lengthUs);
                if (event.status == 0xF0) {
                    ASSERT_LE(event.sysexOffset + event.sysexLength, song.sysex.size());
                }
            }
        } catch (const hc::Error&) {
        }
    }
}

class SequencerTest : public MediaTest {};

TEST_F(SequencerTest, TheEndArrivesAtTheMusicsLength) {
    // Three notes of half a second and a quarter second of silence before the end marker.
    writeFile(path("title.mid"), midiFile(500000, {60, 64, 67}, 480, 240));
    MediaPlayer player(m_media);
    player.setDeviceType(DeviceType::Sequencer);
    player.setFileName(QString::fromStdString(path("title.mid")));
    player.open(Notify::No);
    EXPECT_EQ(player.length(), 1750);
    Recorder recorder(player);

    player.requestNotify();
    player.play();
    // The synthesizer renders the music as the mixer pulls it.
    const auto out = render(11025 / 5);
    double energy = 0;
    for (float s : out) {
        energy += s * s;
    }
    EXPECT_GT(energy, 1.0);

    step(1749ms);
    EXPECT_TRUE(recorder.results.empty());
    EXPECT_EQ(player.position(), 1749);
    step(1ms);
    EXPECT_EQ(recorder.results, std::vector{NotifyResult::Successful});
    EXPECT_EQ(player.mode(), Mode::Stopped);

    // Played again from a point in the middle, the end comes after the rest only.
    player.playRange(1000, 1750, Notify::Yes);
    step(750ms);
    EXPECT_EQ(recorder.results.size(), 2u);
}

TEST_F(SequencerTest, StopSilencesTheMusicAtOnce) {
    writeFile(path("title.mid"), midiFile(500000, {60, 62, 64, 65}, 960));
    MediaPlayer player(m_media);
    player.setDeviceType(DeviceType::Sequencer);
    player.setFileName(QString::fromStdString(path("title.mid")));
    player.open();
    player.play(Notify::No);
    render(2000);
    player.stop();
    EXPECT_EQ(m_media.mixer().sourceCount(), 0u);
    player.close();
}

} // namespace
} // namespace hc::test::media
