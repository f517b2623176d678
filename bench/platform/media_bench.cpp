// Media playback costs, in real time on the real sound device (SDL's silent dummy driver
// where there is no sound card). Run from a release build:
//   build/run/bench/platform/media_bench
//
// LoopingAnimationCpu: CPU time (all threads, the audio thread included) of one looping
// 160x120, 15 fps MJPEG animation shown in a widget for 10 seconds; goal: at most 1% of a
// core. PlayToFirstSample: time from play() to the sound's first sample in the device
// buffer; goal: at most 25 ms.

#include "media_fixtures.h"
#include "platform/media/media_player.h"
#include "platform/media/media_system.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using hc::media::MediaPlayer;
using hc::media::Notify;
using hc::media::NotifyResult;

QApplication& app() {
    static int argc = 1;
    static char name[] = "media_bench";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    return application;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string fixture(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("hc-media-bench-" + name)).string();
}

void LoopingAnimationCpu(benchmark::State& state) {
    app();
    const std::string file = fixture("bee.avi");
    hc::test::media::AviRecipe recipe;
    recipe.width = 160;
    recipe.height = 120;
    recipe.fps = 15;
    recipe.frames = 30;
    recipe.textured = true;
    hc::test::media::writeAvi(file, recipe);

    hc::media::MediaSystem media;
    QWidget display;
    display.resize(162, 300);
    display.show();
    MediaPlayer player(media);
    player.setFileName(QString::fromStdString(file));
    player.setDisplay(&display);
    player.open();
    int loops = 0;
    QObject::connect(&player, &MediaPlayer::notified, [&](NotifyResult result) {
        if (result == NotifyResult::Successful) {
            ++loops;
            player.play(Notify::Yes);
        }
    });
    for (auto _ : state) {
        const double cpuBefore = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        player.play(Notify::Yes);
        QTimer::singleShot(10000, &app(), &QCoreApplication::quit);
        app().exec();
        player.stop();
        const double cpu = cpuSeconds() - cpuBefore;
        state.SetIterationTime(cpu);
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / (wall.elapsed() / 1000.0);
        state.counters["loops"] = loops;
    }
    player.close();
    std::filesystem::remove(file);
}
BENCHMARK(LoopingAnimationCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void PlayToFirstSample(benchmark::State& state) {
    app();
    const std::string file = fixture("speech.wav");
    hc::test::media::writeWav(file, hc::test::media::sine(11025, 440, 11025), {});
    hc::media::MediaSystem media;
    MediaPlayer player(media);
    player.setDeviceType(hc::media::DeviceType::WaveAudio);
    player.setFileName(QString::fromStdString(file));
    player.open();
    media.ensureAudio(); // the device opens once per run; the cost measured is per play
    double worst = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        player.play(Notify::No);
        const auto source = media.mixer().lastAdded();
        std::optional<std::chrono::steady_clock::time_point> first;
        while (!(first = media.mixer().firstRendered(source))) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        const double latency = std::chrono::duration<double>(*first - start).count();
        worst = std::max(worst, latency);
        state.SetIterationTime(latency);
        player.stop();
        // Start the next play at an arbitrary point of the device's period.
        std::this_thread::sleep_for(
            std::chrono::microseconds(1000 + (state.iterations() * 3777) % 9000));
    }
    state.counters["worst_ms"] = worst * 1000;
    state.counters["driver_is_dummy"] = media.audioDriver() == QLatin1String("dummy");
    player.close();
    std::filesystem::remove(file);
}
BENCHMARK(PlayToFirstSample)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
