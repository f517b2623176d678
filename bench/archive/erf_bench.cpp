// Archive reader benchmarks, each beside the same work done plainly:
//   opening a 100,000-entry archive written in sorted name order  vs  reading the file
//   1,000,000 lookups in that directory
//   extracting a 64 MiB ZLIB entry  vs  zlib's inflate of the same bytes (read, inflate, write)
//   extracting a 64 MiB stored entry  vs  a plain copy (read, write)
// Each runs five times; at the end the ratios of the medians are printed against their goals: open
// at most 2x the plain read, extraction at least 0.9x the plain throughput.
//
// Run from a release build: build/run/bench/archive/erf_bench. Files go to $TMPDIR or /tmp.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "archive/erf_directory.h"
#include "archive/erf_writer.h"
#include "archive/error.h"
#include "archive/file_io.h"
#include "archive/temp_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 100000;
constexpr int kLookups = 1000000;
constexpr std::size_t kBigSize = 64u << 20;

struct Fixture {
    fs::path dir;
    std::string sortedArchive;
    std::vector<std::string> names;
    std::string bigArchive;     // "zlib" (compressed) and "stored", 64 MiB each
    std::string compressedCopy; // the raw zlib stream of the compressed entry, for the baseline
    std::string storedCopy;     // the stored entry's bytes, for the baseline

