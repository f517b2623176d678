// The printed user list of a large school, the real print form writing a real PDF (as with no
// printer installed), under Qt's offscreen platform (or the display named by QT_QPA_PLATFORM).
// Run from a release build:
//   build/run/bench/options/print_bench
//
// PrintUserList/10000: ten thousand users, from the click's takeOver of the Users page's list to
// the PDF written. Goal: at most 3 s and a PDF of at most 5 MB (counter pdf_MB), every page text.
// PrintWordList/10000: ten thousand words, the same way (no goal of its own; for comparison).

#include "bench/support/program_main.h"
#include "options/pages/users_page.h"
#include "options/user_print_form.h"
#include "options/word_print_form.h"
#include "platform/desktop/application.h"
#include "platform/desktop/print_job.h"

#include <benchmark/benchmark.h>

#include <QHeaderView>
#include <QStringList>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

struct Program {
    Program() {
        static int argc = 1;
        static char name[] = "print_bench";
        static char* argv[] = {name, nullptr};
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        app = std::make_unique<hc::Application>(argc, argv);
        app->setQuitOnLastWindowClosed(false);
        dir = std::filesystem::temp_directory_path() / "hc-print-bench";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        pdf = dir / "list.pdf";
        hc::setPrinterQuery([] { return hc::InstalledPrinters{}; });
        hc::setPdfSaveDialog(
            [this](QWidget*, const QString&) { return QString::fromStdString(pdf.string()); });
    }
    ~Program() { std::filesystem::remove_all(dir); }

    std::unique_ptr<hc::Application> app;
    std::filesystem::path dir;
    std::filesystem::path pdf;
};

Program* g_program = nullptr;

// A Users page of `count` users as the options form fills it.
std::unique_ptr<QTreeWidget> usersPage(int count) {
    auto list = std::make_unique<QTreeWidget>();
    hc::UsersPage::setUpColumns(*list);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Pupil %05d", i);
        const double score = (i * 37) % 10000 / 100.0;
        new QTreeWidgetItem(list.get(), {QString::fromLatin1(name), QString::number(score, 'f', 2),
                                         QString::number(i % 300), QString::number(score, 'f', 2),
                                         QString::number(100 - score, 'f', 2)});
    }
    return list;
}

void PrintUserList(benchmark::State& state) {
    const std::unique_ptr<QTreeWidget> source = usersPage(static_cast<int>(state.range(0)));
    hc::TUserPrintForm form;
    for (auto _ : state) {
        if (!form.print(*source, nullptr)) {
            state.SkipWithError("the print was cancelled");
            return;
        }
    }
    state.counters["pages"] = form.pageCount();
    state.counters["pdf_MB"] =
        static_cast<double>(std::filesystem::file_size(g_program->pdf)) / (1024.0 * 1024.0);
}
BENCHMARK(PrintUserList)->Arg(10000)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void PrintWordList(benchmark::State& state) {
    QStringList lines;
    for (int i = 0; i < state.range(0); ++i) {
        lines << QStringLiteral("word %1").arg(i);
    }
    hc::TWordPrintForm form;
    for (auto _ : state) {
        if (!form.print(lines, nullptr)) {
            state.SkipWithError("the print was cancelled");
            return;
        }
    }
    state.counters["pages"] = form.pageCount();
    state.counters["pdf_MB"] =
        static_cast<double>(std::filesystem::file_size(g_program->pdf)) / (1024.0 * 1024.0);
}
BENCHMARK(PrintWordList)->Arg(10000)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return hc::bench::runWithProgram(argc, argv, g_program);
}
