// The teacher's progress view of a child with 5,000 history lines in a class history of 200,000
// (target: open in at most 150 ms): the view built, its history read and worked out, and the
// whole view painted once, as opening it on the screen does. Under Qt's offscreen platform
// unless QT_QPA_PLATFORM names another. Run from a release build:
// build/run/bench/options/progress_view_bench

#include "bench/datafiles/class_history.h"
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

using hc::bench::kChild;
using hc::bench::kChildLines;
// The child's name as the user file stores it (Windows-1252); the history holds it in UTF-8.
const char* const kStoredChild = "Zo\xEB Example";

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
        const std::string bytes = hc::bench::classHistoryBytes();
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