    Fixture() {
        const char* tmp = std::getenv("TMPDIR");
        dir = fs::path(tmp != nullptr ? tmp : "/tmp") / "hc-erf-bench";
        fs::create_directories(dir);
        makeSortedArchive();
        makeBigArchive();
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    void makeSortedArchive() {
        sortedArchive = (dir / "sorted.erf").string();
        hc::ErfWriter writer(sortedArchive, "bench");
        std::vector<unsigned char> data(256);
        char name[64];
        for (int i = 0; i < kEntries; ++i) {
            // Zero-padded numbers are in name order; paths like the real archive's.
            std::snprintf(name, sizeof name, "phono\\puzzles\\pictures\\%06d.bmp", i);
            names.emplace_back(name);
            for (std::size_t b = 0; b < data.size(); ++b) {
                data[b] = static_cast<unsigned char>(i + b);
            }
            writer.addEntry(name, data, false);
        }
        if (!writer.finish()) {
            throw hc::Error(writer.error());
        }
    }

    void makeBigArchive() {
        // Text-like content: compresses about 3:1, like the archive's texts and pictures.
        std::vector<unsigned char> content(kBigSize);
        std::mt19937 random(7);
        const char* words[] = {"honey ", "comb ",  "bee ",       "spell ",
                               "word ",  "apple ", "phonogram ", "card "};
        std::size_t at = 0;
        while (at < content.size()) {
            const char* word = words[random() % 8];
            for (const char* c = word; *c != '\0' && at < content.size(); ++c) {
                content[at++] = static_cast<unsigned char>(*c);
            }
            if (random() % 5 == 0 && at < content.size()) {
                content[at++] = static_cast<unsigned char>('0' + random() % 10);
            }
        }
        bigArchive = (dir / "big.erf").string();
        hc::ErfWriter writer(bigArchive, "bench");
        writer.addEntry("zlib", content, true);
        writer.addEntry("stored", content, false);
        if (!writer.finish()) {
            throw hc::Error(writer.error());
        }
        uLongf size = compressBound(static_cast<uLong>(content.size()));
        std::vector<unsigned char> packed(size);
        compress2(packed.data(), &size, content.data(), static_cast<uLong>(content.size()), 9);
        packed.resize(size);
        compressedCopy = (dir / "compressed.zz").string();
        storedCopy = (dir / "stored.bin").string();
        hc::UniqueFile a = hc::openFile(compressedCopy, "wb");
        std::fwrite(packed.data(), 1, packed.size(), a.get());
        hc::UniqueFile b = hc::openFile(storedCopy, "wb");
        std::fwrite(content.data(), 1, content.size(), b.get());
    }
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

void BM_OpenSortedArchive(benchmark::State& state) {
    const std::string& path = fixture().sortedArchive;
    for (auto _ : state) {
        hc::ErfDirectory directory;
        if (directory.openArchive(path, false, nullptr, nullptr) != ErfOk ||
            directory.size() != kEntries) {
            state.SkipWithError("open failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_OpenSortedArchive)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_PlainReadSortedArchive(benchmark::State& state) {
    const std::string& path = fixture().sortedArchive;
    std::vector<unsigned char> buffer(64 * 1024);
    for (auto _ : state) {
        hc::UniqueFile file = hc::openFile(path, "rb");
        std::size_t total = 0;
        for (std::size_t got;
             (got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0;) {
            total += got;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_PlainReadSortedArchive)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_MillionLookups(benchmark::State& state) {
    hc::ErfDirectory directory;
    directory.openArchive(fixture().sortedArchive, false, nullptr, nullptr);
    std::vector<std::string> queries;
    std::mt19937 random(3);
    for (int i = 0; i < 1000; ++i) {
        queries.push_back(fixture().names[random() % kEntries]);
    }
    for (auto _ : state) {
        std::size_t found = 0;
        for (int i = 0; i < kLookups; ++i) {
            found +=
                directory.find(queries[static_cast<std::size_t>(i) % queries.size()]) != nullptr;
        }
        if (found != kLookups) {
            state.SkipWithError("lookup failed");
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kLookups);
}
BENCHMARK(BM_MillionLookups)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void extractBenchmark(benchmark::State& state, const char* entry) {
    hc::ErfDirectory directory;
    directory.openArchive(fixture().bigArchive, false, nullptr, nullptr);
    hc::TempFileManager manager(directory);
    manager.setDirectories({fixture().dir.string() + "/"});
    manager.startUp();
    for (auto _ : state) {
        std::string name;
        manager.extract(entry, name);
        state.PauseTiming();
        if (fs::file_size(name) != kBigSize) {
            state.SkipWithError("short extraction");
        }
        hc::TempFileManager::release(name);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kBigSize));
}

void BM_ExtractZlibEntry(benchmark::State& state) {
    extractBenchmark(state, "zlib");
}
BENCHMARK(BM_ExtractZlibEntry)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_PlainInflate(benchmark::State& state) {
    std::vector<unsigned char> in(64 * 1024);
    std::vector<unsigned char> out(64 * 1024);
    const std::string target = (fixture().dir / "inflated.bin").string();
    for (auto _ : state) {
        hc::UniqueFile source = hc::openFile(fixture().compressedCopy, "rb");
        hc::UniqueFile sink = hc::openFile(target, "wb");
        z_stream stream{};
        inflateInit(&stream);
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            stream.avail_in = static_cast<uInt>(std::fread(in.data(), 1, in.size(), source.get()));
            stream.next_in = in.data();
            if (stream.avail_in == 0) {
                break;
            }
            do {
                stream.next_out = out.data();
                stream.avail_out = static_cast<uInt>(out.size());
                status = inflate(&stream, Z_NO_FLUSH);
                std::fwrite(out.data(), 1, out.size() - stream.avail_out, sink.get());
            } while (stream.avail_out == 0 && status == Z_OK);
        }
        inflateEnd(&stream);
        std::fclose(sink.release());
        state.PauseTiming(); // as the extraction's file is released outside its timing
        fs::remove(target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kBigSize));
}
BENCHMARK(BM_PlainInflate)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ExtractStoredEntry(benchmark::State& state) {
    extractBenchmark(state, "stored");
}
BENCHMARK(BM_ExtractStoredEntry)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_PlainCopy(benchmark::State& state) {
    std::vector<unsigned char> buffer(64 * 1024);
    const std::string target = (fixture().dir / "copied.bin").string();
    for (auto _ : state) {
        hc::UniqueFile source = hc::openFile(fixture().storedCopy, "rb");
        hc::UniqueFile sink = hc::openFile(target, "wb");
        for (std::size_t got;
             (got = std::fread(buffer.data(), 1, buffer.size(), source.get())) > 0;) {
            std::fwrite(buffer.data(), 1, got, sink.get());
        }
        std::fclose(sink.release());
        state.PauseTiming();
        fs::remove(target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kBigSize));
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Prints the usual table, then the ratios against their goals.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // Each benchmark runs five times; the ratios compare medians.
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_seconds[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        ratio("open sorted archive / plain read of the file", "BM_OpenSortedArchive",
              "BM_PlainReadSortedArchive", "at most 2.00");
        ratio("plain inflate time / ZLIB extraction time (throughput ratio)", "BM_PlainInflate",
              "BM_ExtractZlibEntry", "at least 0.90");
        ratio("plain copy time / stored extraction time (throughput ratio)", "BM_PlainCopy",
              "BM_ExtractStoredEntry", "at least 0.90");
    }

private:
    void ratio(const char* what, const char* a, const char* b, const char* goal) {
        if (m_seconds.count(a) != 0 && m_seconds.count(b) != 0 && m_seconds[b] > 0) {
            std::printf("%-62s %6.2f  (goal: %s)\n", what, m_seconds[a] / m_seconds[b], goal);
        }
    }
    std::map<std::string, double> m_seconds;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
