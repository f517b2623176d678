// Loading OPTIONS.DAT from arbitrary bytes: never a crash or an out-of-bounds read, and a file
// of the record's size that loads saves back to the same bytes.

#include "datafiles/settings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SettingsRecord settings = hc::defaultSettings();
    const OptionsFileResult result = hc::parseSettings(bytes, settings);
    if (result < OptionsFileOk || result > OptionsFileCorrupted) {
        std::abort();
    }
    const std::string password = hc::password(settings);
    if (password.size() > sizeof settings.Password) {
        std::abort();
    }
    // A good file of the record's size is exactly the record with its checksum: saving gives
    // the same bytes. (Longer files load too when the checksum covers the extra bytes.)
    if (result == OptionsFileOk && size == sizeof settings &&
        hc::settingsFileBytes(settings) != bytes) {
        std::abort();
    }
    return 0;
}
