#pragma once

// The class history the history benchmarks read: kLines lines of kChildren children and of one
// child (kChildLines lines) spread evenly through them, twenty-word tests and a puzzle now and
// then. Header only: the datafiles and the options benchmarks share it.

#include "datafiles/history.h"

#include <cstdio>
#include <string>

namespace hc::bench {

inline constexpr int kLines = 200000;
inline constexpr int kChildLines = 5000;
inline constexpr int kChildren = 30;
inline constexpr const char* kChild = "Zo\xC3\xAB Example";

// The bytes of the history file, header included.
inline std::string classHistoryBytes() {
    std::string bytes = std::string(kHistoryHeader) + "\r\n";
    // The child's lines come as whole tests: every 40th run of twenty lines.
    const int every = kLines / kChildLines;
    for (int i = 0; i < kLines; ++i) {
        HistoryEntry entry;
        const int day = i / 4000;
        char time[40];
        std::snprintf(time, sizeof time, "2026-%02d-%02dT%02d:%02d:00+01:00", 1 + day / 28,
                      1 + day % 28, 8 + (i / 20) % 8, (i / 20) % 60);
        entry.time = time;
        entry.user = (i / 20) % every == 0 ? std::string(kChild)
                                           : "Student " + std::to_string(i % kChildren);
        if (i % 41 == 0) {
            entry.activity = HistoryActivity::Phonogram;
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
        bytes += formatHistoryLine(entry);
    }
    return bytes;
}

} // namespace hc::bench
