// What an idle program does not do: decode the frames of a movie nobody can see, decode a
// looping animation's frames again on every round, or keep the sound device running with
// nothing to play.

#include "media_fixtures.h"
#include "media_test_support.h"
#include "platform/desktop/event_wait.h"

namespace hc::test::media {
namespace {

class IdleWorkTest : public MediaTest {
protected:
    std::unique_ptr<MediaPlayer> loopingMovie(QWidget* display) {
        writeAvi(path("loop.avi"), {});
        auto player = openPlayer(DeviceType::AviVideo, "loop.avi", display);
        QObject::connect(player.get(), &MediaPlayer::notified, [p = player.get()](NotifyResult r) {
            if (r == NotifyResult::Successful) {
                p->play(Notify::Yes);
            }
        });
        player->play(Notify::Yes);
        return player;
    }
};

TEST_F(IdleWorkTest, AHiddenDisplaysFramesWaitUntilItIsShown) {
    auto player = loopingMovie(&m_display);
    stepFrames(3);
    EXPECT_EQ(shownFrame(), 3);
    const qint64 before = player->picture().cacheKey();

    m_display.hide();
    stepFrames(1);
    // Hidden, the play wakes the program only at its end (30 frames at 15 per second), not per
    // frame.
    ASSERT_TRUE(m_clock.deadline());
    EXPECT_EQ(*m_clock.deadline(), std::chrono::seconds(2));
    stepFrames(4);
    EXPECT_EQ(player->picture().cacheKey(), before) << "nothing decoded while hidden";
    EXPECT_EQ(player->position(), 8) << "the play keeps its time";

    // Shown again: the frame due is decoded at once, not the one left behind, and the next
    // frame wakes the program again.
    m_display.show();
    processEvents();
    EXPECT_EQ(shownFrame(), 8);
    ASSERT_TRUE(m_clock.deadline());
    EXPECT_LE(*m_clock.deadline() - m_clock.now(), 66'666'667ns);
    stepFrames(1);
    EXPECT_EQ(shownFrame(), 9);

    // Hidden over the loop's end, the play ends and starts again on time.
    m_display.hide();
    for (int frame = 0; frame < 25; ++frame) {
        stepFrames(1);
    }
    m_display.show();
    processEvents();
    EXPECT_EQ(shownFrame(), 4);
}

TEST_F(IdleWorkTest, ALoopingAnimationIsDecodedOnceUntilItIsStopped) {
    auto player = loopingMovie(&m_display);
    std::vector<qint64> firstRound;
    for (int frame = 0; frame < 30; ++frame) {
        firstRound.push_back(player->picture().cacheKey());
        stepFrames(1);
    }
    for (int frame = 0; frame < 30; ++frame) {
        EXPECT_EQ(player->picture().cacheKey(), firstRound[frame]) << "frame " << frame;
        EXPECT_EQ(shownFrame(), frame);
        stepFrames(1);
    }
    // Stopped on purpose, the animation lets its pictures go: the next play decodes anew.
    player->stop(Notify::No);
    player->playRange(5, 10, Notify::No);
    processEvents();
    EXPECT_NE(player->picture().cacheKey(), firstRound[5]);
    EXPECT_EQ(shownFrame(), 5);
}

// The sound device closes after a few seconds without sound and opens again for the next one.
// This takes real time: the device's own thread measures the silence.
TEST(IdleSoundDevice, ClosesWhenSilentAndOpensForTheNextSound) {
    hc::media::MediaSystem media;
    media.playProgramSound(QStringLiteral("IDWAV_CLICK"));
    ASSERT_TRUE(media.audioOpen());
    EXPECT_TRUE(hc::waitUntil([&] { return !media.audioOpen(); }, std::chrono::seconds(15)));
    media.playProgramSound(QStringLiteral("IDWAV_CLICK"));
    EXPECT_TRUE(media.audioOpen());
    EXPECT_TRUE(media.programSoundPlaying());
}

} // namespace
} // namespace hc::test::media
