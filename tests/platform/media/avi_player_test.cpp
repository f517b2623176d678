// The media player with AVI video: frames on the manual clock, notifications, the shared
// display, sound in step with pictures, period codecs and damaged files.

#include "archive/error.h"
#include "media_fixtures.h"
#include "media_test_support.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>

namespace hc::test::media {
namespace {

class AviPlayerTest : public MediaTest {
protected:
    // Writes `name` (30 frames, 15 fps, 32 x 24) and opens it in a player showing in the display.
    std::unique_ptr<MediaPlayer> openAvi(const std::string& name, AviRecipe recipe = {}) {
        writeAvi(path(name), recipe);
        return openPlayer(DeviceType::AviVideo, name, &m_display);
    }
};

TEST_F(AviPlayerTest, OpenReportsLengthAndPositionInFramesAndMilliseconds) {
    auto player = openAvi("a.avi");
    EXPECT_EQ(player->mode(), Mode::Stopped);
    EXPECT_EQ(player->timeFormat(), TimeFormat::Frames);
    EXPECT_EQ(player->length(), 30);
    EXPECT_EQ(player->position(), 0);
    EXPECT_EQ(player->naturalSize(), QSize(32, 24));
    // Opening alone shows nothing.
    EXPECT_EQ(shownFrame(), -1);

    player->playRange(0, 6, Notify::No);
    stepFrames(3);
    EXPECT_EQ(player->position(), 3);
    player->setTimeFormat(TimeFormat::Milliseconds);
    EXPECT_EQ(player->length(), 2000);
    EXPECT_EQ(player->position(), 200);
    EXPECT_THROW(player->setTimeFormat(TimeFormat::Samples), hc::Error);

    player->close();
    EXPECT_EQ(player->mode(), Mode::NotOpen);
    EXPECT_EQ(player->length(), 0);
    EXPECT_NO_THROW(player->close()); // closing a closed player does nothing
    EXPECT_THROW(player->play(), hc::Error);
}

struct CodecCase {
    const char* codec;
    bool sound;
    friend void PrintTo(const CodecCase& c, std::ostream* out) {
        *out << c.codec << (c.sound ? " with sound" : "");
    }
};

class AviRangeTest : public AviPlayerTest, public ::testing::WithParamInterface<CodecCase> {};

TEST_P(AviRangeTest, RangeShowsExactlyItsFramesAndNotifiesSuccessfulOnce) {
    AviRecipe recipe;
    recipe.codec = GetParam().codec;
    recipe.sound = GetParam().sound;
    auto player = openAvi("range.avi", recipe);
    Recorder recorder(*player);

    // Frames 13..19 cross the keyframe at 20 for the period codecs (a keyframe every 10).
    player->playRange(13, 19, Notify::Yes);
    EXPECT_EQ(player->mode(), Mode::Playing);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(shownFrame(), 13 + k) << "after " << k << " frame periods";
        EXPECT_TRUE(recorder.results.empty());
        stepFrames();
    }
    EXPECT_EQ(shownFrame(), 19);
    ASSERT_EQ(recorder.results, std::vector{NotifyResult::Successful});
    EXPECT_EQ(player->mode(), Mode::Stopped);
    EXPECT_EQ(player->position(), 19);

