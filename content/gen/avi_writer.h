#pragma once

// Writes an MJPEG AVI, optionally with one PCM sound track, through FFmpeg's libraries.
// Every flag that would put a version string, a time or a thread-dependent choice into the
// file is switched off, so the same frames and samples always give the same bytes.

#include <QImage>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hc::content {

struct Sound {
    int sampleRate = 0;
    std::vector<std::int16_t> samples; // mono
};

class AviWriter {
public:
    // Opens `path` for a movie of `width` x `height` at `fps` frames per second. When `sound`
    // is given it becomes the movie's track (PCM 16-bit mono at its own rate), padded with
    // silence up to the end of the last frame. Throws hc::Error when FFmpeg refuses.
    AviWriter(const std::string& path, int width, int height, int fps, const Sound* sound);
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Appends one frame; the image must have the movie's size.
    void addFrame(const QImage& frame);
    // Writes the remaining sound, the index and the trailer. Must be called once at the end.
    void finish();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Frames a movie needs at `fps` to last as long as `sound` (at least `minimum`).
int framesForSound(const Sound& sound, int fps, int minimum);

} // namespace hc::content
