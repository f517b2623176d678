#include "datafiles/word_list.h"

#include "datafiles/file_ops.h"
#include "datafiles/text_codec.h"

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

WordListLoad loadWordList(FileOps& ops, const std::string& path) {
    WordListLoad result;
    std::string bytes;
    if (readWholeFile(ops, path, "rb", bytes) != ReadStatus::Ok) {
        return result;
    }
    result.opened = true;
    result.lines = parseWordList(bytes);
    return result;
}

WordListLoad loadWordList(std::string_view storedPath) {
    return loadWordList(FileOps::system(), nativePath(storedPath));
}

WordListSaveResult saveWordList(FileOps& ops, const std::string& givenPath,
                                const std::vector<std::string>& lines) {
    // A word list reached through a link is rewritten where the link leads.
    const std::string path = resolvedPath(givenPath);
    switch (replaceFile(ops, path, formatWordList(lines), uniqueSideFilePath(path))) {
    case ReplaceStatus::Ok:
        return WordListSaveResult::Ok;
    case ReplaceStatus::CantCreate:
        return WordListSaveResult::CantCreate;
    case ReplaceStatus::CantWrite:
        return WordListSaveResult::CantWrite;
    }
    return WordListSaveResult::CantWrite;
}

WordListSaveResult saveWordList(std::string_view storedPath,
                                const std::vector<std::string>& lines) {
    return saveWordList(FileOps::system(), nativePath(storedPath), lines);
}

std::string wordListSaveMessage(WordListSaveResult result, std::string_view path) {
    switch (result) {
    case WordListSaveResult::Ok:
        return {};
    case WordListSaveResult::CantCreate:
        return "Can't create file " + std::string(path);
    case WordListSaveResult::CantWrite:
        return "Can't write to file " + std::string(path) + " (disk full?)";
    }
    return {};
}

} // namespace hc
