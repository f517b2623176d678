#include "clip_text.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace hc::audio {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Paragraphs of words. A line holding only blanks ends a paragraph.
std::vector<std::vector<std::string>> paragraphs(std::string_view source) {
    std::vector<std::vector<std::string>> result(1);
    std::size_t lineStart = 0;
    while (lineStart <= source.size()) {
        std::size_t lineEnd = source.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) {
            lineEnd = source.size();
        }
        const std::string_view line = source.substr(lineStart, lineEnd - lineStart);
        bool blank = true;
        std::string word;
        for (char c : line) {
            if (isSpace(c)) {
                if (!word.empty()) {
                    result.back().push_back(word);
                    word.clear();
                }
            } else {
                blank = false;
                word += c;
            }
        }
        if (!word.empty()) {
            result.back().push_back(word);
        }
        if (blank && !result.back().empty()) {
            result.emplace_back();
        }
        lineStart = lineEnd + 1;
    }
    if (result.back().empty()) {
        result.pop_back();
    }
    if (result.empty()) {
        throw std::runtime_error("the clip's text holds no words");
    }
    return result;
}

std::string codePointName(unsigned long cp) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04lX", cp);
    return name;
}

// UTF-8 to 8-bit text (Latin-1 range only).
std::string toEightBit(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        unsigned long cp = 0;
        std::size_t length = 1;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F;
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F;
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07;
            length = 4;
        } else {
            throw std::runtime_error("the clip's text is not valid UTF-8");
        }
        if (utf8.size() - i < length) {
            throw std::runtime_error("the clip's text is not valid UTF-8");
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                throw std::runtime_error("the clip's text is not valid UTF-8");
            }
            cp = cp << 6 | (next & 0x3F);
        }
        if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) {
            throw std::runtime_error("the clip's text holds the control character " +
                                     codePointName(cp));
        }
        if (cp > 0xFF) {
            throw std::runtime_error("the memo cannot show the character " + codePointName(cp) +
                                     " (only Latin-1 letters fit the 8-bit text)");
        }
        out.push_back(static_cast<char>(cp));
        i += length;
    }
    return out;
}

} // namespace

std::string speechText(std::string_view source) {
    std::string text;
    for (const auto& paragraph : paragraphs(source)) {
        for (const std::string& word : paragraph) {
            text += (text.empty() ? "" : " ") + word;
        }
    }
    return text;
}

std::string memoText(std::string_view source, std::size_t width) {
    std::string memo;
    bool firstParagraph = true;
    for (const auto& paragraph : paragraphs(source)) {
        if (!firstParagraph) {
            memo += "\r\n";
        }
        firstParagraph = false;
        std::string line;
        for (const std::string& utf8Word : paragraph) {
            const std::string word = toEightBit(utf8Word);
            if (!line.empty() && line.size() + 1 + word.size() > width) {
                memo += line + "\r\n";
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
        }
        memo += line + "\r\n";
    }
    return memo;
}

} // namespace hc::audio
