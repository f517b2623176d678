#include "clip.h"

#include "clip_text.h"
#include "process.h"
#include "wav_io.h"

#include "content/school_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <system_error>

namespace hc::audio {
namespace fs = std::filesystem;

namespace {

// A voice stands out: at least 100 ms of it reach this level ...
constexpr std::size_t kLoudFrames = 5;
constexpr double kQuietestVoiceDb = -45;
// ... and lie this far above the quietest tenth of the recording. Hiss, dither and hum are as
// loud in the pauses as anywhere else.
constexpr double kVoiceAboveFloorDb = 12;

fs::path partName(const fs::path& out, const char* suffix) {
    return fs::path(out.string() + suffix);
}

void moveIntoPlace(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::rename(from, to, error);
    if (error) {
        throw std::runtime_error("cannot replace " + to.string() + ": " + error.message());
    }
}

} // namespace

std::optional<fs::path> findOverride(const fs::path& overrideDir, std::string_view clip) {
    return findRecording(overrideDir / "bee", clip);
}

std::optional<fs::path> findRecording(const fs::path& folder, std::string_view clip) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return std::nullopt;
    }
    const std::string wanted = content::lowerAscii(std::string(clip) + ".wav");
    std::optional<fs::path> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error) &&
            content::lowerAscii(entry.path().filename().string()) == wanted) {
            // Of several spellings, take the first by name so every build picks the same.
            if (!found || entry.path().filename() < found->filename()) {
                found = entry.path();
            }
        }
    }
    return found;
}

std::vector<std::string> soxToClipFormat(const Tools& tools, const fs::path& in,
                                         const fs::path& out) {
    // -D: no dither, -R: repeatable.
    return {tools.sox,
            "-D",
            "-R",
            "-V2",
            in.string(),
            "-r",
            std::to_string(kClipRate),
            "-c",
            "1",
            "-b",
            "16",
            "-e",
            "signed-integer",
            "-t",
            "wav",
            out.string()};
}

bool holdsAudibleSound(const std::vector<std::int16_t>& samples, int sampleRate) {
    // The level of every 20 ms, in dB below full scale.
    const std::size_t frame = static_cast<std::size_t>(sampleRate) / 50;
    std::vector<double> levels;
    for (std::size_t start = 0; frame > 0 && start + frame <= samples.size(); start += frame) {
        double sum = 0;
        for (std::size_t i = start; i < start + frame; ++i) {
            sum += static_cast<double>(samples[i]) * samples[i];
        }
        const double rms = std::sqrt(sum / static_cast<double>(frame)) / 32768.0;
        levels.push_back(rms > 0 ? 20 * std::log10(rms) : -200.0);
    }
    if (levels.size() < kLoudFrames) {
        return false;
    }
    std::sort(levels.begin(), levels.end());
    // Loud: what at least 100 ms of the recording reach (a click alone is not a voice).
    // Floor: what the quietest tenth stays below (the room, the microphone's hiss, a hum).
    const double loud = levels[levels.size() - kLoudFrames];
    const double floor = levels[levels.size() / 10];
    return loud >= kQuietestVoiceDb && loud - floor >= kVoiceAboveFloorDb;
}

void convertRecording(const Tools& tools, const fs::path& in, const fs::path& out) {
    // First only the format: downmix, rumble below 60 Hz removed, resampled. The level is
    // judged on this, before any normalising: normalised, a muted microphone's hiss, the
    // dither of "silence" or mains hum would become loud noise in the children's ears.
    const fs::path stage = partName(out, ".stage.wav");
    std::vector<std::string> first = soxToClipFormat(tools, in, stage);
    first.insert(first.end(),
                 {"channels", "1", "highpass", "60", "rate", std::to_string(kClipRate)});
    std::error_code ignored;
    try {
        runProgram(first);
        const MonoSound sound = readMonoWav(stage);
        if (!holdsAudibleSound(sound.samples, sound.sampleRate)) {
            throw NoAudibleSound(in.generic_string() + " holds no audible sound");
        }
        // Then silence at both ends trimmed to a short pad, pauses inside cut to at most 0.6 s,
        // and the level evened out. No dither, so the same input gives the same bytes.
        std::vector<std::string> second = soxToClipFormat(tools, stage, out);
        second.insert(second.end(),
                      {"norm", "-3",      "silence", "-l",      "1",       "0.02", "0.5%",
                       "-1",   "0.6",     "0.5%",    "reverse", "silence", "1",    "0.02",
                       "0.5%", "reverse", "norm",    "-1",      "pad",     "0.1",  "0.2"});
        runProgram(second);
    } catch (...) {
        fs::remove(stage, ignored);
        throw;
    }
    fs::remove(stage, ignored);
}

