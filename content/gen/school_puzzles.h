#pragma once

// Cutting a puzzle: its 16 pieces and the movie of the finished picture. The build cuts the
// drawn puzzles and a school's pictures with it, and the content tool of an installed system
// cuts a school's pictures with the same code, so both give the same puzzles.

#include "content/gen/avi_writer.h"

#include <QImage>

class QPainter;

#include <functional>
#include <string>
#include <vector>

namespace hc::content {

// Puzzle movies run at this rate and last as long as their sound, at least this many frames.
inline constexpr int kPuzzleFps = 15;
inline constexpr int kPuzzleMinimumFrames = 45;

// Writes puzzle `k` into `outDir` under its entry names: the pieces cut from `still` (the
// puzzle's size) and a movie of `frames` frames from `frameAt`, with `sound` as its track.
void writePuzzle(const std::string& outDir, int k, const QImage& still, const Sound& sound,
                 int frames, const std::function<QImage(int frame, double t)>& frameAt);

// The sparkles that celebrate finished puzzle `k` at time `t` of its movie (0 to 1): the same
// for a drawn puzzle and a school's picture.
void drawFinishSparkles(QPainter& p, int k, double t);

// A school's picture as the puzzle shows it: read strictly (readSchoolPicture), scaled to cover
// the puzzle's frame and its middle cut out.
QImage schoolPuzzlePicture(const std::string& file);

// One puzzle for each of `pictures` (a school's own, named as the school knows them), numbered
// from `firstNumber` in natural order of their file names, with `sound` as their movies' track.
// Prints the numbered list first (schoolPuzzleList). A picture that cannot be read whole throws
// ContentProblem.
void writeSchoolPuzzles(const std::string& outDir, int firstNumber,
                        std::vector<std::string> pictures, const Sound& sound);

} // namespace hc::content
