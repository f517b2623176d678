#pragma once

// OPTIONS.DAT and the process-wide settings record that mirrors it byte for byte.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

// The settings record: exactly the 1104 bytes of OPTIONS.DAT (little-endian integers, IEEE
// single-precision floats, NUL-terminated texts inside their fields).
struct SettingsRecord {
    char Signature[256];
    std::uint32_t Checksum; // CRC-32 of the file's bytes from offset 260 to its end
    char Password[50];      // each character with bit 7 set, then a zero byte; empty = none
    char HDfile[256];       // user file on hard disk or network
    char FloppyFile[256];   // user file on a floppy disk
    char WordFile[256];     // the spelling word list
    std::uint8_t Padding1[2];
    float WordDelay;          // seconds a test word stays visible
    std::uint8_t ImproveMode; // 0: reward at GetPercent; nonzero: reward for improving
    std::uint8_t Padding2[3];
    std::int32_t GetPercent;
    std::int32_t ImprovePercent;
    float SpellWeight;
    float PhonoWeight;
};

static_assert(std::endian::native == std::endian::little, "the data files are little-endian");
static_assert(std::is_trivially_copyable_v<SettingsRecord>);
static_assert(sizeof(SettingsRecord) == 1104);
static_assert(offsetof(SettingsRecord, Signature) == 0);
static_assert(offsetof(SettingsRecord, Checksum) == 256);
static_assert(offsetof(SettingsRecord, Password) == 260);
static_assert(offsetof(SettingsRecord, HDfile) == 310);
static_assert(offsetof(SettingsRecord, FloppyFile) == 566);
static_assert(offsetof(SettingsRecord, WordFile) == 822);
static_assert(offsetof(SettingsRecord, Padding1) == 1078);
static_assert(offsetof(SettingsRecord, WordDelay) == 1080);
static_assert(offsetof(SettingsRecord, ImproveMode) == 1084);
static_assert(offsetof(SettingsRecord, Padding2) == 1085);
static_assert(offsetof(SettingsRecord, GetPercent) == 1088);
static_assert(offsetof(SettingsRecord, ImprovePercent) == 1092);
static_assert(offsetof(SettingsRecord, SpellWeight) == 1096);
static_assert(offsetof(SettingsRecord, PhonoWeight) == 1100);

// Result of the OPTIONS.DAT operations; 0 is success. Each code has one fixed message.
enum OptionsFileResult : int {
    OptionsFileOk = 0,
    OptionsFileCantCreate = 1, // in the table, produced by no operation
    OptionsFileCantOpen = 2,
    OptionsFileCantRead = 3,
    OptionsFileCantWrite = 4,
    OptionsFileCorrupted = 5,
    // The new file cannot be made: this account may not write in the start directory.
    OptionsFileFolderNotWritable = 6,
};

// The messages of OptionsFileResult, indexed by code.
extern const char* const OptionsFileMessages[7];
// The message of a code; codes outside the table give the message of code 5.
const char* OptionsFileMessage(int result);

// The program's settings. Zero until the first OptionsFileLoad.
extern SettingsRecord Settings;

// Fills Settings from "OPTIONS.DAT" in the start directory, or with the defaults when there is
// no such file (result 0, no file is created). 3: the file is there but cannot be opened or
// read (its permissions, an I/O error; Settings is then unchanged), or is shorter than 1104
// bytes; 5: wrong signature or checksum. After a short file or 5 Settings holds whatever was
// read. hc::loadSettings() says how much that was.
OptionsFileResult OptionsFileLoad();
// Writes Settings to "OPTIONS.DAT" in the start directory with a fresh checksum (the in-memory
// Checksum is left as it is). The new file replaces the old one whole: a failure (2: the new
// file cannot be created, or the old one is locked against writing; 4: it cannot be written;
// 6: this account may not write in the start directory) leaves the old file as it was.
OptionsFileResult OptionsFileSave();
// Stores a password in Settings.Password: at most 49 characters, each with bit 7 set; a
// longer text is cut after its 49th character.
void SetPassword(std::string_view password);
// The stored password as plain text (bit 7 of every character cleared).
std::string GetPassword();

namespace hc {

inline constexpr std::string_view kOptionsFileName = "OPTIONS.DAT";
inline constexpr std::string_view kOptionsSignature = "QRV Honeycombwordsmiths Options File";
inline constexpr std::size_t kPasswordMaxLength = 49;

class FileOps;

// Stores text in a fixed text field of a record (a path of Settings, a name): cut so that the
// terminating zero always fits, the rest of the field zero. The screens refuse overlong texts
// earlier; this keeps a text that gets through from overrunning its field.
template <std::size_t N> void setText(char (&field)[N], std::string_view text) {
    text = text.substr(0, std::min(text.find('\0'), N - 1));
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size());
}

// The text of a fixed field: up to its zero byte, never past the field (a damaged file may
// fill it to the last byte).
template <std::size_t N> std::string textOf(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// The defaults used when there is no OPTIONS.DAT.
SettingsRecord defaultSettings();

// Password field coding, on any record.
void setPassword(SettingsRecord& settings, std::string_view password);
std::string password(const SettingsRecord& settings);

// The bytes of OPTIONS.DAT for a record: the record with the checksum of bytes 260..1103 put in.
std::string settingsFileBytes(const SettingsRecord& settings);

// Checks the bytes of an OPTIONS.DAT (the whole file) and copies what it holds into `settings`:
// as many of its first 1104 bytes as there are, so a short file leaves the rest unchanged.
OptionsFileResult parseSettings(std::string_view fileBytes, SettingsRecord& settings);

// What a load of OPTIONS.DAT put into the record, beyond its result code.
struct SettingsLoad {
    OptionsFileResult result = OptionsFileOk;
    bool missing = false;      // there was no file: the record holds the defaults
    std::size_t bytesRead = 0; // how many of the record's first bytes came from the file

    // Whether the record holds the password that guards these settings: the file's password
    // field was read whole, or there is no file (no password). When it does not, nobody can
    // tell which password the teacher set, so the settings must not be opened at all.
    bool passwordRead() const {
        return missing ||
               bytesRead >= offsetof(SettingsRecord, Password) + sizeof(SettingsRecord::Password);
    }
    // Whether `size` bytes at `offset` of the record came from the file (or are the defaults).
    bool holds(std::size_t offset, std::size_t size) const {
        return missing || offset + size <= bytesRead;
    }
};

// Loads and saves one OPTIONS.DAT, given by its full path, through `ops`.
class OptionsFile {
public:
    explicit OptionsFile(FileOps& ops) : m_ops(ops) {}

    OptionsFileResult load(const std::string& path, SettingsRecord& settings);
    SettingsLoad read(const std::string& path, SettingsRecord& settings);
    // A file that is locked against writing (isWriteLocked) is not replaced: 2.
    OptionsFileResult save(const std::string& path, const SettingsRecord& settings);

private:
    FileOps& m_ops;
};

// OptionsFileLoad, telling how much of the record came from the file.
SettingsLoad loadSettings();
// Whether OptionsFileSave would find OPTIONS.DAT locked against writing (read-only, or not
// writable by this account) and refuse it with 2.
bool optionsFileLocked();

// The start directory that OptionsFileLoad and OptionsFileSave make current again before they
// open "OPTIONS.DAT". Each program records it first thing at start; until then (and when it
// cannot be read) the settings code uses whatever directory is current.
void setStartDirectory();
void setStartDirectory(const std::string& directory);
const std::string& startDirectory();

} // namespace hc
