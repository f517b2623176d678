#include "options/form_rules.h"

#include "datafiles/file_ops.h"
#include "datafiles/settings.h"
#include "datafiles/text_codec.h"
#include "datafiles/usable_settings.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace hc {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Moves past a run of digits; the number of digits passed.
std::size_t skipDigits(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && isDigit(text[pos])) {
        ++pos;
    }
    return pos - start;
}

} // namespace

std::optional<float> parseDecimalField(std::string_view text) {
    text = trimmed(text);
    // Checked by hand first, so that what from_chars accepts (inf, nan, hex floats) is not
    // taken, and the comma can be turned into the point it reads.
    std::string number(text);
    std::size_t pos = 0;
    if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) {
        ++pos;
    }
    std::size_t digits = skipDigits(number, pos);
    if (pos < number.size() && (number[pos] == '.' || number[pos] == ',')) {
        number[pos] = '.';
        ++pos;
        digits += skipDigits(number, pos);
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
        ++pos;
        if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) {
            ++pos;
        }
        if (skipDigits(number, pos) == 0) {
            return std::nullopt;
        }
    }
    if (pos != number.size()) {
        return std::nullopt;
    }
    const char* first = number.data();
    if (*first == '+') {
        ++first; // from_chars takes no plus sign
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value) ||
        std::fabs(value) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}

std::optional<int> parseWholeField(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string invalidFloatMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid floating point value";
}

std::string invalidIntegerMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::string wordCountText(int lines) {
    if (lines <= 0) {
        return "No Words";
    }
    if (lines == 1) {
        return "1 Word";
    }
    return std::to_string(lines) + " Words";
}

std::vector<std::string> memoLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

namespace {

bool wordDelayOk(float seconds) {
    return seconds >= kWordDelayMin && seconds <= kWordDelayMax;
}

bool percentOk(int percent) {
    return percent >= kPercentMin && percent <= kPercentMax;
}

bool weightOk(float weight) {
    return std::isfinite(weight) && weight >= kWeightMin;
}

} // namespace

std::optional<std::string> testValuesProblem(const TestValues& v) {
    // The same ranges that the student program holds a hand-made file to.
    if (!wordDelayOk(v.wordDelay)) {
        return "The number of seconds a word is visible must be from 0.5 to 60.";
    }
    if (!percentOk(v.getPercent)) {
        return "The percentage for \"the student scores at least\" must be from 0 to 100.";
    }
    if (!percentOk(v.improvePercent)) {
        return "The percentage for \"the student reduces their errors by\" must be from 0 to 100.";
    }
    if (!weightOk(v.spellWeight)) {
        return "The Spelling Test weight must not be negative.";
    }
    if (!weightOk(v.phonoWeight)) {
        return "The Phonogram Puzzle weight must not be negative.";
    }
    if (v.spellWeight == 0 && v.phonoWeight == 0) {
        return "The Spelling Test weight and the Phonogram Puzzle weight cannot both be 0.";
    }
    return std::nullopt;
}

SettingsRecord repairedSettings(const SettingsRecord& read, const SettingsLoad& load) {
    SettingsRecord sound = defaultSettings();
    // Each field is taken over only when the file held all of it and the form accepts it.
    const auto held = [&load, &read](const auto& field) {
        const auto* start = reinterpret_cast<const char*>(&field);
        const auto offset = static_cast<std::size_t>(start - reinterpret_cast<const char*>(&read));
        return load.holds(offset, sizeof field);
    };
    if (held(read.Password)) {
        setPassword(sound, password(read));
    }
    const struct {
        const char (&from)[256];
        char (&to)[256];
        bool mayBeEmpty;
    } paths[] = {{read.HDfile, sound.HDfile, false},
                 {read.FloppyFile, sound.FloppyFile, true},
                 {read.WordFile, sound.WordFile, false}};
    for (const auto& path : paths) {
        const std::string text = textOf(path.from);
        if (held(path.from) && storedPathOf(cp1252ToUtf8(text), "", path.mayBeEmpty).ok()) {
            setText(path.to, text);
        }
    }
    if (held(read.WordDelay) && wordDelayOk(read.WordDelay)) {
        sound.WordDelay = read.WordDelay;
    }
    if (held(read.ImproveMode)) {
        sound.ImproveMode = read.ImproveMode != 0 ? 1 : 0;
    }
    if (held(read.GetPercent) && percentOk(read.GetPercent)) {
        sound.GetPercent = read.GetPercent;
    }
    if (held(read.ImprovePercent) && percentOk(read.ImprovePercent)) {
        sound.ImprovePercent = read.ImprovePercent;
    }
    if (held(read.SpellWeight) && weightOk(read.SpellWeight)) {
        sound.SpellWeight = read.SpellWeight;
    }
    if (held(read.PhonoWeight) && weightOk(read.PhonoWeight)) {
        sound.PhonoWeight = read.PhonoWeight;
    }
    // Both 0 is refused (the overall score divides by their sum).
    if (sound.SpellWeight == 0 && sound.PhonoWeight == 0) {
        sound.SpellWeight = sound.PhonoWeight = 1.0f;
    }
    return sound;
}

