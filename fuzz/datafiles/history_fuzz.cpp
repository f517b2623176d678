// The results history's lines on arbitrary bytes: never a crash, the written form of what was
// read is stable (reading it back and writing again gives the same bytes), and the progress
// worked out of whatever was read never fails (no division by zero, no bad index).

#include "datafiles/history.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<hc::HistoryEntry> entries;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size());
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        hc::HistoryEntry entry;
        if (!hc::parseHistoryLine(line, entry)) {
            continue;
        }
        const std::string written = hc::formatHistoryLine(entry);
        hc::HistoryEntry again;
        if (written.size() < 2 ||
            !hc::parseHistoryLine(std::string_view(written).substr(0, written.size() - 2), again) ||
            hc::formatHistoryLine(again) != written) {
            std::abort();
        }
        entries.push_back(std::move(entry));
    }
    const auto points = hc::progressPoints(entries);
    for (const hc::ProgressPoint& point : points) {
        if (point.percent < 0 || point.percent > 100) {
            std::abort();
        }
    }
    const auto words = hc::practiceList(hc::wordsToPractise(entries));
    const hc::ProgressTotals totals = hc::progressTotals(entries, "2026-03-04");
    if (totals.wordsRight > totals.wordsAnswered || words.size() > entries.size()) {
        std::abort();
    }
    return 0;
}
