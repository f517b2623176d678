// Reading a word list and the 8-bit text codec on arbitrary bytes: never a crash, and the
// written form is stable (writing what was read back gives the same bytes).

#include "datafiles/text_codec.h"
#include "datafiles/word_list.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = hc::parseWordList(bytes);
    const std::string written = hc::formatWordList(lines);
    if (hc::formatWordList(hc::parseWordList(written)) != written) {
        std::abort();
    }
    // Windows-1252 survives a trip through UTF-8 unchanged (up to a zero byte, as text ends).
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    const hc::Cp1252Encoding back = hc::utf8ToCp1252(hc::cp1252ToUtf8(text));
    if (!back.ok() || back.bytes != text) {
        std::abort();
    }
    // Arbitrary bytes taken as UTF-8 never break the encoder.
    const hc::Cp1252Encoding encoded = hc::utf8ToCp1252(bytes);
    if (encoded.ok() && !hc::isValidUtf8(bytes)) {
        std::abort();
    }
    return 0;
}
