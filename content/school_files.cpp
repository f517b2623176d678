#include "content/school_files.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
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
    std::sort(files.begin(), files.end());
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

bool looksLikeWav(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::array<char, 12> head{};
    if (!in.read(head.data(), head.size())) {
        return false;
    }
    const std::string container(head.data(), 4);
    const std::string type(head.data() + 8, 4);
    return (container == "RIFF" || container == "RIFX" || container == "RF64") && type == "WAVE";
}

std::string notAWavRecording(const fs::path& file) {
    return file.generic_string() + " is not a WAV recording (save it as WAV)";
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

void checkRecordings(const fs::path& overrideDir, const std::vector<std::string>& clips,
                     Findings& findings) {
    const fs::path folder = overrideDir / "bee";
    const std::string accepted = "The recordings this folder takes are " + clipList(clips) +
                                 " (what each says is in content/audio/clips).";
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
        if (!looksLikeWav(files[0])) {
            findings.refuse(notAWavRecording(files[0]));
        }
    }
}

} // namespace hc::content
