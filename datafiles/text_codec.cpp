#include "datafiles/text_codec.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace hc {

namespace {

// Characters of the bytes 0x80 to 0x9F; the rest of Windows-1252 is Latin-1. The five bytes
// the code page leaves undefined map to the C1 control of the same number.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one character at `pos` and moves past it. Malformed input (a stray continuation
// byte, a truncated or overlong sequence, a surrogate, a value above U+10FFFF) gives
// U+FFFD and moves past one byte.
char32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (text.size() - pos < static_cast<std::size_t>(extra) + 1) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return c;
}

// The Windows-1252 byte of a character, or -1 when it has none.
int cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<int>(c);
    }
    const auto* found = std::find(kHighControls.begin(), kHighControls.end(), c);
    if (found == kHighControls.end()) {
        return -1;
    }
    return 0x80 + static_cast<int>(found - kHighControls.begin());
}

} // namespace

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        if (byte >= 0x80 && byte < 0xA0) {
            appendUtf8(out, kHighControls[byte - 0x80]);
        } else {
            appendUtf8(out, byte);
        }
    }
    return out;
}

Cp1252Encoding utf8ToCp1252(std::string_view utf8) {
    Cp1252Encoding result;
    result.bytes.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t c = nextCodePoint(utf8, pos);
        const int byte = c == kReplacement ? -1 : cp1252Byte(c);
        if (byte >= 0) {
            result.bytes += static_cast<char>(byte);
            continue;
        }
        result.bytes += '?';
        // A malformed sequence is shown as U+FFFD, a real character as itself.
        std::string shown;
        appendUtf8(shown, c);
        if (result.unstorable.find(shown) == std::string::npos) {
            result.unstorable += shown;
        }
    }
    return result;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t start = pos;
        // Malformed input moves on by one byte; a real U+FFFD takes three.
        if (nextCodePoint(bytes, pos) == kReplacement && pos - start == 1) {
            return false;
        }
    }
    return true;
}

std::string nativePath(std::string_view storedPath) {
    std::string path = cp1252ToUtf8(storedPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace hc
