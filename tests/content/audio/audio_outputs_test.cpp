// Checks the sound content as the build left it in the output folder: what DATA.ERF will
// hold and what the movies will carry.

#include "content/entry_names.h"
#include "media_probe.h"
#include "temp_dir.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using hc::test::probeWav;
using hc::test::readFile;
using hc::test::rmsLevel;

const fs::path kOut = HC_AUDIO_OUT_DIR;
constexpr int kRate = 11025;

std::map<std::string, std::string> readManifest() {
    std::map<std::string, std::string> entries;
    std::istringstream in(readFile(HC_AUDIO_MANIFEST));
    for (std::string line; std::getline(in, line);) {
        const auto tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << line;
        const std::string name = line.substr(0, tab);
        EXPECT_TRUE(entries.emplace(name, line.substr(tab + 1)).second) << "twice: " << name;
    }
    return entries;
}

std::vector<std::string> splitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start)); // unterminated last line
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> result;
    for (std::string word; in >> word;) {
        result.push_back(word);
    }
    return result;
}

// A narrator-format WAV: mono 16-bit PCM at 11025 Hz.
hc::test::WavInfo narratorWav(const fs::path& path) {
    const auto wav = probeWav(readFile(path.string()));
    EXPECT_EQ(wav.error, "") << path;
    EXPECT_EQ(wav.format, 1) << path;
    EXPECT_EQ(wav.channels, 1) << path;
    EXPECT_EQ(wav.sampleRate, kRate) << path;
    EXPECT_EQ(wav.bitsPerSample, 16) << path;
    return wav;
}

TEST(AudioOutputs, ManifestNamesExactlyTheSoundEntriesAndTheirFiles) {
    std::set<std::string> expected = {std::string(hc::entries::kPhonogramTable),
                                      std::string(hc::entries::kPhonogramSounds),
                                      std::string(hc::entries::kTitleMusic)};
    for (std::string_view clip : hc::entries::kClips) {
        expected.insert(hc::entries::clipSound(clip));
        expected.insert(hc::entries::clipText(clip));
    }
    std::set<std::string> listed;
    for (const auto& [name, path] : readManifest()) {
        listed.insert(name);
        EXPECT_TRUE(fs::path(path).is_absolute()) << path;
        EXPECT_TRUE(fs::is_regular_file(path)) << path;
        EXPECT_GT(fs::file_size(path), 0u) << path;
    }
    EXPECT_EQ(listed, expected);
}

TEST(AudioOutputs, EveryClipIsAudibleTrimmedSpeech) {
    const auto manifest = readManifest();
    for (std::string_view clip : hc::entries::kClips) {
        SCOPED_TRACE(std::string(clip));
        const auto wav = narratorWav(manifest.at(hc::entries::clipSound(clip)));
        const double seconds = static_cast<double>(wav.samples.size()) / kRate;
        EXPECT_GT(seconds, 1.0);
        EXPECT_LT(seconds, 40.0);
        EXPECT_GT(rmsLevel(wav.samples, 0, wav.samples.size()), 0.05); // about -26 dBFS
        const auto peak = std::max_element(wav.samples.begin(), wav.samples.end(),
                                           [](int a, int b) { return std::abs(a) < std::abs(b); });
        EXPECT_GT(std::abs(*peak), 26000); // normalised near full scale
        // Trimmed: speech starts within half a second, and no pause lasts over 0.8 s.
        const std::size_t window = kRate / 20;
        int quietWindows = 0;
        int longestQuiet = 0;
        std::size_t firstLoud = wav.samples.size();
        for (std::size_t at = 0; at + window <= wav.samples.size(); at += window) {
            if (rmsLevel(wav.samples, at, at + window) < 0.005) {
                longestQuiet = std::max(longestQuiet, ++quietWindows);
            } else {
                firstLoud = std::min(firstLoud, at);
                quietWindows = 0;
            }
        }
        EXPECT_LT(firstLoud, static_cast<std::size_t>(kRate / 2));
        EXPECT_LE(longestQuiet * 0.05, 0.8);
    }
}

TEST(AudioOutputs, EveryClipTextFlowsInTheMemoAndMatchesItsSource) {
    const auto manifest = readManifest();
    for (std::string_view clip : hc::entries::kClips) {
        SCOPED_TRACE(std::string(clip));
        const std::string text = readFile(manifest.at(hc::entries::clipText(clip)));
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
        // The memo wraps at its own width: a line of the text is a whole paragraph, never
        // broken inside a sentence.
        for (const std::string& line : splitCrLf(text)) {
            EXPECT_EQ(line.find_first_of("\r\n\t"), std::string::npos) << line;
            if (!line.empty()) {
                EXPECT_NE(std::string_view(".!?").find(line.back()), std::string_view::npos)
                    << line;
            }
        }
        // Same words as the source the school edits, nothing lost.
        const std::string source =
            readFile(std::string(HC_AUDIO_CLIP_SOURCES) + "/" + std::string(clip) + ".txt");
        EXPECT_EQ(words(text), words(source));
    }
}

