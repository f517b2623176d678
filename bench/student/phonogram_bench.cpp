// Phonogram puzzle timings, in process on the real clock with the build's DATA.ERF (Qt's
// offscreen platform unless a display is given, SDL's silent dummy sound driver). Run from a
// release build:
//   build/run/bench/student/phonogram_bench
//
// OpenPuzzleScreen: the main menu's "Phonogram Puzzle" click (PhonoBtnClick) to the puzzle
// screen's first paint: leaving the menu, building the screen, loading the phonogram table,
// counting the puzzles, extracting and opening the screen movie and the phonogram sounds,
// entering the bee. Goal: at most 100 ms.
// DealToPiecesLoaded: Go (GoButtonClick) to all 32 cards dealt and the 16 pieces extracted
// and loaded behind their cards, the moment the flight begins. Goal: at most 50 ms.

#include "archive/erf_reader.h"
#include "archive/temp_files.h"
#include "content/entry_names.h"
#include "content/pictures.h"
#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "platform/desktop/application.h"
#include "platform/media/clock_timer.h"
#include "platform/media/media_system.h"
#include "student/phonogram/phono_form.h"
#include "student/shell/main_menu.h"
#include "student/shell/narrator.h"
#include "student/shell/program_state.h"

#include <benchmark/benchmark.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <unistd.h>

namespace {

using hc::student::TPhonoForm;

// The program state of a logged-in child, over DATA.ERF, in a directory of its own.
struct Program {
    Program() {
        dir = base() / ("hc-phonogram-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "tmp");
        std::filesystem::current_path(dir);
        setenv("TMP", (dir / "tmp").c_str(), 1);
        Settings = hc::defaultSettings();
        hc::setStartDirectory(dir.string());
        ErfCloseAll();
        ErfTempFileManagerStartUp();
        const char* programDir = std::getenv("HC_PROGRAM_DIR");
        const std::string archive =
            (std::filesystem::path(programDir != nullptr ? programDir : HC_PROGRAM_DIR) /
             "DATA.ERF")
                .string();
        if (ErfOpenArchive(archive.c_str(), false, nullptr, nullptr) != 0) {
            std::fprintf(stderr, "cannot open %s\n", archive.c_str());
            std::exit(1);
        }
        state = std::make_unique<hc::student::ProgramState>(*app, media);
        ExtractToTempFile(std::string(hc::entries::kBeeIdle), state->idleAnimationFile);
        ExtractToTempFile(std::string(hc::entries::kBeeTalk), state->talkAnimationFile);
        UserFileAdd("USERS.ERF", "Pia");
        state->setCurrentUser("Pia", "USERS.ERF", false);
    }
    ~Program() {
        ReleaseTempFile(state->idleAnimationFile);
        ReleaseTempFile(state->talkAnimationFile);
        state.reset();
        ErfCloseAll();
        ErfTempFileManagerExit();
        std::filesystem::current_path(base());
        std::filesystem::remove_all(dir);
    }

    // The system's temporary directory, taken before TMP points into the program's own.
    static const std::filesystem::path& base() {
        static const std::filesystem::path path = std::filesystem::temp_directory_path();
        return path;
    }

    static hc::Application* app;
    std::filesystem::path dir;
    hc::media::MediaSystem media;
    std::unique_ptr<hc::student::ProgramState> state;
};
hc::Application* Program::app = nullptr;

// Notes the time of the first paint of a window named `window`, then hides that window (which
// ends its exec()).
class FirstPaint final : public QObject {
public:
    FirstPaint(const QString& window, QElapsedTimer& clock) : m_window(window), m_clock(clock) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && paintedAt < 0) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->window()->objectName() == m_window) {
                paintedAt = m_clock.nsecsElapsed();
                QMetaObject::invokeMethod(widget->window(), &QWidget::hide, Qt::QueuedConnection);
            }
        }
        return false;
    }

    qint64 paintedAt = -1;

private:
    QString m_window;
    QElapsedTimer& m_clock;
};

void OpenPuzzleScreen(benchmark::State& state) {
    Program program;
    hc::student::TMainMenuForm menu(*program.state);
    menu.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QElapsedTimer clock;
        FirstPaint paint(QStringLiteral("PhonoForm"), clock);
        qApp->installEventFilter(&paint);
        clock.start();
        menu.PhonoBtnClick();
        qApp->removeEventFilter(&paint);
        if (paint.paintedAt < 0) {
            state.SkipWithError("the puzzle screen was never painted");
            break;
        }
        state.SetIterationTime(static_cast<double>(paint.paintedAt) / 1e9);
        // The menu greets a second after it comes back; not while this measures.
        menu.narrator().stopGreeting();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(OpenPuzzleScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void DealToPiecesLoaded(benchmark::State& state) {
    Program program;
    for (auto _ : state) {
        TPhonoForm form(*program.state);
        form.FormCreate();
        form.narrator().stopGreeting(); // no greeting: Exit is taken at once
        QCoreApplication::processEvents();

        // The first event handled after Go is handled inside the wait for the flight: by then
        // every card has its phonogram and every piece its picture. Exit then ends the wait.
        QElapsedTimer clock;
        qint64 loadedAt = -1;
        QTimer::singleShot(0, &form, [&] {
            loadedAt = clock.nsecsElapsed();
            form.CancelBtnClick();
        });
        clock.start();
        form.GoButtonClick();
        if (loadedAt < 0 || !form.closing()) {
            state.SkipWithError("the deal did not reach its flight");
            break;
        }
        state.SetIterationTime(static_cast<double>(loadedAt) / 1e9);

        form.FormDestroy();
    }
}
BENCHMARK(DealToPiecesLoaded)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    int qtArgc = 1;
    hc::Application app(qtArgc, argv);
    app.setTitle(QStringLiteral("Honeycombwordsmiths"));
    app.setQuitOnLastWindowClosed(false);
    hc::pictures::registerPictures();
    Program::app = &app;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
