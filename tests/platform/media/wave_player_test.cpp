// Wave audio: lengths and positions in samples, sample ranges rendered exactly, ADPCM.

#include "archive/error.h"
#include "media_fixtures.h"
#include "media_test_support.h"

#include <cmath>

namespace hc::test::media {
namespace {

class WavePlayerTest : public MediaTest {
protected:
    std::unique_ptr<MediaPlayer> openWave(const std::string& name,
                                          const std::vector<std::int16_t>& samples,
                                          WavRecipe recipe = {}) {
        writeWav(path(name), samples, recipe);
        return openPlayer(DeviceType::WaveAudio, name);
    }
};

// Distinct values, so a sample taken from the wrong place shows.
std::vector<std::int16_t> ramp(int count) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        s[i] = static_cast<std::int16_t>((i * 37) % 30000 - 15000);
    }
    return s;
}

TEST_F(WavePlayerTest, ASampleRangeRendersExactlyThoseSamples) {
    const auto samples = ramp(11025);
    auto player = openWave("phonos.wav", samples);
    Recorder recorder(*player);
    EXPECT_EQ(player->timeFormat(), TimeFormat::Milliseconds);
    EXPECT_EQ(player->length(), 1000);
    EXPECT_THROW(player->setTimeFormat(TimeFormat::Frames), hc::Error);
    player->setTimeFormat(TimeFormat::Samples);
    EXPECT_EQ(player->length(), 11025);

    player->playRange(1200, 5400, Notify::Yes);
    const auto out = render(5000);
    for (int i = 0; i < 4200; ++i) {
        ASSERT_EQ(out[i], samples[1200 + i] / 32768.0f) << "sample " << 1200 + i;
    }
    for (int i = 4200; i < 5000; ++i) {
        ASSERT_EQ(out[i], 0.0f) << "beyond the range at " << i;
    }

    // The end comes when 4200 samples' time has passed.
    step(std::chrono::nanoseconds(4199LL * 1'000'000'000 / 11025));
    EXPECT_TRUE(recorder.results.empty());
    EXPECT_EQ(player->mode(), Mode::Playing);
    step(1ms);
    EXPECT_EQ(recorder.results, std::vector{NotifyResult::Successful});
    EXPECT_EQ(player->position(), 5400);
}

TEST_F(WavePlayerTest, PlayingAgainAfterTheEndRestartsTheClip) {
    const auto samples = ramp(2205);
    auto player = openWave("clip.wav", samples);
    Recorder recorder(*player);
    player->play(Notify::Yes);
    render(2205);
    step(200ms);
    ASSERT_EQ(recorder.results, std::vector{NotifyResult::Successful});
    EXPECT_EQ(player->position(), player->length());

    player->play(Notify::Yes);
    const auto out = render(10);
    EXPECT_EQ(out[0], samples[0] / 32768.0f);
    EXPECT_EQ(out[9], samples[9] / 32768.0f);
}

TEST_F(WavePlayerTest, StoppingFadesTheSoundOutInsteadOfCuttingIt) {
    auto player = openWave("clip.wav", std::vector<std::int16_t>(11025, 16384));
    player->play(Notify::No);
    render(100);
    player->stop();
    const auto out = render(200);
    // 5 ms at 11025 Hz: 55 samples ramping down, then silence.
    EXPECT_GT(out[0], 0.45f);
    EXPECT_LT(out[40], out[0]);
    EXPECT_EQ(out[100], 0.0f);
    EXPECT_EQ(m_media.mixer().sourceCount(), 0u);
}

TEST_F(WavePlayerTest, PeriodCodecsDecodeToTheSound) {
    const auto samples = sine(4410, 440, 11025);
    for (const char* codec : {"pcm_u8", "adpcm_ms", "adpcm_ima_wav"}) {
        SCOPED_TRACE(codec);
        auto player = openWave(std::string(codec) + ".wav", samples, WavRecipe{codec, 11025});
        player->setTimeFormat(TimeFormat::Samples);
        // Block codecs pad their last block.
        EXPECT_GE(player->length(), 4410);
        EXPECT_LT(player->length(), 4410 + 2048);
        player->play(Notify::No);
        const auto out = render(4410);
        double error = 0;
        double energy = 0;
        for (int i = 0; i < 4410; ++i) {
            const double want = samples[i] / 32768.0;
            error += (out[i] - want) * (out[i] - want);
            energy += want * want;
        }
        EXPECT_LT(error / energy, 0.01); // within 20 dB of the original
        player->close();
    }
}

TEST_F(WavePlayerTest, OtherMixerRatesGetTheWholeRangeResampled) {
    hc::media::ManualClock clock;
    hc::media::MediaSystem media(clock, hc::media::MediaSystem::AudioOutput::Manual,
                                 hc::media::MixFormat{44100, 2});
    writeWav(path("tone.wav"), sine(11025, 441, 11025), WavRecipe{});
    MediaPlayer player(media);
    player.setDeviceType(DeviceType::WaveAudio);
    player.setFileName(QString::fromStdString(path("tone.wav")));
    player.open();
    player.setTimeFormat(TimeFormat::Samples);
    player.playRange(0, 2205, Notify::No); // 200 ms

    std::vector<float> out(2 * 10000);
    media.mixer().render(out.data(), 10000);
    int last = -1;
    for (int i = 0; i < 10000; ++i) {
        EXPECT_EQ(out[2 * i], out[2 * i + 1]) << "both channels carry the mono sound";
        if (std::abs(out[2 * i]) > 0.01f) {
            last = i;
        }
    }
    // 200 ms at 44.1 kHz is 8820 frames; the resampler's filter smears the edge a little.
    EXPECT_GT(last, 8700);
    EXPECT_LT(last, 8900);
}

} // namespace
} // namespace hc::test::media
