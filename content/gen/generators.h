#pragma once

// The generator's commands. Each writes its files into `outDir` and throws hc::Error with a
// message when it cannot.

#include <string>
#include <vector>

namespace hc::content {

// The pictures stored with the screens (PNG) and pictures.qrc listing them.
void writePictures(const std::string& outDir);
// The programs' icons for the desktop's menu, from the same drawings as their window icons:
// OUTDIR/<n>x<n>/apps/<name>.png at every size a hicolor icon theme looks for.
void writeIcons(const std::string& outDir, const std::string& studentName,
                const std::string& optionsName);
// The four bee animations.
void writeBeeMovies(const std::string& outDir);
// The opening, title, loading, flash card, reward and phonogram-screen movies. `audioDir`
// holds the sound tracks (jingle_logo.wav, reward_<n>.wav).
void writeScreenMovies(const std::string& outDir, const std::string& audioDir);
// The puzzles: 16 pieces and a movie each, with the sound puzzle_done.wav from `audioDir`.
// The drawn puzzles come first (0 .. kPuzzleCount-1), then one for each of the school's own
// `schoolPictures`, in natural order of their file names (naturalLess).
void writePuzzles(const std::string& outDir, const std::string& audioDir,
                  const std::vector<std::string>& schoolPictures);

// How many puzzles the generators draw and how many reward movies they make.
inline constexpr int kPuzzleCount = 8;
inline constexpr int kRewardCount = 6;

// Helpers shared by the commands.
void saveImage(const class QImage& image, const std::string& path, const char* format);
std::string joinPath(const std::string& dir, const std::string& name);

} // namespace hc::content