// The bee names buttons exactly as the screens caption them.
TEST(AudioOutputs, ClipsNameTheButtonsByTheirCaptions) {
    const auto manifest = readManifest();
    const std::map<std::string, std::vector<std::string>> captions = {
        {"mainmenu", {"Spelling Test", "Phonogram Puzzle", "Help"}},
        {"cntxthlp", {"Repeat", "Stop"}},
        {"hlpusr", {"New User", "Load User"}},
        {"hlplist", {"Word List"}},
        {"hlpreprt", {"Report Card"}},
        {"spelmhlp", {"Spelling Test"}},
        {"phonmhlp", {"Phonogram Puzzle"}},
        {"welcome", {"Load User", "New User", "Ok"}},
        {"login", {"Load User", "New User", "From Disk", "On Disk", "Ok", "Cancel"}},
        {"typename", {"Ok"}},
        {"selname", {"Ok"}},
        {"spelling", {"Start", "Ok"}},
        {"spelhelp", {"Start", "Ok", "Exit"}},
        {"phono", {"Go"}},
        {"phonhelp", {"Go", "Repeat", "Exit"}},
        {"leave", {"Yes", "No"}},
    };
    for (const auto& [clip, names] : captions) {
        std::string text = readFile(manifest.at(hc::entries::clipText(clip)));
        std::replace(text.begin(), text.end(), '\r', ' ');
        std::replace(text.begin(), text.end(), '\n', ' ');
        text = " " + text + " ";
        for (const std::string& caption : names) {
            // Wrapped lines may split a two-word caption; words are single-spaced by then.
            std::string collapsed;
            for (const std::string& w : words(text)) {
                collapsed += " " + w;
            }
            EXPECT_NE((collapsed + " ").find(" " + caption), std::string::npos)
                << clip << " does not say \"" << caption << "\"";
        }
    }
}

TEST(AudioOutputs, PhonogramTableHasSeventyAudibleRangesInOrder) {
    const auto manifest = readManifest();
    const std::string table = readFile(manifest.at(std::string(hc::entries::kPhonogramTable)));
    const auto wav = narratorWav(manifest.at(std::string(hc::entries::kPhonogramSounds)));
    ASSERT_EQ(table.substr(table.size() - 2), "\r\n");
    const auto lines = splitCrLf(table);
    ASSERT_EQ(lines.size(), 70u);

    std::set<std::string> texts;
    long previousEnd = 0;
    const std::size_t edge = kRate / 50; // 20 ms
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        EXPECT_LE(line.size() + 2, 104u);
        const auto tab1 = line.find('\t');
        const auto tab2 = line.rfind('\t');
        ASSERT_NE(tab1, std::string::npos);
        ASSERT_NE(tab1, tab2);
        const std::string text = line.substr(0, tab1);
        EXPECT_GE(text.size(), 1u);
        EXPECT_LE(text.size(), 11u);
        EXPECT_TRUE(texts.insert(text).second) << "repeated: " << text;
        const long start = std::stol(line.substr(tab1 + 1, tab2 - tab1 - 1));
        const long end = std::stol(line.substr(tab2 + 1));
        EXPECT_GE(start, previousEnd);
        EXPECT_LT(start, end);
        ASSERT_LE(end, static_cast<long>(wav.samples.size()));
        previousEnd = end;
        const auto from = static_cast<std::size_t>(start);
        const auto to = static_cast<std::size_t>(end);
        EXPECT_GT(rmsLevel(wav.samples, from, to), 0.03);
        // Quiet at both edges: the range neither cuts into this sound nor into a neighbour.
        EXPECT_LT(rmsLevel(wav.samples, from, from + edge), 0.002);
        EXPECT_LT(rmsLevel(wav.samples, to - edge, to), 0.002);
    }
    // The set taught in phonics: the alphabet (q as "qu") and the common multi-letter ones.
    for (const char* wanted :
         {"a",  "b",  "c",  "d",  "e",   "f",    "g",  "h",  "i",  "j",   "k",   "l",  "m",  "n",
          "o",  "p",  "qu", "r",  "s",   "t",    "u",  "v",  "w",  "x",   "y",   "z",  "sh", "th",
          "ch", "ck", "ng", "wh", "ee",  "ai",   "ay", "oa", "oo", "ou",  "ow",  "oi", "oy", "ar",
          "or", "er", "ir", "ur", "igh", "ough", "ph", "kn", "wr", "dge", "eigh"}) {
        EXPECT_TRUE(texts.count(wanted)) << wanted;
    }
}

TEST(AudioOutputs, TitleMusicIsAStandardMidiFileOfHalfAMinuteToAMinute) {
    const auto manifest = readManifest();
    const auto smf =
        hc::test::probeSmf(readFile(manifest.at(std::string(hc::entries::kTitleMusic))));
    ASSERT_EQ(smf.error, "");
    EXPECT_TRUE(smf.format == 0 || smf.format == 1);
    EXPECT_GE(smf.seconds, 30.0);
    EXPECT_LE(smf.seconds, 60.0);
    EXPECT_GT(smf.noteOns, 200);
    EXPECT_GE(smf.channelsWithNotes.size(), 4u); // an arrangement, not a lone melody
}

TEST(AudioOutputs, SoundTracksHaveTheirLengthsAndFadeOut) {
    const std::map<std::string, double> lengths = {
        {"jingle_logo", 3.0}, {"reward_0", 4.0}, {"reward_1", 4.0}, {"reward_2", 4.0},
        {"reward_3", 4.0},    {"reward_4", 4.0}, {"reward_5", 4.0}, {"puzzle_done", 2.0}};
    std::set<std::string> distinct;
    for (const auto& [name, seconds] : lengths) {
        SCOPED_TRACE(name);
        const fs::path path = kOut / (name + ".wav");
        const auto wav = narratorWav(path);
        EXPECT_EQ(wav.samples.size(), static_cast<std::size_t>(seconds * kRate));
        EXPECT_GT(rmsLevel(wav.samples, 0, wav.samples.size()), 0.03);
        EXPECT_LT(rmsLevel(wav.samples, wav.samples.size() - kRate / 100, wav.samples.size()),
                  0.01); // ends in silence, no click when the movie stops
        distinct.insert(readFile(path.string()));
    }
    EXPECT_EQ(distinct.size(), lengths.size()); // six different reward tunes
}

} // namespace
