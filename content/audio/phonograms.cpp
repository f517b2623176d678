#include "phonograms.h"

#include "process.h"
#include "wav_io.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <system_error>

namespace hc::audio {
namespace fs = std::filesystem;

// Sounds in espeak-ng's en-us phonemes. Stops and other sounds that cannot be held are said
// with the shortest neutral vowel after them ("b@", "buh"), as teachers say them; sounds
// that can be held are held ("mmm", "sss"), because a single one is too short to hear.
// The key: a (cat), eI (cake), A: (father), E (bed), i: (be), I (it), aI (ice), 0 (hot),
// oU (go), u: (do), U (put), V (up), ju: (use), aU (out), OI (boy), 3: (her), A@ (car),
// O@ (for), O: (saw), S (ship), Z (vision), T (thin), D (this), N (sing), tS (chin),
// dZ (jam), j (yes).
const std::array<PhonogramSounds, 70> kPhonograms = {{
    {"a", "a|eI|A:"},     {"b", "b@"},
    {"c", "k@|sss"},      {"d", "d@"},
    {"e", "E|i:"},        {"f", "fff"},
    {"g", "g@|dZ@"},      {"h", "h@"},
    {"i", "I|aI|i:|j@"},  {"j", "dZ@"},
    {"k", "k@"},          {"l", "lll"},
    {"m", "mmm"},         {"n", "nnn"},
    {"o", "0|oU|u:"},     {"p", "p@"},
    {"qu", "kw@"},        {"r", "r@"},
    {"s", "sss|zzz"},     {"t", "t@"},
    {"u", "V|ju:|u:|U"},  {"v", "vvv"},
    {"w", "w@"},          {"x", "ks"},
    {"y", "j@|I|aI|i:"},  {"z", "zzz"},
    {"sh", "SSS"},        {"ee", "i:"},
    {"th", "TTT|DDD"},    {"ow", "aU|oU"},
    {"ou", "aU|oU|u:|V"}, {"oo", "u:|U|oU"},
    {"ch", "tS@|k@|SSS"}, {"ar", "A@"},
    {"ay", "eI"},         {"ai", "eI"},
    {"oy", "OI"},         {"oi", "OI"},
    {"er", "3:"},         {"ir", "3:"},
    {"ur", "3:"},         {"wor", "w3:"},
    {"ear", "3:"},        {"ng", "NNN"},
    {"ea", "i:|E|eI"},    {"aw", "O:"},
    {"au", "O:"},         {"or", "O@"},
    {"ck", "k@"},         {"wh", "hw@"},
    {"ed", "Ed|d@|t@"},   {"ew", "u:|ju:"},
    {"ui", "u:"},         {"oa", "oU"},
    {"ey", "eI|i:|I"},    {"ei", "eI|i:|I"},
    {"ie", "i:"},         {"igh", "aI"},
    {"eigh", "eI"},       {"kn", "nnn"},
    {"gn", "nnn"},        {"wr", "r@"},
    {"ph", "fff"},        {"dge", "dZ@"},
    {"oe", "oU"},         {"gh", "g@"},
    {"ti", "SSS"},        {"si", "SSS|ZZZ"},
    {"ci", "SSS"},        {"ough", "oU|u:|V+fff|0+fff|aU|O:"},
}};

namespace {

// espeak-ng speaks at 22050 Hz; each sound is resampled to the recording's rate before it is
// trimmed and levelled, so that levels are judged on what the child will hear (the hiss of
// "f" and "th" lies largely above what 11025 Hz keeps).

// Below this a sample counts as silence when finding where a sound begins and ends (-40 dB).
constexpr int kSilence = 330;
// Each sound is levelled so its peak sits here, never amplified more than kMaxGain.
constexpr double kPeak = 0.70 * 32767;
constexpr double kMaxGain = 8.0;

int samplesFor(double seconds, int rate) {
    return static_cast<int>(std::lround(seconds * rate));
}

std::vector<std::string_view> splitSounds(std::string_view sounds) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = sounds.find('|', start);
        parts.push_back(sounds.substr(start, bar - start));
        if (bar == std::string_view::npos) {
            return parts;
        }
        start = bar + 1;
    }
}

// One part of a sound as espeak-ng says it, at the recording's rate, trimmed to where it is
// audible (plus 10 ms) and levelled, with 8 ms fades so that neither end clicks.
std::vector<double> speakPart(const Tools& tools, std::string_view phonemes,
                              const fs::path& scratch) {
    const fs::path spokenFile = fs::path(scratch.string() + ".22050.wav");
    runProgram({tools.espeak, "-v", "en-us+f3", "-s", "120", "-w", spokenFile.string(),
                "[[" + std::string(phonemes) + "]]"});
    runProgram({tools.sox, "-D", "-R", "-V2", spokenFile.string(), "-r", std::to_string(kClipRate),
                "-b", "16", "-e", "signed-integer", "-t", "wav", scratch.string()});
    fs::remove(spokenFile);
    const MonoSound spoken = readMonoWav(scratch);
    if (spoken.sampleRate != kClipRate) {
        throw std::runtime_error("sox wrote " + std::to_string(spoken.sampleRate) + " Hz");
    }
    const auto& s = spoken.samples;
    auto loud = [](std::int16_t v) { return v > kSilence || v < -kSilence; };
    const auto first = std::find_if(s.begin(), s.end(), loud);
    if (first == s.end()) {
        throw std::runtime_error("espeak-ng said nothing for [[" + std::string(phonemes) + "]]");
    }
    const auto last = std::find_if(s.rbegin(), s.rend(), loud).base();
    const std::ptrdiff_t pad = samplesFor(0.010, kClipRate);
    const std::ptrdiff_t begin = std::max<std::ptrdiff_t>(0, (first - s.begin()) - pad);
    const std::ptrdiff_t end =
        std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(s.size()), (last - s.begin()) + pad);
    std::vector<double> sound(s.begin() + begin, s.begin() + end);

    double peak = 1;
    for (double v : sound) {
        peak = std::max(peak, std::abs(v));
    }
    const double gain = std::min(kMaxGain, kPeak / peak);
    const auto fade = std::min<std::size_t>(samplesFor(0.008, kClipRate), sound.size() / 2);
    for (std::size_t i = 0; i < sound.size(); ++i) {
        double v = sound[i] * gain;
        const std::size_t fromEnd = sound.size() - 1 - i;
        if (i < fade) {
            v *= static_cast<double>(i) / static_cast<double>(fade);
        } else if (fromEnd < fade) {
            v *= static_cast<double>(fromEnd) / static_cast<double>(fade);
        }
        sound[i] = v;
    }
    return sound;
}

