#include "clip_text.h"

#include <cstdio>
#include <stdexcept>
#include <utility>
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
        throw ClipTextProblem(ClipTextProblem::Kind::NoWords, "the clip's text holds no words");
    }
    return result;
}

std::string codePointName(unsigned long cp) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04lX", cp);
    return name;
}

// The characters Windows-1252 keeps in 0x80..0x9F. Word processors put the typographic
// ones (curly quotes, dashes, the ellipsis) into text without asking.
char windows1252Extra(unsigned long cp) {
    static constexpr struct {
        unsigned long cp;
        unsigned char byte;
    } kExtras[] = {{0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85},
                   {0x2020, 0x86}, {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A},
                   {0x2039, 0x8B}, {0x0152, 0x8C}, {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92},
                   {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97},
                   {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C},
                   {0x017E, 0x9E}, {0x0178, 0x9F}};
    for (const auto& extra : kExtras) {
        if (extra.cp == cp) {
            return static_cast<char>(extra.byte);
        }
    }
    return 0;
}

// UTF-8 to 8-bit Windows-1252 text, the encoding of the program's text files.
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
            throw ClipTextProblem(ClipTextProblem::Kind::NotText,
                                  "the clip's text is not valid UTF-8");
        }
        if (utf8.size() - i < length) {
            throw ClipTextProblem(ClipTextProblem::Kind::NotText,
                                  "the clip's text is not valid UTF-8");
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                throw ClipTextProblem(ClipTextProblem::Kind::NotText,
                                      "the clip's text is not valid UTF-8");
            }
            cp = cp << 6 | (next & 0x3F);
        }
        if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) {
            throw ClipTextProblem(
                ClipTextProblem::Kind::NotText,
                "the clip's text holds the control character " + codePointName(cp), cp);
        }
        if (cp > 0xFF) {
            const char byte = windows1252Extra(cp);
            if (byte == 0) {
                throw ClipTextProblem(ClipTextProblem::Kind::Unshowable,
                                      "the memo cannot show the character " + codePointName(cp) +
                                          " (it has no place in Windows-1252 text)",
                                      cp);
            }
            out.push_back(byte);
        } else {
            out.push_back(static_cast<char>(cp));
        }
        i += length;
    }
    return out;
}

} // namespace

std::string speechText(std::string_view source) {
    // The synthesiser reads ASCII punctuation only; curly quotes and dashes from a word
    // processor would be spelled out or dropped.
    static constexpr std::pair<std::string_view, std::string_view> kPlain[] = {
        {"\u2018", "'"},  {"\u2019", "'"},  {"\u201C", "\""}, {"\u201D", "\""},
        {"\u2013", ", "}, {"\u2014", ", "}, {"\u2026", "..."}};
    std::string text;
    for (const auto& paragraph : paragraphs(source)) {
        for (std::string word : paragraph) {
            for (const auto& [fancy, plain] : kPlain) {
                for (std::size_t at; (at = word.find(fancy)) != std::string::npos;) {
                    word.replace(at, fancy.size(), plain);
                }
            }
            text += (text.empty() ? "" : " ") + word;
        }
    }
    return text;
}

std::string memoText(std::string_view source) {
    std::string memo;
    bool firstParagraph = true;
    for (const auto& paragraph : paragraphs(source)) {
        if (!firstParagraph) {
            memo += "\r\n";
        }
        firstParagraph = false;
        std::string line;
        for (const std::string& utf8Word : paragraph) {
            line += (line.empty() ? "" : " ") + toEightBit(utf8Word);
        }
        memo += line + "\r\n";
    }
    return memo;
}

} // namespace hc::audio
