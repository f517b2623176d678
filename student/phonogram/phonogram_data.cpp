#include "student/phonogram/phonogram_data.h"

#include "archive/erf_reader.h"
#include "archive/error.h"
#include "content/entry_names.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <string_view>

namespace hc::student {
namespace {

constexpr char kTab = '\t';
constexpr char kLineFeed = '\n';

// The number at the start of `text` as the C library's atol reads it, clamped to 32 bits
// instead of overflowing.
std::int32_t leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr long long kLimit = std::numeric_limits<std::int32_t>::max();
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = std::min(value * 10 + (text[i] - '0'), kLimit + 1);
        ++i;
    }
    if (negative) {
        return static_cast<std::int32_t>(-value);
    }
    return static_cast<std::int32_t>(std::min(value, kLimit));
}

// Reads one line through the current entry: every byte up to the LF, the byte before the LF
// dropped.
std::string readLine() {
    std::string line;
    for (;;) {
        char byte = 0;
        if (ErfRead(1, &byte) != 1) {
            throw hc::Error(kCantReadPhonograms);
        }
        if (byte == kLineFeed) {
            break;
        }
        line.push_back(byte);
        // With its LF the line would be longer than any line of the table.
        if (line.size() + 1 > kPhonogramLineMax) {
            throw hc::Error(kCantReadPhonograms);
        }
    }
    if (!line.empty()) {
        line.pop_back();
    }
    return line;
}

Phonogram parseLine(std::string_view line) {
    Phonogram phonogram;
    const std::size_t firstTab = line.find(kTab);
    phonogram.Text = std::string(line.substr(0, firstTab));
    if (phonogram.Text.size() > kPhonogramTextMax) {
        throw hc::Error(kCantReadPhonograms);
    }
    if (firstTab != std::string_view::npos) {
        phonogram.StartSample = leadingInteger(line.substr(firstTab + 1));
        phonogram.EndSample = leadingInteger(line.substr(line.rfind(kTab) + 1));
    }
    return phonogram;
}

int countUnderMoviePrefix(const char* name, void* argument) {
    const std::string_view prefix = hc::entries::kPuzzleMoviePrefix;
    bool matches = std::strlen(name) >= prefix.size();
    for (std::size_t i = 0; matches && i < prefix.size(); ++i) {
        matches = std::tolower(static_cast<unsigned char>(name[i])) ==
                  std::tolower(static_cast<unsigned char>(prefix[i]));
    }
    if (matches) {
        ++*static_cast<int*>(argument);
    }
    return 1; // always go on: every entry is looked at
}

} // namespace

void loadPhonogramTable(PhonogramTable& table) {
    const std::string name(hc::entries::kPhonogramTable);
    if (ErfOpenEntry(name.c_str()) == nullptr) {
        throw hc::Error(kCantOpenPhonograms);
    }
    for (Phonogram& entry : table) {
        entry = parseLine(readLine());
    }
}

int countPuzzles() {
    int count = 0;
    ErfForEachEntry(&countUnderMoviePrefix, &count);
    return count;
}

} // namespace hc::student