// A sound, from parts joined by '+' ("V+fff": /u/ then /f/). Each part is levelled on its
// own, so a soft consonant after a vowel is as audible as the vowel.
std::vector<double> speakSound(const Tools& tools, std::string_view phonemes,
                               const fs::path& scratch) {
    std::vector<double> sound;
    std::size_t start = 0;
    while (true) {
        const std::size_t plus = phonemes.find('+', start);
        if (!sound.empty()) {
            sound.resize(sound.size() + samplesFor(0.02, kClipRate), 0.0);
        }
        const std::vector<double> part =
            speakPart(tools, phonemes.substr(start, plus - start), scratch);
        sound.insert(sound.end(), part.begin(), part.end());
        if (plus == std::string_view::npos) {
            return sound;
        }
        start = plus + 1;
    }
}

double rms(const std::vector<std::int16_t>& s, int from, int to) {
    double sum = 0;
    for (int i = from; i < to; ++i) {
        sum += static_cast<double>(s[i]) * s[i];
    }
    return to > from ? std::sqrt(sum / (to - from)) : 0;
}

// The promises the puzzle relies on, checked on the recording as it was written.
void checkRanges(const std::vector<PhonogramRange>& ranges, const MonoSound& sound) {
    const int edge = samplesFor(0.02, kClipRate);
    int previousEnd = 0;
    for (const PhonogramRange& range : ranges) {
        const std::string what = "phonogram \"" + range.text + "\"";
        if (range.start < previousEnd || range.end <= range.start ||
            range.end > static_cast<int>(sound.samples.size())) {
            throw std::runtime_error(what + ": range out of order or outside the recording");
        }
        if (rms(sound.samples, range.start, range.end) < 500) {
            throw std::runtime_error(what + ": range is nearly silent");
        }
        if (rms(sound.samples, range.start, range.start + edge) > 30 ||
            rms(sound.samples, range.end - edge, range.end) > 30) {
            throw std::runtime_error(what + ": range edge cuts into a sound");
        }
        previousEnd = range.end;
    }
}

} // namespace

std::string phonogramTable(const std::vector<PhonogramRange>& ranges) {
    std::string table;
    for (const PhonogramRange& range : ranges) {
        const std::string line = range.text + "\t" + std::to_string(range.start) + "\t" +
                                 std::to_string(range.end) + "\r\n";
        if (range.text.empty() || range.text.size() > 11 || line.size() > 104) {
            throw std::runtime_error("phonogram \"" + range.text + "\" does not fit the table");
        }
        table += line;
    }
    return table;
}

void buildPhonograms(const Tools& tools, const fs::path& wavOut, const fs::path& tableOut) {
    const fs::path scratch = fs::path(wavOut.string() + ".sound.wav");
    std::vector<double> recording(samplesFor(kLeadIn, kClipRate), 0.0);
    std::vector<PhonogramRange> ranges;
    auto silence = [&](double seconds) {
        recording.resize(recording.size() + samplesFor(seconds, kClipRate), 0.0);
    };
    try {
        for (const PhonogramSounds& phonogram : kPhonograms) {
            PhonogramRange range;
            range.text = std::string(phonogram.text);
            range.start = static_cast<int>(recording.size());
            silence(kRangeMargin);
            bool first = true;
            for (std::string_view phonemes : splitSounds(phonogram.sounds)) {
                if (!first) {
                    silence(kBetweenSounds);
                }
                first = false;
                const std::vector<double> sound = speakSound(tools, phonemes, scratch);
                recording.insert(recording.end(), sound.begin(), sound.end());
            }
            silence(kRangeMargin);
            range.end = static_cast<int>(recording.size());
            ranges.push_back(range);
            silence(kBetweenRanges);
        }
        MonoSound full{kClipRate, {}};
        full.samples.reserve(recording.size());
        for (double v : recording) {
            full.samples.push_back(
                static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L)));
        }
        checkRanges(ranges, full);
        const fs::path wavPart = fs::path(wavOut.string() + ".part");
        const fs::path tablePart = fs::path(tableOut.string() + ".part");
        writeMonoWav(wavPart, full);
        writeBytes(tablePart, phonogramTable(ranges));
        fs::rename(wavPart, wavOut);
        fs::rename(tablePart, tableOut);
    } catch (...) {
        std::error_code ignored;
        fs::remove(scratch, ignored);
        throw;
    }
    fs::remove(scratch);
}

} // namespace hc::audio
