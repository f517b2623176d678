// The spelling test's response times, the real program's code on the real clock with the
// build's DATA.ERF, under Qt's offscreen platform (or the display named by QT_QPA_PLATFORM).
// Run from a release build:
//   build/run/bench/student/spelltest_bench
//
// OpenSpellingTest: what a click on "Spelling Test" sets off, to the test screen painted:
// the loading message shown and painted, the screen built, its three movies extracted and
// opened, the word list read, the bee entered, the screen shown and painted. Goal: at most
// 100 ms.
// WordOnCard: from the end of the flash card's frame 15 (the start of its play plus fifteen
// frame times of the movie's own rate) to the word painted on the card. Goal: at most 40 ms.

#include "archive/erf_reader.h"
#include "archive/temp_files.h"
#include "bench/support/program_main.h"
#include "content/entry_names.h"
#include "content/pictures.h"
#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "platform/desktop/application.h"
#include "platform/desktop/event_wait.h"
#include "platform/media/clock.h"
#include "platform/media/media_player.h"
#include "platform/media/media_system.h"
#include "student/shell/loading_message.h"
#include "student/shell/program_state.h"
#include "student/spelltest/word_test.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;
using hc::student::TWordTest;

// Notes the first moment `widget` or anything inside it is painted after arm(), while
// visible. (A window whose children cover it whole gets no paint event of its own.)
class PaintWatch final : public QObject {
public:
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    void arm(QWidget* widget) {
        m_widget = widget;
        m_painted.reset();
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || m_painted || !watched->isWidgetType()) {
            return false;
        }
        auto* painted = static_cast<QWidget*>(watched);
        if (painted->isVisible() && (painted == m_widget || m_widget->isAncestorOf(painted))) {
            m_painted = Clock::now();
        }
        return false;
    }
    const std::optional<Clock::time_point>& painted() const { return m_painted; }

private:
    QPointer<QWidget> m_widget;
    std::optional<Clock::time_point> m_painted;
};

// The program as far as the spelling test needs it: the application, DATA.ERF, the media
// system, the program state with the shared bee animations and the loading message, a user
// and a word list in a directory of the benchmark's own.
struct Program {
    Program() {
        static int argc = 1;
        static char name[] = "spelltest_bench";
        static char* argv[] = {name, nullptr};
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        app = std::make_unique<hc::Application>(argc, argv);
        app->setQuitOnLastWindowClosed(false);
        hc::pictures::registerPictures();

        dir = std::filesystem::temp_directory_path() / "hc-spelltest-bench";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "tmp");
        std::filesystem::current_path(dir);
        setenv("TMP", (dir / "tmp").c_str(), 1);
        hc::setStartDirectory(dir.string());
        Settings = hc::defaultSettings();
        std::ofstream("WORDLIST.TXT", std::ios::binary) << "apple\r\nbee\r\nhoney\r\n";
        UserFileAdd("USERS.ERF", "Ann");

        ErfTempFileManagerStartUp();
        SetExtractionPump([] { hc::processPendingEvents(); });
        const std::string archive = std::string(HC_PROGRAM_DIR) + "/DATA.ERF";
        if (ErfOpenArchive(archive.c_str(), false, nullptr, nullptr) != 0) {
            std::fprintf(stderr, "cannot open %s\n", archive.c_str());
            std::exit(1);
        }
        media = std::make_unique<hc::media::MediaSystem>();
        state = std::make_unique<hc::student::ProgramState>(*app, *media);
        state->setCurrentUser("Ann", "USERS.ERF", false);
        ExtractToTempFile(std::string(hc::entries::kBeeIdle), state->idleAnimationFile);
        ExtractToTempFile(std::string(hc::entries::kBeeTalk), state->talkAnimationFile);
        loading = std::make_unique<hc::student::TLoadingMsgForm>(*media, nullptr);
        loading->FormCreate();
        state->setLoadingMessage(loading.get());
    }
    ~Program() {
        state->setLoadingMessage(nullptr);
        loading.reset();
        ReleaseTempFile(state->idleAnimationFile);
        ReleaseTempFile(state->talkAnimationFile);
        state.reset();
        media.reset();
        ErfCloseAll();
        ErfTempFileManagerExit();
        std::filesystem::current_path(std::filesystem::temp_directory_path());
        std::filesystem::remove_all(dir);
    }

    std::unique_ptr<hc::Application> app;
    std::filesystem::path dir;
    std::unique_ptr<hc::media::MediaSystem> media;
    std::unique_ptr<hc::student::ProgramState> state;
    std::unique_ptr<hc::student::TLoadingMsgForm> loading;
};

// Made by main() before the benchmarks run and destroyed before the program ends, while Qt
// is still whole.
Program* g_program = nullptr;

Program& program() {
    return *g_program;
}

void waitFor(const std::function<bool()>& done) {
    hc::waitUntil(done, std::chrono::seconds(10));
}

// The test screen as the main menu opens it, up to its first paint; returns the time taken.
std::unique_ptr<TWordTest> openScreen(PaintWatch& watch, double* seconds) {
    Program& p = program();
    const auto start = Clock::now();
    p.state->showLoadingMessage();
    auto screen = std::make_unique<TWordTest>(*p.state);
    watch.arm(screen.get());
    p.app->guard([&] { screen->FormCreate(); });
    screen->hide();
    screen->show(); // what exec() does first
    waitFor([&] { return watch.painted().has_value(); });
    if (seconds != nullptr) {
        *seconds = std::chrono::duration<double>(*watch.painted() - start).count();
    }
    return screen;
}

void closeScreen(std::unique_ptr<TWordTest> screen) {
    screen->FormDestroy();
    screen.reset();
    hc::processPendingEvents();
}

void OpenSpellingTest(benchmark::State& state) {
    program();
    double worst = 0;
    for (auto _ : state) {
        PaintWatch watch;
        double seconds = 0;
        auto screen = openScreen(watch, &seconds);
        state.SetIterationTime(seconds);
        worst = std::max(worst, seconds);
        closeScreen(std::move(screen));
    }
    state.counters["worst_ms"] = worst * 1000;
}
BENCHMARK(OpenSpellingTest)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);

void WordOnCard(benchmark::State& state) {
    program();
    double worst = 0;
    for (auto _ : state) {
        PaintWatch screenWatch;
        auto screen = openScreen(screenWatch, nullptr);
        hc::media::MediaPlayer& card = screen->flashCardPlayer();
        // The movie's own frame time, from its length in both formats.
        card.setTimeFormat(hc::media::TimeFormat::Milliseconds);
        const double lengthMs = static_cast<double>(card.length());
        card.setTimeFormat(hc::media::TimeFormat::Frames);
        const auto frame = std::chrono::duration<double, std::milli>(
            lengthMs / static_cast<double>(card.length()));

        auto* word = screen->findChild<QLabel*>(QStringLiteral("TheWord"));
        PaintWatch wordWatch;
        wordWatch.arm(word);
        const auto played = Clock::now();
        screen->StartBtnClick();
        waitFor([&] { return wordWatch.painted().has_value(); });
        const auto frame15Ended =
            played + std::chrono::duration_cast<Clock::duration>(frame * 15);
        const double latency =
            std::chrono::duration<double>(*wordWatch.painted() - frame15Ended).count();
        state.SetIterationTime(latency);
        worst = std::max(worst, latency);
        screen->CancelBtnClick();
        closeScreen(std::move(screen));
    }
    state.counters["worst_ms"] = worst * 1000;
}
BENCHMARK(WordOnCard)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return hc::bench::runWithProgram(argc, argv, g_program);
}
