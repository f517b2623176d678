#pragma once

// The names of every DATA.ERF entry the student program reads. Screens, the content build and
// the content tests all take the names from here, so a name cannot drift between the program
// and its archive. Names are relative paths with a single backslash as separator and are
// looked up ignoring ASCII letter case.

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

namespace hc::entries {

// The narrator bee's animations, 160 x 120.
inline constexpr std::string_view kBeeIdle = "bee\\bee.avi";
inline constexpr std::string_view kBeeTalk = "bee\\beetalk.avi";
inline constexpr std::string_view kBeeJump = "bee\\beejump.avi"; // answer right
inline constexpr std::string_view kBeeNo = "bee\\beeno.avi";     // answer wrong

// Every clip the program speaks. Clip n is "bee\" + n + ".wav" and "bee\" + n + ".txt".
inline constexpr std::array<std::string_view, 19> kClips = {
    "mainmenu", "cntxthlp", "hlpusr",   "hlplist",  "hlpreprt", "spelmhlp", "phonmhlp",
    "welcome",  "login",    "typename", "usrexist", "selname",  "spelling", "spelhelp",
    "phono",    "phonhelp", "leave",    "goodbye",  "welcmbak"};

inline std::string clipSound(std::string_view clip) {
    return "bee\\" + std::string(clip) + ".wav";
}
inline std::string clipText(std::string_view clip) {
    return "bee\\" + std::string(clip) + ".txt";
}

// Opening and closing screens, main menu.
inline constexpr std::string_view kLoadingMovie = "movies\\loading.avi";   // 134 x 33 loop
inline constexpr std::string_view kLogoMovie = "movies\\qrv.avi";          // 320 x 200
inline constexpr std::string_view kTitleBeeMovie = "movies\\titlebee.avi"; // 237 x 308 loop
inline constexpr std::string_view kStartMovie = "movies\\start.avi";       // 114 x 126 loop
inline constexpr std::string_view kTitleMusic = "sound\\title.mid";

// Spelling test: the card arrives in frames 0..15 and leaves in frames 15..30. 263 x 92, shown
// from MainPanel's top-left corner: at frame 15 its word slot lies exactly under TheWord (left
// 16, top 30, 233 x 33, in the label's own grey); frames 0 and 30 are the panel's plain grey.
inline constexpr std::string_view kFlashCardMovie = "movies\\flashcrd.avi";
// Reward movies: the prefix, a decimal number from 0 without gaps, ".avi". Every entry under
// the prefix counts as a reward movie. 318 x 238 with sound: they fill the reward screen's
// inner panel (Panel2) from its top-left corner.
inline constexpr std::string_view kRewardPrefix = "movies\\greatjob\\";
inline std::string rewardMovie(int number) {
    return std::string(kRewardPrefix) + std::to_string(number) + ".avi";
}

// Phonogram puzzle. The screen movie opens in frames 0..90 and closes in frames 90..180, at 30
// frames a second; frame 90 is the backdrop picture itself.
inline constexpr std::string_view kPhonoMovie = "movies\\phono.avi"; // 316 x 158
inline constexpr std::string_view kPhonogramTable = "phono\\sound\\phonos.txt";
inline constexpr std::string_view kPhonogramSounds = "phono\\sound\\phonos.wav";
// Puzzle k has 16 pieces (4 x 4 of a 141 x 133 picture) and one movie. Every entry under the
// movie prefix counts as a puzzle. A piece is a 33 x 31 bitmap, the inside of its 35 x 33 card,
// so the finished board matches the first frame of the 141 x 133 movie that replaces it.
inline constexpr std::string_view kPuzzleMoviePrefix = "phono\\puzzles\\movies\\";
inline constexpr int kPuzzlePieces = 16;
inline std::string puzzlePiece(int puzzle, int piece) {
    char name[64];
    std::snprintf(name, sizeof name, "phono\\puzzles\\pictures\\%d_%02d.bmp", puzzle, piece);
    return name;
}
inline std::string puzzleMovie(int puzzle) {
    return std::string(kPuzzleMoviePrefix) + std::to_string(puzzle) + ".avi";
}

} // namespace hc::entries