    // The end frame stays; nothing more is reported.
    stepFrames(20);
    EXPECT_EQ(shownFrame(), 19);
    EXPECT_EQ(recorder.results.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Codecs, AviRangeTest,
                         ::testing::Values(CodecCase{"mjpeg", false}, CodecCase{"mjpeg", true},
                                           CodecCase{"msvideo1", false},
                                           CodecCase{"msvideo1", true},
                                           CodecCase{"cinepak", false}),
                         [](const auto& info) {
                             return std::string(info.param.codec) +
                                    (info.param.sound ? "_sound" : "_silent");
                         });

TEST_F(AviPlayerTest, PlayContinuesFromRangeEndAndRewindsAtTheEnd) {
    auto player = openAvi("a.avi");
    Recorder recorder(*player);
    player->playRange(0, 15, Notify::Yes);
    stepFrames(15);
    EXPECT_EQ(shownFrame(), 15);

    // The flash card's second half: 15 to 30 starts where the first ended.
    player->play(Notify::Yes);
    EXPECT_EQ(shownFrame(), 15);
    stepFrames(14);
    EXPECT_EQ(shownFrame(), 29);
    stepFrames();
    EXPECT_EQ(player->position(), 30);
    EXPECT_EQ(shownFrame(), 29); // the last frame stays
    EXPECT_EQ(recorder.results.size(), 2u);

    // At the end, play starts over from frame 0.
    player->play(Notify::Yes);
    EXPECT_EQ(player->mode(), Mode::Playing);
    EXPECT_EQ(shownFrame(), 0);
    stepFrames(30);
    EXPECT_EQ(recorder.results, std::vector(3, NotifyResult::Successful));
}

TEST_F(AviPlayerTest, RangesAreClampedAndAReversedRangeIsAnError) {
    auto player = openAvi("a.avi");
    Recorder recorder(*player);
    player->playRange(25, 1000, Notify::Yes);
    stepFrames(5);
    EXPECT_EQ(recorder.results, std::vector{NotifyResult::Successful});
    EXPECT_EQ(player->position(), 30);
    EXPECT_EQ(shownFrame(), 29);

    EXPECT_THROW(player->playRange(10, 5, Notify::Yes), hc::Error);
    processEvents();
    EXPECT_EQ(recorder.results.size(), 1u);
}

TEST_F(AviPlayerTest, NotificationsArriveThroughTheEventLoopOnly) {
    auto player = openAvi("a.avi");
    Recorder recorder(*player);
    // An empty range ends at once, but not inside the command.
    player->playRange(5, 5, Notify::Yes);
    EXPECT_TRUE(recorder.results.empty());
    processEvents();
    EXPECT_EQ(recorder.results, std::vector{NotifyResult::Successful});

    player->close(Notify::No);
    player->open(Notify::Yes);
    EXPECT_EQ(recorder.results.size(), 1u);
    processEvents();
    EXPECT_EQ(recorder.results.size(), 2u);
}

TEST_F(AviPlayerTest, StopCloseAndAPlainPlayAbortAPendingPlay) {
    auto player = openAvi("a.avi");
    Recorder recorder(*player);

    player->play(Notify::Yes);
    stepFrames(4);
    player->stop();
    processEvents();
    EXPECT_EQ(recorder.results, std::vector{NotifyResult::Aborted});
    EXPECT_EQ(player->mode(), Mode::Stopped);
    EXPECT_EQ(player->position(), 4);
    EXPECT_EQ(shownFrame(), 4); // the picture stays when stopped
    stepFrames(30);
    EXPECT_EQ(recorder.results.size(), 1u);

    player->play(Notify::Yes);
    player->play(Notify::No);
    processEvents();
    EXPECT_EQ(recorder.results.back(), NotifyResult::Aborted);
    EXPECT_EQ(recorder.results.size(), 2u);

    player->play(Notify::Yes);
    player->close();
    processEvents();
    EXPECT_EQ(recorder.results.back(), NotifyResult::Aborted);
    EXPECT_EQ(recorder.results.size(), 3u);
    EXPECT_EQ(shownFrame(), -1); // closed: the display's background again
    stepFrames(40);
    EXPECT_EQ(recorder.results.size(), 3u);
}

TEST_F(AviPlayerTest, ANotifyingCommandSupersedesThePendingPlay) {
    auto player = openAvi("a.avi");
    Recorder recorder(*player);
    player->play(Notify::Yes);
    stepFrames(2);
    player->playRange(0, 3, Notify::Yes);
    processEvents();
    EXPECT_EQ(recorder.results, std::vector{NotifyResult::Superseded});
    stepFrames(3);
    EXPECT_EQ(recorder.results, (std::vector{NotifyResult::Superseded, NotifyResult::Successful}));

    // A stop that asks for notification supersedes too, and reports its own success.
    recorder.results.clear();
    player->play(Notify::Yes);
    player->stop(Notify::Yes);
    processEvents();
    EXPECT_EQ(recorder.results, (std::vector{NotifyResult::Superseded, NotifyResult::Successful}));
}

TEST_F(AviPlayerTest, ANotifyRequestAppliesToTheNextCommandOnly) {
    auto player = openAvi("a.avi");
    Recorder recorder(*player);
    // "Open without notification, then ask for notification on its next command."
    player->requestNotify();
    player->playRange(0, 2);
    EXPECT_FALSE(player->notifyRequested());
    stepFrames(2);
    EXPECT_EQ(recorder.results, std::vector{NotifyResult::Successful});

    player->playRange(0, 2);
    stepFrames(2);
    EXPECT_EQ(recorder.results.size(), 1u);

    // A request is consumed even by a command that reports nothing by itself.
    player->requestNotify();
    player->stop(Notify::No);
    player->playRange(0, 2);
    stepFrames(2);
    EXPECT_EQ(recorder.results.size(), 1u);
}

TEST_F(AviPlayerTest, PlayersSharingADisplayShowTheOneStartedLast) {
    auto idle = openAvi("idle.avi");
    auto talk = openAvi("talk.avi", AviRecipe{.frames = 40});
    auto third = openAvi("third.avi");

    idle->play(Notify::No);
    EXPECT_EQ(shownFrame(), 0);
    stepFrames(2);
    EXPECT_EQ(shownFrame(), 2);

    talk->playRange(30, 40, Notify::No);
    EXPECT_EQ(shownFrame(), 30); // started last: seen, although idle plays on
    stepFrames(2);
    EXPECT_EQ(shownFrame(), 32);

    talk->stop();
    stepFrames(3);
    EXPECT_EQ(shownFrame(), 32); // its picture stays when it stops

    talk->close();
    EXPECT_EQ(shownFrame(), 7); // back to the other open player that had shown a picture
    stepFrames();
    EXPECT_EQ(shownFrame(), 8);

    idle->close();
    EXPECT_EQ(shownFrame(), -1); // `third` is open but never showed a picture

    third->playRange(12, 20, Notify::No);
    EXPECT_EQ(shownFrame(), 12);
    third.reset(); // destroying a player closes it
    EXPECT_EQ(shownFrame(), -1);
}

TEST_F(AviPlayerTest, PicturesShowAtNaturalSizeFromTheTopLeftUnderTheDisplaysChildren) {
    auto player = openAvi("a.avi");
    QWidget label(&m_display);
    label.setGeometry(20, 0, 10, 10);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, Qt::white);
    label.setPalette(palette);
    label.setAutoFillBackground(true);
    label.show();

