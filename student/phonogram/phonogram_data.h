#pragma once

// The puzzle's data in DATA.ERF: the table of 70 phonograms (what each card shows and where its
// sound lies in the one long recording) and the number of puzzles. Plain C++ over the
// process-wide archive reader, no Qt.

#include <array>
#include <cstdint>
#include <string>

namespace hc::student {

// One phonogram: the letters a card shows and its sound in "phono\sound\phonos.wav".
struct Phonogram {
    std::string Text;             // at most kPhonogramTextMax characters
    std::int32_t StartSample = 0; // where the sound begins, in samples
    std::int32_t EndSample = 0;   // where it ends, in samples
    bool Used = false;            // lies on a card of the current deal
};

inline constexpr int kPhonogramCount = 70;
// The longest line of the table, its CR LF included, and the longest text a card shows.
inline constexpr std::size_t kPhonogramLineMax = 104;
inline constexpr std::size_t kPhonogramTextMax = 11;

using PhonogramTable = std::array<Phonogram, kPhonogramCount>;

// The messages of a failed load.
inline constexpr const char* kCantOpenPhonograms = "Can't open phonogram data in ERF";
inline constexpr const char* kCantReadPhonograms = "Can't read phonogram data in ERF";

// Fills all 70 entries of `table` from "phono\sound\phonos.txt", read one byte at a time
// through the archive reader (it becomes the reader's current entry).
//
// A line runs up to its LF; the byte just before the LF is dropped whatever it is (the CR of
// the CR LF pair, or the line's last character when the CR is missing). The text is the line up
// to its first TAB; the start sample is the number after the first TAB and the end sample the
// number after the last one, each read as the C library reads a leading integer (blanks
// skipped, an optional sign, the digits up to the first other character, 0 without digits,
// clamped to 32 bits). A line without a TAB is all text with both samples 0. Whatever follows
// the 70th LF is ignored.
//
// Raises hc::Error with kCantOpenPhonograms when the entry is missing, and with
// kCantReadPhonograms when the reader delivers nothing before the 70th LF (fewer lines, a last
// line without LF, damaged data), or when a line is longer than kPhonogramLineMax bytes or a
// text longer than kPhonogramTextMax characters: such a table was not made for the cards, and
// it is refused rather than shown cut. Entries read before a failure keep their new values.
void loadPhonogramTable(PhonogramTable& table);

// The number of puzzles: the entries whose names begin with "phono\puzzles\movies\" (ASCII
// letter case ignored), whatever they are. Puzzles are numbered 0 to the count - 1.
int countPuzzles();

} // namespace hc::student
