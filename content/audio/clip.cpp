#include "clip.h"

#include "clip_text.h"
#include "process.h"
#include "wav_io.h"

#include "content/school_files.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

namespace hc::audio {
namespace fs = std::filesystem;

namespace {

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
    const fs::path folder = overrideDir / "bee";
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

void convertRecording(const Tools& tools, const fs::path& in, const fs::path& out) {
    // Downmix and resample come first, so that both the
    // silence detection and the final level see the sound as it will be stored.
    std::vector<std::string> command = soxToClipFormat(tools, in, out);
    command.insert(command.end(),
                   {"channels", "1",    "highpass", "60",      "rate",    std::to_string(kClipRate),
                    "norm",     "-3",   "silence",  "-l",      "1",       "0.02",
                    "0.5%",     "-1",   "0.6",      "0.5%",    "reverse", "silence",
                    "1",        "0.02", "0.5%",     "reverse", "norm",    "-1",
                    "pad",      "0.1",  "0.2"});
    runProgram(command);
    // A recording of nothing but silence is trimmed to the pads alone; refuse it rather
    // than ship a clip the child cannot hear.
    const MonoSound sound = readMonoWav(out);
    const bool audible = std::any_of(sound.samples.begin(), sound.samples.end(),
                                     [](std::int16_t s) { return s > 3000 || s < -3000; });
    if (!audible) {
        throw NoAudibleSound(in.generic_string() + " holds no audible sound");
    }
}

void convertSchoolRecording(const Tools& tools, const fs::path& recording, const fs::path& out) {
    if (!content::looksLikeWav(recording)) {
        throw content::ContentProblem(content::notAWavRecording(recording));
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

void buildClip(const Tools& tools, const ClipJob& job) {
    const std::string source = readBytes(job.textFile);
    std::string memo;
    std::string speech;
    try {
        memo = memoText(source);
        speech = speechText(source);
    } catch (const std::exception& error) {
        throw std::runtime_error(job.textFile.string() + ": " + error.what());
    }

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
