#pragma once

// The spelling word list: a plain text file, one test item a line. The program writes new lists
// in Windows-1252; a list written in UTF-8 by an editor (with or without a byte-order mark) is
// read as UTF-8 and written back so.

#include "datafiles/file_ops.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hc {

// Splits the text of a word list into its lines, unchanged: a line ends at CR LF, a lone CR or
// a lone LF; a zero byte ends the text; a last line without a line end still counts; a line end
// at the very end adds no line.
std::vector<std::string> parseWordList(std::string_view text);

// The bytes of a word list as the options program writes it: characters 32 and below cut from
// both ends of every line, lines then empty dropped, CR LF after every remaining line.
std::string formatWordList(const std::vector<std::string>& lines);

// The encoding a word list is stored in.
enum class WordListEncoding {
    Windows1252, // the program's own lists, and any file that is not valid UTF-8
    Utf8,        // valid UTF-8 holding at least one character beyond ASCII
    Utf8WithBom, // valid UTF-8 after a byte-order mark, which is written back
};

// The encoding of a word list file's bytes. A file of plain ASCII without a byte-order mark is
// Windows-1252: the bytes are the same either way, and new characters then go into the
// program's own format.
WordListEncoding wordListEncodingOf(std::string_view bytes);

// The lines of a word list file's bytes in UTF-8, for the screens: the byte-order mark left
// out, Windows-1252 converted.
std::vector<std::string> decodeWordList(std::string_view bytes, WordListEncoding encoding);

// The largest word list read: far beyond any class's (a hundred thousand long lines), small
// enough that the programs never run out of memory on it.
inline constexpr std::size_t kWordListMaxBytes = 16 * 1024 * 1024;

struct WordListLoad {
    // False when the file cannot be opened or read: missing, not a regular file (a folder, a
    // FIFO, a device), unreadable, or larger than kWordListMaxBytes. All lines are then empty.
    bool opened = false;
    ReadStatus status = ReadStatus::CantOpen;
    WordListEncoding encoding = WordListEncoding::Windows1252; // as read; save in it
    std::vector<std::string> lines; // the lines as stored, unchanged bytes (see `encoding`)
    std::vector<std::string> text;  // the same lines in UTF-8, for the screens and the test
};

// Reads a word list given by native path. Never blocks (a FIFO is refused, not read).
WordListLoad loadWordList(FileOps& ops, const std::string& path);
// Same, for a path as the settings store it (WordFile).
WordListLoad loadWordList(std::string_view storedPath);

enum class WordListSaveResult { Ok, CantCreate, CantWrite, Folder, NotAFile, FolderNotWritable };

// Writes `lines` as formatWordList gives them, replacing the file at a native path whole: a
// failure leaves the previous file untouched. `lines` are the bytes to store: Windows-1252 for
// WordListEncoding::Windows1252, UTF-8 otherwise; with Utf8WithBom the file starts with the
// byte-order mark. A folder in the list's place gives Folder, anything else that is not a
// regular file (a FIFO, a device) NotAFile; both are left alone.
WordListSaveResult saveWordList(FileOps& ops, const std::string& path,
                                const std::vector<std::string>& lines,
                                WordListEncoding encoding = WordListEncoding::Windows1252);
// Same, for a path as the settings store it (WordFile).
WordListSaveResult saveWordList(std::string_view storedPath, const std::vector<std::string>& lines,
                                WordListEncoding encoding = WordListEncoding::Windows1252);

// A message for a failed save, naming the file: "Can't create file %s",
// "Can't write to file %s (disk full?)", "Can't write to file %s: it is a folder" or
// "Can't write to file %s: it is not a regular file" or
// "Can't write to file %s: this account may not write in its folder".
std::string wordListSaveMessage(WordListSaveResult result, std::string_view path);

} // namespace hc