void convertSchoolRecording(const Tools& tools, const fs::path& recording, const fs::path& out) {
    if (const std::string refusal = content::recordingRefusal(recording); !refusal.empty()) {
        throw content::ContentProblem(refusal);
    }
    std::error_code ignored;
    try {
        convertRecording(tools, recording, out);
    } catch (const ProgramFailed& failed) {
        fs::remove(out, ignored);
        // sox says why in its last line ("sox FAIL formats: can't open input file `...': WAVE:
        // ..."); the school needs only the part after the file's name.
        std::string reason = failed.reason();
        const auto afterName = reason.rfind("': ");
        if (afterName != std::string::npos) {
            reason = reason.substr(afterName + 3);
        }
        throw content::ContentProblem(recording.generic_string() + " could not be read" +
                                      (reason.empty() ? "" : " (" + reason + ")") +
                                      ": save it again as a plain WAV recording (16-bit PCM)");
    } catch (const NoAudibleSound&) {
        fs::remove(out, ignored);
        throw content::ContentProblem(recording.generic_string() +
                                      " holds no audible sound (record it again, nearer the "
                                      "microphone, or delete it to keep the computer voice)");
    }
}

void synthesiseSpeech(const Tools& tools, const std::string& text, const fs::path& out) {
    const fs::path raw = partName(out, ".flite.wav");
    runProgram({tools.flite, "-voice", "slt", "--setf", "duration_stretch=1.12", "-t", text, "-o",
                raw.string()});
    try {
        convertRecording(tools, raw, out);
    } catch (...) {
        fs::remove(raw);
        throw;
    }
    fs::remove(raw);
}

namespace {

std::string clipTextRefusal(const fs::path& textFile, const ClipTextProblem& problem) {
    const std::string shown = textFile.generic_string();
    switch (problem.kind()) {
    case ClipTextProblem::Kind::NoWords:
        return shown + " holds no words for the bee to say: write them in it (or put back the "
                       "words it had), save it and build again";
    case ClipTextProblem::Kind::Unshowable: {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04lX", problem.codePoint());
        const unsigned long cp = problem.codePoint();
        const bool emoji = (cp >= 0x1F000 && cp <= 0x1FAFF) || (cp >= 0x2600 && cp <= 0x27BF) ||
                           cp == 0xFE0F || cp == 0x200D;
        return shown + " holds " +
               (emoji ? "an emoji (" + std::string(code) + ")"
                      : "the character " + std::string(code)) +
               ", which the text beside the bee cannot show: take it out (or say it in words), "
               "save the file and build again";
    }
    case ClipTextProblem::Kind::NotText:
        break;
    }
    return shown + " is not plain text (" + problem.what() +
           "): open it in a text editor, save it as plain text (UTF-8) and build again";
}

} // namespace

ClipWords readClipWords(const fs::path& textFile, std::string_view clip) {
    std::error_code error;
    if (!fs::exists(textFile, error)) {
        throw content::ContentProblem(textFile.generic_string() +
                                      " is missing, and the bee's words for clip " +
                                      std::string(clip) +
                                      " come from it: put it back (from a fresh copy of the "
                                      "project) and build again");
    }
    const std::string source = readBytes(textFile);
    try {
        return {memoText(source), speechText(source)};
    } catch (const ClipTextProblem& problem) {
        throw content::ContentProblem(clipTextRefusal(textFile, problem));
    }
}

void buildClip(const Tools& tools, const ClipJob& job) {
    const auto [memo, speech] = readClipWords(job.textFile, job.name);

    const fs::path wavPart = partName(job.wavOut, ".part");
    if (const auto recording = findOverride(job.overrideDir, job.name)) {
        convertSchoolRecording(tools, *recording, wavPart);
    } else {
        synthesiseSpeech(tools, speech, wavPart);
    }
    const fs::path memoPart = partName(job.memoOut, ".part");
    writeBytes(memoPart, memo);
    moveIntoPlace(wavPart, job.wavOut);
    moveIntoPlace(memoPart, job.memoOut);
}

} // namespace hc::audio
