#include "datafiles/word_list.h"

#include "datafiles/file_ops.h"
#include "datafiles/text_codec.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace hc {

std::vector<std::string> parseWordList(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c != '\r' && c != '\n') {
            ++pos;
            continue;
        }
        lines.emplace_back(text.substr(start, pos - start));
        pos += (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        start = pos;
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

std::string formatWordList(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        std::size_t first = 0;
        std::size_t last = line.size();
        while (first < last && isBlank(line[first])) {
            ++first;
        }
        while (last > first && isBlank(line[last - 1])) {
            --last;
        }
        if (first == last) {
            continue;
        }
        out.append(line, first, last - first);
        out += "\r\n";
    }
    return out;
}

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

WordListEncoding wordListEncodingOf(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark) && isValidUtf8(bytes.substr(kByteOrderMark.size()))) {
        return WordListEncoding::Utf8WithBom;
    }
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return !ascii && isValidUtf8(bytes) ? WordListEncoding::Utf8 : WordListEncoding::Windows1252;
}

std::vector<std::string> decodeWordList(std::string_view bytes, WordListEncoding encoding) {
    if (encoding == WordListEncoding::Utf8WithBom && bytes.starts_with(kByteOrderMark)) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    std::vector<std::string> lines = parseWordList(bytes);
    if (encoding == WordListEncoding::Windows1252) {
        for (std::string& line : lines) {
            line = cp1252ToUtf8(line);
        }
    }
    return lines;
}

WordListLoad loadWordList(FileOps& ops, const std::string& path) {
    WordListLoad result;
    std::string bytes;
    result.status =
        readWholeFile(ops, path, "rb", bytes, [](std::string_view) { return kWordListMaxBytes; });
    if (result.status != ReadStatus::Ok) {
        return result;
    }
    result.opened = true;
    result.encoding = wordListEncodingOf(bytes);
    std::string_view stored(bytes);
    if (result.encoding == WordListEncoding::Utf8WithBom) {
        stored.remove_prefix(kByteOrderMark.size());
    }
    result.lines = parseWordList(stored);
    result.text = decodeWordList(bytes, result.encoding);
    return result;
}

WordListLoad loadWordList(std::string_view storedPath) {
    return loadWordList(FileOps::system(), nativePath(storedPath));
}

WordListSaveResult saveWordList(FileOps& ops, const std::string& givenPath,
                                const std::vector<std::string>& lines, WordListEncoding encoding) {
    // A word list reached through a link is rewritten where the link leads.
    const std::string path = resolvedPath(givenPath);
    if (isSpecialFile(path)) {
        std::error_code error;
        return std::filesystem::is_directory(path, error) ? WordListSaveResult::Folder
                                                          : WordListSaveResult::NotAFile;
    }
    std::string bytes =
        encoding == WordListEncoding::Utf8WithBom ? std::string(kByteOrderMark) : std::string();
    bytes += formatWordList(lines);
    switch (replaceFile(ops, path, bytes, uniqueSideFilePath(path))) {
    case ReplaceStatus::Ok:
        return WordListSaveResult::Ok;
    case ReplaceStatus::CantCreate:
        return folderWritable(path) ? WordListSaveResult::CantCreate
                                    : WordListSaveResult::FolderNotWritable;
    case ReplaceStatus::CantWrite:
        return WordListSaveResult::CantWrite;
    }
    return WordListSaveResult::CantWrite;
}

WordListSaveResult saveWordList(std::string_view storedPath, const std::vector<std::string>& lines,
                                WordListEncoding encoding) {
    return saveWordList(FileOps::system(), nativePath(storedPath), lines, encoding);
}

std::string wordListSaveMessage(WordListSaveResult result, std::string_view path) {
    switch (result) {
    case WordListSaveResult::Ok:
        return {};
    case WordListSaveResult::CantCreate:
        return "Can't create file " + std::string(path);
    case WordListSaveResult::CantWrite:
        return "Can't write to file " + std::string(path) + " (disk full?)";
    case WordListSaveResult::Folder:
        return "Can't write to file " + std::string(path) + ": it is a folder";
    case WordListSaveResult::NotAFile:
        return "Can't write to file " + std::string(path) + ": it is not a regular file";
    case WordListSaveResult::FolderNotWritable:
        return "Can't write to file " + std::string(path) +
               ": this account may not write in its folder";
    }
    return {};
}

} // namespace hc
