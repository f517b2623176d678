// A class's results history of 200,000 lines, 5,000 of them one child's: reading that child's
// progress (the lines, the chart's points, the words to practise and the totals: everything the
// progress view works out before it draws; target 150 ms with the drawing), and appending one
// test's twenty words (locked, the day's test number read from the file's tail, flushed to the
// storage; target 20 ms on a local disk). Run from a release build:
// build/run/bench/datafiles/history_bench

#include "bench/datafiles/class_history.h"
#include "datafiles/file_ops.h"
#include "datafiles/history.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using hc::bench::kChild;
using hc::bench::kChildLines;

// The history in a folder of its own, written once for the whole run: the child's lines are
// spread evenly through the class's, twenty-word tests and a puzzle now and then.
class ClassHistory {
public:
    ClassHistory() {
        char folder[] = "/tmp/hcbench-history-XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            std::abort();
        }
        m_folder = folder;
        m_path = m_folder + "/HISTORY.CSV";
        const std::string bytes = hc::bench::classHistoryBytes();
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    ~ClassHistory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_folder;
    std::string m_path;
};

const ClassHistory& classHistory() {
    static const ClassHistory history;
    return history;
}

void BM_ProgressOfOneChild(benchmark::State& state) {
    const hc::History history(hc::FileOps::system(), classHistory().path());
    for (auto _ : state) {
        hc::HistoryContents contents;
        if (history.read({kChild, ""}, contents) != hc::HistoryStatus::Ok ||
            contents.entries.size() != kChildLines) {
            state.SkipWithError("read failed");
        }
        const auto points = hc::progressPoints(contents.entries);
        const auto words = hc::wordsToPractise(contents.entries);
        const auto totals = hc::progressTotals(contents.entries, "2026-02-20");
        benchmark::DoNotOptimize(points.data());
        benchmark::DoNotOptimize(words.data());
        benchmark::DoNotOptimize(totals);
    }
}
BENCHMARK(BM_ProgressOfOneChild)->Unit(benchmark::kMillisecond);

void BM_AppendOneTest(benchmark::State& state) {
    hc::History history(hc::FileOps::system(), classHistory().path());
    std::vector<hc::AnsweredWord> words;
    for (int i = 0; i < 20; ++i) {
        words.push_back({"word" + std::to_string(i), i % 5 == 0 ? "wrong" : "word", i % 5 != 0});
    }
    const std::string now = hc::historyTimeNow();
    for (auto _ : state) {
        if (history.appendTest(kChild, now, words) != hc::HistoryStatus::Ok) {
            state.SkipWithError("append failed");
        }
    }
}
BENCHMARK(BM_AppendOneTest)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