bool isStorablePassword(std::string_view utf8) {
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) > 127) {
            return false;
        }
    }
    return true;
}

EncodedWordList encodeWordList(const std::vector<std::string>& utf8Lines,
                               WordListEncoding encoding) {
    EncodedWordList result;
    if (encoding != WordListEncoding::Windows1252) {
        // UTF-8 stores every character the memo can hold.
        result.lines = utf8Lines;
        return result;
    }
    result.lines.reserve(utf8Lines.size());
    for (std::size_t i = 0; i < utf8Lines.size(); ++i) {
        Cp1252Encoding line = utf8ToCp1252(utf8Lines[i]);
        if (!line.ok()) {
            result.badLine = static_cast<int>(i + 1);
            result.unstorable = std::move(line.unstorable);
            return result;
        }
        result.lines.push_back(std::move(line.bytes));
    }
    return result;
}

std::string unstorableLineMessage(const EncodedWordList& encoded) {
    return "Line " + std::to_string(encoded.badLine) +
           " of the word list holds characters the word list file cannot store: " +
           encoded.unstorable;
}

ImportedWords importWordList(FileOps& ops, const std::string& path) {
    const WordListLoad words = loadWordList(ops, path);
    ImportedWords result;
    if (!words.opened) {
        result.problem = "Can't open file " + path;
        return result;
    }
    for (std::size_t i = 0; i < words.text.size(); ++i) {
        if (i > 0) {
            result.memoText += '\n';
        }
        result.memoText += words.text[i];
    }
    return result;
}

bool exitWritesWordList(std::string_view target, bool targetExists, std::string_view wordsFile,
                        bool edited) {
    if (!targetExists) {
        return true;
    }
    return edited && !wordsFile.empty() && target == wordsFile;
}

StoredPath storedPathOf(std::string_view utf8Path, std::string_view label, bool mayBeEmpty) {
    StoredPath result;
    const std::string field = "\"" + std::string(label) + "\"";
    if (trimmed(utf8Path).empty()) {
        if (!mayBeEmpty) {
            result.problem = "Please enter a file name for " + field + ".";
        }
        return result;
    }
    Cp1252Encoding encoded = utf8ToCp1252(utf8Path);
    if (!encoded.ok()) {
        result.problem = "The file name for " + field +
                         " holds characters that cannot be stored: " + encoded.unstorable;
        return result;
    }
    if (encoded.bytes.size() > sizeof(SettingsRecord::WordFile) - 1) {
        result.problem = "The file name for " + field + " is too long: at most " +
                         std::to_string(sizeof(SettingsRecord::WordFile) - 1) +
                         " characters can be stored.";
        return result;
    }
    // The lock and replacement files beside a data file are named after it: a name that leaves
    // them no room would let nobody change the file ("Can't open file" at every login).
    const std::string native = nativePath(encoded.bytes);
    const std::size_t slash = native.find_last_of('/');
    const std::size_t nameLength =
        slash == std::string::npos ? native.size() : native.size() - slash - 1;
    if (nameLength > kDataFileNameMax) {
        result.problem = "The file name for " + field +
                         " is too long for the files kept beside it: the name after the last "
                         "folder can have at most " +
                         std::to_string(kDataFileNameMax) +
                         " characters (an accented letter counts as two).";
        return result;
    }
    result.bytes = std::move(encoded.bytes);
    return result;
}

} // namespace hc
