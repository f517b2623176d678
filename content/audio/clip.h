#pragma once

// Building one narrator clip: its WAV (a school's own recording when there is one, else the
// synthesised voice) and its memo text.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hc::audio {

// Where the external tools live; the build passes the paths it found.
struct Tools {
    std::string flite = "flite";
    std::string espeak = "espeak-ng";
    std::string sox = "sox";
    std::string soundfont;
};

// Every narrator clip sounds alike: mono, 11025 Hz, 16-bit PCM.
inline constexpr int kClipRate = 11025;

// The start of a sox command that writes `in` to `out` in the clip format, repeatably (no
// dither, no random numbers); effects follow.
std::vector<std::string> soxToClipFormat(const Tools& tools, const std::filesystem::path& in,
                                         const std::filesystem::path& out);

// The recording a school dropped in for clip `clip`: overrideDir/bee/<clip>.wav, the file
// name matched ignoring ASCII letter case (recordings made on Windows often arrive as
// WELCOME.WAV). None when the folder or the file does not exist.
std::optional<std::filesystem::path> findOverride(const std::filesystem::path& overrideDir,
                                                  std::string_view clip);
// The same in a recordings folder itself: folder/<clip>.wav, any letter case.
std::optional<std::filesystem::path> findRecording(const std::filesystem::path& folder,
                                                   std::string_view clip);

// A converted recording that holds nothing a child could hear.
class NoAudibleSound : public std::runtime_error {
public:
    explicit NoAudibleSound(const std::string& message) : std::runtime_error(message) {}
};

// Whether mono `samples` hold something a child could hear: a voice reaching a usable level and
// standing out above the recording's quietest parts. Steady noise (a muted microphone's hiss,
// the dither of "silence", mains hum) is not, however loud.
bool holdsAudibleSound(const std::vector<std::int16_t>& samples, int sampleRate);

// Turns any WAV sox can read into a narrator clip: mono, 11025 Hz, 16-bit, rumble below
// 60 Hz removed, silence at both ends trimmed to a short pad and pauses inside cut to at
// most 0.6 s, normalised to -1 dBFS. No dither, so the same input gives the same bytes.
// Throws ProgramFailed when sox cannot read `in` and NoAudibleSound when the recording, judged
// before any normalising, holds nothing audible.
void convertRecording(const Tools& tools, const std::filesystem::path& in,
                      const std::filesystem::path& out);

// A school's recording converted as above. Every way it can be unusable (not a WAV file, cut
// off, a WAV sox cannot read, nothing audible in it) throws content::ContentProblem naming the file
// as given and saying what to do.
void convertSchoolRecording(const Tools& tools, const std::filesystem::path& recording,
                            const std::filesystem::path& out);

// Speaks `text` with flite's "slt" voice, a little slower than its default for young
// listeners, and converts the result as above.
void synthesiseSpeech(const Tools& tools, const std::string& text,
                      const std::filesystem::path& out);

// The two forms of a clip's words (see clip_text.h).
struct ClipWords {
    std::string memo;
    std::string speech;
};

// The words of `textFile`, the text of clip `clip`. A missing file, one without words and one
// holding what the memo cannot show (an emoji) throw content::ContentProblem naming the file
// as given and saying what to do.
ClipWords readClipWords(const std::filesystem::path& textFile, std::string_view clip);

struct ClipJob {
    std::string name;                  // the clip's name, e.g. "welcome"
    std::filesystem::path textFile;    // the words (content/audio/clips/<name>.txt)
    std::filesystem::path overrideDir; // the schools' folder (content/overrides)
    std::filesystem::path wavOut;
    std::filesystem::path memoOut;
};

// Writes the clip's WAV and memo text. Each output is written under a temporary name and
// renamed into place, so a failed build never leaves a half-written file that looks new.
void buildClip(const Tools& tools, const ClipJob& job);

} // namespace hc::audio
