#pragma once

// Reading the sound tracks that the movies carry.

#include "content/gen/avi_writer.h"

#include <string>

namespace hc::content {

// Reads a RIFF WAVE file holding mono PCM (8 or 16 bits). Throws hc::Error with the file's
// name when it cannot be read or is not such a file, so a broken track stops the build with a
// clear message rather than a silent movie.
Sound readWave(const std::string& path);

// The sound track of a movie the generators made (mono 16-bit PCM), as it was stored: a movie
// carries its sound whole, so a puzzle's sound is found again in a built archive.
Sound readMovieSound(const std::string& path);

} // namespace hc::content
