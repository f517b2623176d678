#pragma once

// A school's own content: recordings in content/overrides/bee and pictures in content/puzzles.
// The build looks at both folders before it makes anything from them and tells the school, in
// plain words that name the file, about every file it will not use (a warning) and every file
// it would use but cannot (a refusal, which stops the build). What it found is also kept in a
// report file, so that the build script can show it again as the last thing on screen.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hc::content {

// A school's file that the build cannot use. what() is the whole message, naming the file and
// saying what to do; it is shown as it stands, without a tool's name in front.
class ContentProblem : public std::runtime_error {
public:
    explicit ContentProblem(const std::string& message) : std::runtime_error(message) {}
};

std::string lowerAscii(std::string text);

// Files a content folder may hold besides content, passed over without a word: hidden files,
// the folder's README.txt, and what file managers leave behind (Thumbs.db, desktop.ini).
bool isHousekeepingFile(const std::string& name);

// File names in natural order, as a person sorts them: letter case ignored, and a run of
// digits compared as a number ("2" before "10", "Bus" beside "bee"). Names that differ only in
// letter case or leading zeros are ordered by their bytes, so the order is always the same.
bool naturalLess(std::string_view a, std::string_view b);

// The entries of `folder` (files and folders) other than housekeeping files, in natural order
// of their names. Empty when the folder does not exist.
std::vector<std::filesystem::path> schoolFiles(const std::filesystem::path& folder);

// Of `names`, the one closest to `typed` (at most two letters added, dropped or changed),
// when exactly one is that close; empty otherwise.
std::string closestName(std::string_view typed, const std::vector<std::string>& names);

// What a check of a folder found, in the order found.
class Findings {
public:
    void warn(std::string message);
    void refuse(std::string message);
    bool anyRefused() const { return !m_refusals.empty(); }

    // Prints the warnings, then the refusals (so a refusal is the last thing printed), to
    // stderr, and appends the same text to `reportFile` when it is not empty. Returns the
    // exit status of the check: 1 when anything was refused, else 0.
    int finish(const std::string& reportFile) const;

private:
    std::vector<std::string> m_warnings;
    std::vector<std::string> m_refusals;
};

// `text` with its words wrapped before 100 columns, continuation lines starting with `indent`.
std::string wrapText(const std::string& text, const std::string& indent = "  ");

// The text a warning is printed as: "Warning: " in front, wrapped as above.
std::string formatWarning(const std::string& message);

// Appends `text` (one or more whole lines) to the report file; a report that cannot be written
// is not worth failing the build for, so errors are ignored.
void appendToReport(const std::string& reportFile, const std::string& text);

// What a school's recording is, as far as its bytes show without a converter.
struct WavFacts {
    enum class Kind {
        NotWav, // no RIFF, RIFX or RF64 container of type WAVE: another format renamed to .wav
        CutOff, // empty, or ending before the sound its header promises (an unfinished copy)
        Whole,
    };
    Kind kind = Kind::NotWav;
    double seconds = 0; // the length of the sound as the header states it (Whole only)
};
WavFacts inspectWav(const std::filesystem::path& file);

// The message for a recording that would replace a clip but is no WAV file.
std::string notAWavRecording(const std::filesystem::path& file);

// The message for a recording that ends before the sound its header promises.
std::string cutOffRecording(const std::filesystem::path& file);

// The refusal for a recording that would replace a clip but cannot be used as it stands (no
// WAV file, or cut off); empty when its bytes look whole.
std::string recordingRefusal(const std::filesystem::path& file);

// Recordings longer than this get a warning: while the bee talks the child cannot leave the
// screen.
inline constexpr double kLongestRecordingSeconds = 30;

// Checks every file in the recordings folder `folder` against the clip names `clips`. Warns
// about each file that will not be used (a name that is no clip, another format than WAV, a
// second spelling of the same clip, a folder) and about a recording longer than a spoken
// sentence, and refuses a recording that would be used but is no WAV file or is cut off.
// `wordsNote` tells the school where the words of each clip are. File names are shown as `folder`
// is given, so a relative folder reads as the school knows it.
void checkRecordings(const std::filesystem::path& folder, const std::vector<std::string>& clips,
                     const std::string& wordsNote, content::Findings& findings);

} // namespace hc::content
