#pragma once

// A school's own puzzle pictures (content/puzzles): which files are taken, reading them
// strictly, and what the build tells the school about them.

#include <QImage>

#include <filesystem>
#include <string>
#include <vector>

namespace hc::content {

class Findings;

// The picture files the puzzle build takes, by name: .png, .jpg, .jpeg or .bmp in any letter
// case. The build's own selection of pictures (content/CMakeLists.txt) follows the same rule.
bool isPuzzlePictureName(const std::string& fileName);

// Reads a school's picture whole, as the puzzle shows it: turned upright as its orientation tag
// says, transparent parts white, no transparency left. A file that is no picture, and a picture
// that is only partly there (a JPEG or BMP cut off, a PNG with a broken end), throw ContentProblem
// naming the file as given: a puzzle is never cut from a half-grey picture. The decoders' own
// complaints are kept off the build log, since they do not say which file they mean.
QImage readSchoolPicture(const std::filesystem::path& file);

// Checks every file in `folder`: refuses pictures that cannot be read whole, warns about
// pictures smaller than the puzzle (blurred when blown up) or of a shape far from its frame
// (only the middle is shown), files in other formats and folders, which make no puzzle. Names
// are shown as `folder` is given.
void checkPuzzlePictures(const std::filesystem::path& folder, Findings& findings);

// The lines the puzzle build prints about the school's puzzles: which number each picture
// has (numbers from `firstNumber`, in the order given) and that the numbers follow the file
// names. Empty when there are no pictures.
std::string schoolPuzzleList(int firstNumber, const std::vector<std::string>& pictures);

} // namespace hc::content
