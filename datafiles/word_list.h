#pragma once

// The spelling word list: a plain 8-bit text file, one test item a line.

#include <string>
#include <string_view>
#include <vector>

namespace hc {

class FileOps;

// Splits the text of a word list into its lines, unchanged: a line ends at CR LF, a lone CR or
// a lone LF; a zero byte ends the text; a last line without a line end still counts; a line end
// at the very end adds no line.
std::vector<std::string> parseWordList(std::string_view text);

// The bytes of a word list as the options program writes it: characters 32 and below cut from
// both ends of every line, lines then empty dropped, CR LF after every remaining line.
std::string formatWordList(const std::vector<std::string>& lines);

struct WordListLoad {
    bool opened = false; // false when the file cannot be opened or read (the lines are empty)
    std::vector<std::string> lines;
};

// Reads a word list given by native path.
WordListLoad loadWordList(FileOps& ops, const std::string& path);
// Same, for a path as the settings store it (WordFile).
WordListLoad loadWordList(std::string_view storedPath);

enum class WordListSaveResult { Ok, CantCreate, CantWrite };

// Writes `lines` as formatWordList gives them, replacing the file at a native path whole: a
// failure leaves the previous file untouched.
WordListSaveResult saveWordList(FileOps& ops, const std::string& path,
                                const std::vector<std::string>& lines);
// Same, for a path as the settings store it (WordFile).
WordListSaveResult saveWordList(std::string_view storedPath, const std::vector<std::string>& lines);

// A message for a failed save, naming the file: "Can't create file %s" or
// "Can't write to file %s (disk full?)".
std::string wordListSaveMessage(WordListSaveResult result, std::string_view path);

} // namespace hc
