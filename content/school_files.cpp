#include "content/school_files.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

namespace hc::content {
namespace fs = std::filesystem;

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

bool isHousekeepingFile(const std::string& name) {
    const std::string lower = lowerAscii(name);
    return name.empty() || name.front() == '.' || lower == "readme.txt" || lower == "thumbs.db" ||
           lower == "desktop.ini";
}

bool naturalLess(std::string_view a, std::string_view b) {
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && isDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && isDigit(b[endB])) {
                ++endB;
            }
            // The numbers without leading zeros: the longer is larger, else digit by digit.
            std::string_view numberA = a.substr(i, endA - i);
            std::string_view numberB = b.substr(j, endB - j);
            numberA.remove_prefix(std::min(numberA.find_first_not_of('0'), numberA.size()));
            numberB.remove_prefix(std::min(numberB.find_first_not_of('0'), numberB.size()));
            if (numberA.size() != numberB.size()) {
                return numberA.size() < numberB.size();
            }
            if (numberA != numberB) {
                return numberA < numberB;
            }
            i = endA;
            j = endB;
            continue;
        }
        const char lowerA = lowerAscii(std::string(1, a[i]))[0];
        const char lowerB = lowerAscii(std::string(1, b[j]))[0];
        if (lowerA != lowerB) {
            return static_cast<unsigned char>(lowerA) < static_cast<unsigned char>(lowerB);
        }
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) {
        return j < b.size(); // the shorter name first
    }
    return a < b;
}

std::vector<fs::path> schoolFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return files;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (!isHousekeepingFile(entry.path().filename().string())) {
            files.push_back(folder / entry.path().filename());
        }
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return naturalLess(a.filename().string(), b.filename().string());
    });
    return files;
}

namespace {

std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::string wrapText(const std::string& text, const std::string& indent) {
    constexpr std::size_t width = 99;
    std::string out;
    std::size_t lineLength = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string word = text.substr(start, end - start);
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            out += "\n" + indent;
            lineLength = indent.size();
        } else if (lineLength > 0) {
            out += ' ';
            ++lineLength;
        }
        out += word;
        lineLength += word.size();
        start = end + 1;
    }
    return out;
}

std::string closestName(std::string_view typed, const std::vector<std::string>& names) {
    std::string best;
    std::size_t bestDistance = 3;
    bool tie = false;
    for (const std::string& name : names) {
        const std::size_t distance = editDistance(typed, name);
        if (distance < bestDistance) {
            best = name;
            bestDistance = distance;
            tie = false;
        } else if (distance == bestDistance) {
            tie = true;
        }
    }
    return tie ? std::string() : best;
}

void Findings::warn(std::string message) {
    m_warnings.push_back(std::move(message));
}

void Findings::refuse(std::string message) {
    m_refusals.push_back(std::move(message));
}

std::string formatWarning(const std::string& message) {
    return wrapText("Warning: " + message);
}

int Findings::finish(const std::string& reportFile) const {
    std::string text;
    for (const std::string& warning : m_warnings) {
        text += formatWarning(warning) + "\n";
    }
    // A refusal is the message the school needs most: printed last, and whole on its line.
    for (const std::string& refusal : m_refusals) {
        text += refusal + "\n";
    }
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    appendToReport(reportFile, text);
    return anyRefused() ? 1 : 0;
}

void appendToReport(const std::string& reportFile, const std::string& text) {
    if (reportFile.empty() || text.empty()) {
        return;
    }
    std::error_code error;
    const fs::path path(reportFile);
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path(), error);
    }
    std::ofstream(reportFile, std::ios::binary | std::ios::app) << text;
}

namespace {

std::uint32_t readNumber(const unsigned char* p, bool bigEndian) {
    return bigEndian ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                           (std::uint32_t{p[2]} << 8) | p[3]
                     : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                           (std::uint32_t{p[1]} << 8) | p[0];
}

// Whether the `count` bytes at `head` could be the start of `expected` (a copy that stopped
// inside the container's first bytes).
bool startsLike(const unsigned char* head, std::size_t count, std::string_view expected) {
    return std::equal(head, head + std::min(count, expected.size()), expected.begin());
}

} // namespace

