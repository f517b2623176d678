#pragma once

#include "platform/media/clock.h"
#include "platform/media/media_player.h"
#include "platform/media/media_system.h"
#include "temp_dir.h"

#include <QWidget>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace hc::test::media {

using namespace std::chrono_literals;
using hc::media::DeviceType;
using hc::media::MediaPlayer;
using hc::media::Mode;
using hc::media::Notify;
using hc::media::NotifyResult;
using hc::media::TimeFormat;

// A player's notifications, in the order the event loop delivered them.
struct Recorder {
    explicit Recorder(hc::media::MediaPlayer& player);
    std::vector<hc::media::NotifyResult> results;
};

// Each test: a fresh directory, a manual clock, a media system whose mixer the test pulls
// (11025 Hz mono, the rate of the fixtures, so samples pass unchanged) and a shown display.
class MediaTest : public TempDirTest {
protected:
    static constexpr hc::media::MixFormat kMix{11025, 1};
    static inline const QColor kBackground{10, 200, 30};

    void SetUp() override;

    // Advances the clock and lets the event loop deliver what fell due.
    void step(std::chrono::nanoseconds time);
    // One frame period of a 15 fps fixture (rounded up, so k steps reach frame k).
    void stepFrames(int count = 1) { step(count * 66'666'667ns); }
    static void processEvents();
    // The display's pixel near its top-left corner.
    QColor shown() const;
    // The fixture frame seen in the display, or -1 when its own background shows.
    int shownFrame() const;
    std::vector<float> render(int frames);
    // A player of `type` on the file `name` in the test directory, opened without notification;
    // shown in `display` when one is given.
    std::unique_ptr<MediaPlayer> openPlayer(DeviceType type, const std::string& name,
                                            QWidget* display = nullptr);

    hc::media::ManualClock m_clock;
    hc::media::MediaSystem m_media{m_clock, hc::media::MediaSystem::AudioOutput::Manual, kMix};
    mutable QWidget m_display; // grab() is not const
};

} // namespace hc::test::media
