#pragma once

// The 70 phonograms of the puzzle, their sounds, and the recording that holds them.

#include "clip.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace hc::audio {

struct PhonogramSounds {
    std::string_view text; // the letters as a card shows them
    // espeak-ng phoneme strings (en-us), one per sound, '|' between sounds; '+' joins parts of
    // one sound that are spoken and levelled separately ("V+fff" for the "uf" of "enough").
    std::string_view sounds;
};

// The standard set of 70 phonograms taught in phonics: the alphabet, with q written as "qu"
// because it never stands without its u, followed by the 44 multi-letter phonograms, each
// with every sound it makes, in the order a teacher says them ("a" says /a/ /ay/ /ah/).
extern const std::array<PhonogramSounds, 70> kPhonograms;

// One line of "phono\sound\phonos.txt": the phonogram and its sample range.
struct PhonogramRange {
    std::string text;
    int start = 0;
    int end = 0;
};

// Layout of the recording, in seconds. Ranges include a little silence on both sides so
// that neither end cuts a sound, and the gap between ranges is silent too.
inline constexpr double kLeadIn = 0.25;        // before the first range
inline constexpr double kRangeMargin = 0.06;   // silence inside a range, each end
inline constexpr double kBetweenSounds = 0.35; // between the sounds of one phonogram
inline constexpr double kBetweenRanges = 0.20; // between one range's end and the next start

// Speaks every sound with espeak-ng, trims and levels each, lays them out one after another
// and writes the 11025 Hz recording and its table (Text TAB start TAB end CR LF, 70 lines).
// Checks its own result before it returns: every range lies inside the recording, in
// order, without overlap, is audible, and starts and ends in silence.
void buildPhonograms(const Tools& tools, const std::filesystem::path& wavOut,
                     const std::filesystem::path& tableOut);

// The table's text for the given ranges.
std::string phonogramTable(const std::vector<PhonogramRange>& ranges);

} // namespace hc::audio