WavFacts inspectWav(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (!in || error) {
        return {};
    }
    if (size == 0) {
        return {WavFacts::Kind::CutOff};
    }
    std::array<unsigned char, 12> head{};
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    const auto got = static_cast<std::size_t>(in.gcount());
    const std::string_view containers[] = {"RIFF", "RIFX", "RF64"};
    if (got < head.size()) {
        const bool partOfAHeader =
            std::any_of(std::begin(containers), std::end(containers),
                        [&](std::string_view c) { return startsLike(head.data(), got, c); }) &&
            (got <= 8 || startsLike(head.data() + 8, got - 8, "WAVE"));
        return {partOfAHeader ? WavFacts::Kind::CutOff : WavFacts::Kind::NotWav};
    }
    const std::string_view container(reinterpret_cast<const char*>(head.data()), 4);
    if (std::find(std::begin(containers), std::end(containers), container) ==
            std::end(containers) ||
        std::string_view(reinterpret_cast<const char*>(head.data() + 8), 4) != "WAVE") {
        return {};
    }
    const bool bigEndian = container == "RIFX";
    // RF64 keeps its real sizes in a chunk of its own; its 32-bit sizes say nothing.
    const bool sizesTell = container != "RF64";
    // A copy that stopped early still carries the whole file's size in its first bytes.
    if (sizesTell && std::uint64_t{readNumber(head.data() + 4, bigEndian)} + 8 > size) {
        return {WavFacts::Kind::CutOff};
    }
    std::uint64_t bytesPerSecond = 0;
    std::uint64_t at = head.size();
    while (at + 8 <= size) {
        std::array<unsigned char, 8> chunk{};
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(chunk.data()), 8);
        const std::string_view id(reinterpret_cast<const char*>(chunk.data()), 4);
        const std::uint64_t length = readNumber(chunk.data() + 4, bigEndian);
        const std::uint64_t left = size - at - 8;
        if (id == "data") {
            if (left == 0 || (sizesTell && (length > left || length == 0))) {
                return {WavFacts::Kind::CutOff};
            }
            const std::uint64_t soundBytes = sizesTell ? length : left;
            return {WavFacts::Kind::Whole,
                    bytesPerSecond == 0
                        ? 0.0
                        : static_cast<double>(soundBytes) / static_cast<double>(bytesPerSecond)};
        }
        if (sizesTell && length > left) {
            // Whole by its size, damaged inside: the converter says what it cannot read.
            return {WavFacts::Kind::Whole};
        }
        if (id == "fmt " && length >= 12) {
            std::array<unsigned char, 12> format{}; // format, channels, rate, bytes a second
            in.read(reinterpret_cast<char*>(format.data()), format.size());
            bytesPerSecond = readNumber(format.data() + 8, bigEndian);
        }
        at += 8 + length + (length & 1);
    }
    // The header ends before the sound begins: the copy stopped there, or nothing was recorded.
    return {WavFacts::Kind::CutOff};
}

std::string notAWavRecording(const fs::path& file) {
    return file.generic_string() + " is not a WAV recording (save it as WAV)";
}

std::string cutOffRecording(const fs::path& file) {
    return file.generic_string() + " is cut off (the copy did not finish): copy it again";
}

std::string recordingRefusal(const fs::path& file) {
    switch (inspectWav(file).kind) {
    case WavFacts::Kind::NotWav:
        return notAWavRecording(file);
    case WavFacts::Kind::CutOff:
        return cutOffRecording(file);
    case WavFacts::Kind::Whole:
        break;
    }
    return {};
}

namespace {

std::string clipList(const std::vector<std::string>& clips) {
    std::string list;
    for (const std::string& clip : clips) {
        list += (list.empty() ? "" : ", ") + clip + ".wav";
    }
    return list;
}

} // namespace

void checkRecordings(const fs::path& folder, const std::vector<std::string>& clips,
                     const std::string& wordsNote, Findings& findings) {
    const std::string accepted =
        "The recordings this folder takes are " + clipList(clips) + " (" + wordsNote + ").";
    // Recordings per clip, in name order: the first is the one the build uses.
    std::map<std::string, std::vector<fs::path>> recordings;
    for (const fs::path& file : schoolFiles(folder)) {
        const std::string shown = file.generic_string();
        std::error_code error;
        if (fs::is_directory(file, error)) {
            findings.warn(shown +
                          " is a folder, and recordings inside folders are not used: put "
                          "them straight into " +
                          folder.generic_string() + ".");
            continue;
        }
        const std::string stem = lowerAscii(file.stem().string());
        const std::string extension = lowerAscii(file.extension().string());
        const bool isClip = std::find(clips.begin(), clips.end(), stem) != clips.end();
        if (extension == ".wav" && isClip) {
            recordings[stem].push_back(file);
        } else if (extension == ".wav") {
            const std::string near = closestName(stem, clips);
            findings.warn(shown + " is not used, because \"" + stem +
                          "\" is not the name of a clip" +
                          (near.empty() ? "" : " (did you mean " + near + ".wav?)") +
                          ", so the computer voice stays. Name a recording after the clip it "
                          "replaces. " +
                          accepted);
        } else if (isClip) {
            findings.warn(shown +
                          " is not used, because recordings must be WAV files. Save it "
                          "as WAV, as " +
                          (folder / (stem + ".wav")).generic_string() + ".");
        } else {
            findings.warn(shown + " is not used: only WAV recordings named after a clip are. " +
                          accepted);
        }
    }
    for (const auto& [clip, files] : recordings) {
        for (std::size_t i = 1; i < files.size(); ++i) {
            findings.warn(files[i].generic_string() + " is not used, because " +
                          files[0].generic_string() + " is already the recording of clip " + clip +
                          ": delete the one you do not want.");
        }
        const WavFacts facts = inspectWav(files[0]);
        if (facts.kind != WavFacts::Kind::Whole) {
            findings.refuse(recordingRefusal(files[0]));
        } else if (facts.seconds > kLongestRecordingSeconds) {
            findings.warn(files[0].generic_string() + " is " +
                          std::to_string(static_cast<int>(facts.seconds)) +
                          " seconds long. While the bee talks, the child cannot leave the "
                          "screen: keep a clip to a sentence or two, under " +
                          std::to_string(static_cast<int>(kLongestRecordingSeconds)) + " seconds.");
        }
    }
}

} // namespace hc::content
