#include "media_test_support.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QPalette>

#include "media_fixtures.h"

namespace hc::test::media {
namespace {

// One QApplication for the whole test program, made before the first test.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "hc_media_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const auto* g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

Recorder::Recorder(hc::media::MediaPlayer& player) {
    QObject::connect(&player, &hc::media::MediaPlayer::notified,
                     [this](hc::media::NotifyResult result) { results.push_back(result); });
}

std::unique_ptr<MediaPlayer> MediaTest::openPlayer(DeviceType type, const std::string& name,
                                                   QWidget* display) {
    auto player = std::make_unique<MediaPlayer>(m_media);
    player->setDeviceType(type);
    player->setFileName(QString::fromStdString(path(name)));
    if (display != nullptr) {
        player->setDisplay(display);
    }
    player->open(Notify::No);
    return player;
}

void MediaTest::SetUp() {
    TempDirTest::SetUp();
    m_display.resize(100, 80);
    QPalette palette = m_display.palette();
    palette.setColor(QPalette::Window, kBackground);
    m_display.setPalette(palette);
    m_display.setAutoFillBackground(true);
    m_display.show();
}

void MediaTest::step(std::chrono::nanoseconds time) {
    m_clock.advance(time);
    processEvents();
}

void MediaTest::processEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

QColor MediaTest::shown() const {
    return m_display.grab().toImage().pixelColor(4, 4);
}

int MediaTest::shownFrame() const {
    const QColor colour = shown();
    if (colour == kBackground) {
        return -1;
    }
    return nearestFrame(colour);
}

std::vector<float> MediaTest::render(int frames) {
    std::vector<float> out(static_cast<std::size_t>(frames) * kMix.channels);
    m_media.mixer().render(out.data(), frames);
    return out;
}

} // namespace hc::test::media
