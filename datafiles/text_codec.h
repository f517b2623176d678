#pragma once

// The data files hold 8-bit text in Windows-1252; the user interface and the terminal use
// UTF-8. These convert at that edge.

#include <string>
#include <string_view>

namespace hc {

// Windows-1252 bytes to UTF-8. Every byte has a character, so nothing is lost: the five bytes
// that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+0081 and so on,
// and convert back to the same bytes.
std::string cp1252ToUtf8(std::string_view bytes);

struct Cp1252Encoding {
    std::string bytes;      // the text in Windows-1252, '?' in place of what cannot be stored
    std::string unstorable; // UTF-8: each character that cannot be stored, once, in order
    bool ok() const { return unstorable.empty(); }
};

// UTF-8 to Windows-1252. Characters outside Windows-1252 (and bytes that are not valid UTF-8,
// reported as U+FFFD) cannot be stored; they are listed in `unstorable`.
Cp1252Encoding utf8ToCp1252(std::string_view utf8);

// True when `bytes` are valid UTF-8 (plain ASCII included).
bool isValidUtf8(std::string_view bytes);

// A path as the data files store it (Windows-1252, a backslash or a slash between folders) as a
// native path: UTF-8 with slashes.
std::string nativePath(std::string_view storedPath);

} // namespace hc
