// Files that cannot be opened raise hc::Error with a message naming the file, and leave the
// player not open.

#include "archive/error.h"
#include "media_fixtures.h"
#include "media_test_support.h"

namespace hc::test::media {
namespace {

class OpenErrorTest : public MediaTest {};

TEST_F(OpenErrorTest, UnusableFilesFailWithTheirNameAndAReason) {
    writeAvi(path("movie.avi"), AviRecipe{});
    writeWav(path("speech.wav"), sine(1000, 440, 11025), WavRecipe{});
    writeFile(path("music.mid"), midiFile(500000, {60}, 480));
    const std::string avi = readFile(path("movie.avi"));
    writeFile(path("noise.bin"), std::string(4000, '\x5A'));
    writeFile(path("empty.avi"), "");
    writeFile(path("truncated.avi"), avi.substr(0, 100));
    writeFile(path("text.mid"), "MThd is not how this file goes on");
    writeFile(path("truncated.mid"), midiFile(500000, {60, 62}, 480).substr(0, 30));

    struct Row {
        const char* file;
        DeviceType type;
        const char* reason; // part of the message
    };
    const Row rows[] = {
        {"missing.avi", DeviceType::AviVideo, "does not exist"},
        {"noise.bin", DeviceType::AviVideo, "damaged or not a media file"},
        {"empty.avi", DeviceType::AviVideo, "damaged or not a media file"},
        {"truncated.avi", DeviceType::AviVideo, ""},
        {"speech.wav", DeviceType::AviVideo, "not an AVI video"},
        {"movie.avi", DeviceType::WaveAudio, "not a wave file"},
        {"music.mid", DeviceType::WaveAudio, ""},
        {"noise.bin", DeviceType::Sequencer, "not a valid MIDI file"},
        {"text.mid", DeviceType::Sequencer, "not a valid MIDI file"},
        {"truncated.mid", DeviceType::Sequencer, "not a valid MIDI file"},
        {"movie.avi", DeviceType::Sequencer, "not a valid MIDI file"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        MediaPlayer player(m_media);
        player.setDeviceType(row.type);
        player.setFileName(QString::fromStdString(path(row.file)));
        try {
            player.open();
            ADD_FAILURE() << "opened";
        } catch (const hc::Error& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(path(row.file)), std::string::npos) << message;
            EXPECT_NE(message.find(row.reason), std::string::npos) << message;
        }
        EXPECT_EQ(player.mode(), Mode::NotOpen);
    }
}

TEST_F(OpenErrorTest, AFailedOpenLeavesThePreviousFileClosed) {
    writeAvi(path("movie.avi"), AviRecipe{});
    MediaPlayer player(m_media);
    player.setFileName(QString::fromStdString(path("movie.avi")));
    player.open();
    player.setFileName(QString::fromStdString(path("gone.avi")));
    EXPECT_THROW(player.open(), hc::Error);
    EXPECT_EQ(player.mode(), Mode::NotOpen);
    EXPECT_THROW(player.play(), hc::Error);
}

} // namespace
} // namespace hc::test::media
