#pragma once

// The rules of the options form that need no widgets: reading the number fields back, what the
// student program can use, the word counter's wording, what the data files can store, what an
// import reads and when Exit writes the word list.
// Texts here are UTF-8, as the fields hold them; stored texts are Windows-1252.

#include "datafiles/file_ops.h"
#include "datafiles/settings.h"
#include "datafiles/word_list.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hc {

// A decimal number as a teacher types it: blanks around it, a sign, digits with a point or a
// comma as the decimal separator, an exponent ("1e2"). Nothing when the text is not such a
// number or the value does not fit a float.
std::optional<float> parseDecimalField(std::string_view text);
// A whole number: blanks around it, a sign, digits; nothing when it does not fit an int32.
std::optional<int> parseWholeField(std::string_view text);

// "'%s' is not a valid floating point value" and "'%s' is not a valid integer value".
std::string invalidFloatMessage(std::string_view text);
std::string invalidIntegerMessage(std::string_view text);

// The counter of the word list page for a memo of `lines` lines: "No Words", "1 Word",
// "n Words".
std::string wordCountText(int lines);

// The lines of a memo's text ('\n' between lines) as the memo counts them: an empty text has
// none, and the empty line after a final line end is not one.
std::vector<std::string> memoLines(std::string_view text);

// The values of the Spelling Test and Phonogram Puzzle pages, as read from their fields.
struct TestValues {
    float wordDelay = 0;
    int getPercent = 0;
    int improvePercent = 0;
    float spellWeight = 0;
    float phonoWeight = 0;
};

// Values the student program cannot work with: a word shown for less than half a second or
// more than a minute, a percentage outside 0 to 100, a negative weight, both weights 0 (the
// overall score divides by their sum). The message names the field; nothing when all is well.
std::optional<std::string> testValuesProblem(const TestValues& values);

// The record that a damaged OPTIONS.DAT left (a wrong signature or checksum, or a short file
// that still held the password), made sound for the form: the signature put right, and every
// field the file did not supply whole, or whose value the form would refuse, set to its
// default. So what was read shows in the form, and Exit without retyping writes a file both
// programs read again.
SettingsRecord repairedSettings(const SettingsRecord& read, const SettingsLoad& load);

// A password holds only 7-bit characters: the file keeps 7 bits of each, so any other could
// never be typed back.
bool isStorablePassword(std::string_view utf8);

// The memo's lines in the word list file's encoding (Windows-1252 unless the list was read as
// UTF-8), or the first line that holds a character the file cannot store.
struct EncodedWordList {
    std::vector<std::string> lines; // the bytes to store, complete only when ok()
    int badLine = 0;                // 1-based line of the memo; 0 when all can be stored
    std::string unstorable;         // UTF-8: the characters of that line that cannot be stored
    bool ok() const { return badLine == 0; }
};
EncodedWordList encodeWordList(const std::vector<std::string>& utf8Lines,
                               WordListEncoding encoding = WordListEncoding::Windows1252);
// "Line N of the word list holds characters the word list file cannot store: X".
std::string unstorableLineMessage(const EncodedWordList& encoded);

// What importing the word list at the native `path` puts in the memo: its lines in UTF-8, '\n'
// between them. Lists from today's editors are UTF-8, the program's own Windows-1252: each is
// read as what it is (the words are still written in the encoding of the list they replace).
// A file that cannot be read gives "Can't open file PATH" and no words.
struct ImportedWords {
    std::string memoText;
    std::string problem; // empty when the file was read
    bool ok() const { return problem.empty(); }
};
ImportedWords importWordList(FileOps& ops, const std::string& path);

// Whether Exit writes the memo's words to `target`, the list the Word List file field names:
// always when no such file exists yet (a new list starts from them); otherwise only when it is
// `wordsFile`, the file the words belong to (empty when they belong to none), and the teacher
// changed them (or saved them on leaving the page). So a list nobody edited is never rewritten
// and another list is never replaced by these words.
bool exitWritesWordList(std::string_view target, bool targetExists, std::string_view wordsFile,
                        bool edited);

// A path typed into a file-name field, as the settings store it (Windows-1252, at most 255
// bytes), or the reason it cannot be stored, naming the field by `label`. An empty field is
// refused unless `mayBeEmpty` (no floppy file: the Users page's toggle then lists nothing);
// it is stored as an empty path.
struct StoredPath {
    std::string bytes;
    std::string problem; // empty when the path can be stored
    bool ok() const { return problem.empty(); }
};
StoredPath storedPathOf(std::string_view utf8Path, std::string_view label, bool mayBeEmpty = false);

} // namespace hc