    player->playRange(5, 6, Notify::No);
    const QImage grabbed = m_display.grab().toImage();
    EXPECT_EQ(nearestFrame(grabbed.pixelColor(31, 23)), 5);
    EXPECT_EQ(grabbed.pixelColor(32, 4), kBackground); // right of the picture
    EXPECT_EQ(grabbed.pixelColor(4, 24), kBackground); // below it
    EXPECT_EQ(grabbed.pixelColor(22, 4), Qt::white);   // a child widget stays on top
}

TEST_F(AviPlayerTest, SoundTrackStartsWithTheRangesFirstFrame) {
    AviRecipe recipe;
    recipe.sound = true;
    auto player = openAvi("sound.avi", recipe);
    const auto expected = sine(30 * 735, recipe.toneHz, recipe.soundRate);

    player->playRange(10, 12, Notify::No);
    // 2 frames at 15 fps = 1470 samples at 11025 Hz, from sample 10 * 735.
    const auto out = render(2000);
    double worst = 0;
    for (int i = 0; i < 1470; ++i) {
        worst = std::max(worst, std::abs(out[i] - expected[7350 + i] / 32768.0));
    }
    EXPECT_LT(worst, 0.02); // 8-bit sound
    for (int i = 1470; i < 2000; ++i) {
        ASSERT_EQ(out[i], 0.0f) << "sound beyond the range at sample " << i;
    }
}

TEST_F(AviPlayerTest, AMinuteOfLoopingKeepsSoundAndPicturesTogether) {
    // The content's movies: MJPEG with PCM sound at 11025 Hz, looped from the notification as
    // the bee's animations are. Every frame period the device takes its 735 samples; the
    // picture and the sound must both be at the same place of the loop all minute long.
    AviRecipe recipe;
    recipe.sound = true;
    recipe.toneHz = 210; // not a divisor of the frame rate: a misplaced block shows
    auto player = openAvi("loop.avi", recipe);
    const auto tone = sine(30 * 735, recipe.toneHz, recipe.soundRate);
    int loops = 0;
    QObject::connect(player.get(), &MediaPlayer::notified, [&](NotifyResult result) {
        ASSERT_EQ(result, NotifyResult::Successful);
        ++loops;
        player->play(Notify::Yes);
    });
    player->play(Notify::Yes);
    for (int frame = 0; frame < 60 * 15; ++frame) {
        ASSERT_EQ(shownFrame(), frame % 30) << "at frame " << frame;
        const auto block = render(735);
        const int at = (frame % 30) * 735;
        for (int i = 0; i < 735; i += 49) {
            ASSERT_NEAR(block[i], tone[at + i] / 32768.0, 0.02) << "at frame " << frame;
        }
        stepFrames();
    }
    EXPECT_EQ(loops, 30);
}

TEST_F(AviPlayerTest, DamagedPicturesAreSkippedAndThePlayStillEnds) {
    AviRecipe recipe;
    recipe.frames = 20;
    writeAvi(path("good.avi"), recipe);
    std::string bytes = readFile(path("good.avi"));
    // Overwrite the middle of the file (picture data) with garbage.
    for (std::size_t i = bytes.size() / 3; i < bytes.size() * 2 / 3; ++i) {
        bytes[i] = static_cast<char>((i * 7919) & 0xFF);
    }
    writeFile(path("bad.avi"), bytes);

    MediaPlayer player(m_media);
    player.setFileName(QString::fromStdString(path("bad.avi")));
    player.setDisplay(&m_display);
    Recorder recorder(player);
    player.open(Notify::No);
    // Whatever the demuxer and decoder make of the damage, the play ends and reports it.
    player.play(Notify::Yes);
    stepFrames(20);
    EXPECT_EQ(recorder.results, std::vector{NotifyResult::Successful});
    EXPECT_EQ(player.mode(), Mode::Stopped);
}

// Puts `frames` into the frame counts of an AVI's headers: the main header's total, the first
// stream header's length, and (when `extended`) the OpenDML total.
void claimFrames(std::string& avi, std::uint32_t frames, bool main, bool extended) {
    const auto put = [&](const char* tag, std::size_t offset) {
        const std::size_t at = avi.find(tag);
        ASSERT_NE(at, std::string::npos) << tag;
        for (int i = 0; i < 4; ++i) {
            avi[at + 8 + offset + static_cast<std::size_t>(i)] =
                static_cast<char>((frames >> (8 * i)) & 0xFF);
        }
    };
    if (main) {
        put("avih", 16);
    }
    put("strh", 32);
    if (extended) {
        put("dmlh", 0);
    }
}

// Regression: a 5-frame movie whose header claimed 10^9 frames played for years, and the screens
// that wait for a movie's end would never have gone on. A play ends where the data does,
// successfully, with one warning.
TEST_F(AviPlayerTest, AHeaderThatClaimsMoreFramesThanTheDataEndsWhereTheDataDoes) {
    struct Row {
        const char* what;
        std::uint32_t claimed;
        bool main;
        bool extended;
        bool sound;
    };
    const Row rows[] = {
        {"every header claims 10^9", 1'000'000'000, true, true, false},
        {"the stream header claims 300", 300, false, false, false},
        {"with a sound track", 1'000'000'000, true, true, true},
        {"the largest count there is", 0xFFFFFFFF, true, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        AviRecipe recipe;
        recipe.frames = 5;
        recipe.sound = row.sound;
        writeAvi(path("five.avi"), recipe);
        std::string bytes = readFile(path("five.avi"));
        claimFrames(bytes, row.claimed, row.main, row.extended);
        writeFile(path("lying.avi"), bytes);

        MediaPlayer player(m_media);
        player.setFileName(QString::fromStdString(path("lying.avi")));
        player.setDisplay(&m_display);
        Recorder recorder(player);
        testing::internal::CaptureStderr();
        player.open(Notify::No);
        const std::string warnings = testing::internal::GetCapturedStderr();
        EXPECT_EQ(player.length(), 5);
        EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << warnings;
        EXPECT_NE(warnings.find(std::to_string(row.claimed)), std::string::npos) << warnings;

        player.play(Notify::Yes);
        stepFrames(5);
        EXPECT_EQ(recorder.results, std::vector{NotifyResult::Successful});
        EXPECT_EQ(player.mode(), Mode::Stopped);
        EXPECT_EQ(player.position(), 5);
        EXPECT_EQ(shownFrame(), 4);
    }
}

TEST_F(AviPlayerTest, AFileThatBecomesUnreadableFailsThePlay) {
    AviRecipe recipe;
    recipe.width = 160;
    recipe.height = 120;
    recipe.textured = true; // large enough that frame 20 is not in the read buffer
    auto player = openAvi("vanishing.avi", recipe);
    Recorder recorder(*player);
    player->playRange(0, 2, Notify::Yes);
    stepFrames(2);
    std::filesystem::resize_file(path("vanishing.avi"), 0);

    // Far enough ahead to make the decoder seek, and so read the file again.
    player->playRange(28, 30, Notify::Yes);
    EXPECT_EQ(recorder.results, std::vector{NotifyResult::Successful}); // not inside the call
    processEvents();
    EXPECT_EQ(recorder.results, (std::vector{NotifyResult::Successful, NotifyResult::Failed}));
    EXPECT_EQ(player->mode(), Mode::Stopped);
    EXPECT_EQ(shownFrame(), 2); // the last good picture (the first range's end) stays
}

} // namespace
} // namespace hc::test::media
