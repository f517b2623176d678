// The teacher's progress view of a child with 5,000 history lines in a class history of 200,000
// (target: open in at most 150 ms): the view built, its history read and worked out, and the
// whole view painted once, as opening it on the screen does. Under Qt's offscreen platform
// unless QT_QPA_PLATFORM names another. Run from a release build:
// build/run/bench/options/progress_view_bench

#include "datafiles/history.h"
#include "options/progress_view.h"
#include "platform/desktop/application.h"

#include <benchmark/benchmark.h>

#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kLines = 200000;
constexpr int kChildLines = 5000;
constexpr int kChildren = 30;
// The child's name as the user file stores it (Windows-1252) and as the history does (UTF-8).
const char* const kStoredChild = "Zo\xEB Example";
const char* const kChild = "Zo\xC3\xAB Example";

// A class folder with its history, made the current directory for the whole run: the child's
// lines spread evenly through the class's, twenty-word tests and a puzzle now and then.
class ClassFolder {
public:
    ClassFolder() {
        char folder[] = "/tmp/hcbench-progress-XXXXXX";
        if (::mkdtemp(folder) == nullptr || ::chdir(folder) != 0) {
            std::abort();
        }
        m_folder = folder;
        std::string bytes = std::string(hc::kHistoryHeader) + "\r\n";
        // The child's lines come as whole tests: every 40th run of twenty lines.
        const int every = kLines / kChildLines;
        for (int i = 0; i < kLines; ++i) {
            hc::HistoryEntry entry;
            const int day = i / 4000;
            char time[40];
            std::snprintf(time, sizeof time, "2026-%02d-%02dT%02d:%02d:00+01:00", 1 + day / 28,
                          1 + day % 28, 8 + (i / 20) % 8, (i / 20) % 60);
            entry.time = time;
            entry.user = (i / 20) % every == 0 ? std::string(kChild)
                                               : "Student " + std::to_string(i % kChildren);
            if (i % 41 == 0) {
                entry.activity = hc::HistoryActivity::Phonogram;
                entry.puzzle = i % 12;
                entry.rightClicks = 16;
                entry.wrongClicks = i % 9;
                entry.percent = 1600 / (16 + i % 9);
            } else {
                entry.word = "word" + std::to_string(i % 300);
                entry.answer = i % 7 == 0 ? "wrod" : entry.word;
                entry.right = i % 7 != 0;
                entry.test = 1 + (i / 20) % 3;
            }
            bytes += hc::formatHistoryLine(entry);
        }
        std::FILE* file = std::fopen("HISTORY.CSV", "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    ~ClassFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

private:
    std::string m_folder;
};

hc::Application* g_application = nullptr;

void BM_OpenProgressView(benchmark::State& state) {
    static const ClassFolder folder;
    for (auto _ : state) {
        hc::TProgressView view(*g_application, "USERS.ERF", kStoredChild, nullptr, "2026-02-20");
        view.FormCreate();
        if (view.words().empty() || view.chart().points().empty()) {
            state.SkipWithError("the view shows nothing");
        }
        const QPixmap painted = view.grab();
        benchmark::DoNotOptimize(painted.cacheKey());
    }
}
BENCHMARK(BM_OpenProgressView)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int qtArgc = 1;
    hc::Application application(qtArgc, argv);
    g_application = &application;
    benchmark::RunSpecifiedBenchmarks();
    g_application = nullptr;
    benchmark::Shutdown();
    return 0;
}
