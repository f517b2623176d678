#pragma once

// Decodes the content's movies and sounds with FFmpeg, for the content tests and the contact
// sheet: what a player would see and hear, frame by frame.

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace hc::content {

struct MediaInfo {
    std::string container;  // FFmpeg's short name, e.g. "avi", "wav"
    std::string videoCodec; // empty when there is no video
    int width = 0;
    int height = 0;
    int framesDecoded = 0; // frames that actually decoded
    double framesPerSecond = 0;
    std::string audioCodec; // empty when there is no sound
    int sampleRate = 0;
    int channels = 0;
    std::int64_t samples = 0; // decoded sound samples per channel
    int peak = 0;             // largest absolute 16-bit sample value
};

// Opens `path`, decodes every packet and fills the description. When `frames` is given, each
// decoded frame is appended as an RGB image. Throws hc::Error when the file cannot be opened
// or a packet fails to decode.
MediaInfo probeMedia(const std::string& path, std::vector<QImage>* frames = nullptr);

// Mean absolute difference per colour channel (0..255) between two images of the same size,
// over `area` (the whole image when empty).
double meanDifference(const QImage& a, const QImage& b, QRect area = QRect());

} // namespace hc::content
