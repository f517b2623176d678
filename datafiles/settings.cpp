#include "datafiles/settings.h"

#include "archive/file_checksum.h"
#include "datafiles/file_ops.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <span>
#include <unistd.h>

const char* const OptionsFileMessages[7] = {
    "OptionsFile Ok",
    "OptionsFile Error: Can't create file (disk full?)",
    "OptionsFile Error: Can't open file",
    "OptionsFile Error: Can't read file",
    "OptionsFile Error: Can't write to file (disk full?)",
    "OptionsFile Error: Corrupted file",
    "OptionsFile Error: This account may not write in the folder of OPTIONS.DAT",
};

const char* OptionsFileMessage(int result) {
    if (result < 0 || result > OptionsFileFolderNotWritable) {
        return OptionsFileMessages[OptionsFileCorrupted];
    }
    return OptionsFileMessages[result];
}

SettingsRecord Settings = {};

namespace hc {

namespace {

constexpr std::size_t kChecksumStart = offsetof(SettingsRecord, Password);

std::string& startDirectoryStorage() {
    static std::string directory;
    return directory;
}

// Makes the start directory current again, so "OPTIONS.DAT" is the one there.
void returnToStartDirectory() {
    const std::string& directory = startDirectoryStorage();
    if (!directory.empty()) {
        // A start directory that has gone leaves the current one in place; the open that
        // follows then reports what it finds.
        [[maybe_unused]] const int ignored = ::chdir(directory.c_str());
    }
}

} // namespace

SettingsRecord defaultSettings() {
    SettingsRecord settings;
    std::memset(&settings, 0, sizeof settings);
    setText(settings.Signature, kOptionsSignature);
    setText(settings.HDfile, "USERS.ERF");
    setText(settings.FloppyFile, "A:\\USERS.ERF");
    setText(settings.WordFile, "WORDLIST.TXT");
    settings.WordDelay = 2.0f;
    settings.ImproveMode = 0;
    settings.GetPercent = 90;
    settings.ImprovePercent = 25;
    settings.SpellWeight = 1.0f;
    settings.PhonoWeight = 1.0f;
    return settings;
}

void setPassword(SettingsRecord& settings, std::string_view password) {
    // A text with a zero byte ends there, as the field could not store what follows.
    password = password.substr(0, std::min(password.find('\0'), kPasswordMaxLength));
    static_assert(sizeof settings.Password == kPasswordMaxLength + 1);
    setText(settings.Password, password);
    for (std::size_t i = 0; i < password.size(); ++i) {
        settings.Password[i] = static_cast<char>(settings.Password[i] | 0x80);
    }
}

std::string password(const SettingsRecord& settings) {
    std::string text = textOf(settings.Password);
    for (char& c : text) {
        c = static_cast<char>(c & 0x7F);
    }
    return text;
}

std::string settingsFileBytes(const SettingsRecord& settings) {
    std::string bytes(reinterpret_cast<const char*>(&settings), sizeof settings);
    const auto tail = std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())
                          .subspan(kChecksumStart);
    const std::uint32_t checksum = crc32Bytes(tail);
    std::memcpy(bytes.data() + offsetof(SettingsRecord, Checksum), &checksum, sizeof checksum);
    return bytes;
}

OptionsFileResult parseSettings(std::string_view fileBytes, SettingsRecord& settings) {
    const std::size_t got = std::min(fileBytes.size(), sizeof settings);
    std::memcpy(&settings, fileBytes.data(), got);
    if (got < sizeof settings) {
        return OptionsFileCantRead;
    }
    // The signature must be the text and its zero byte; what follows the zero is not compared.
    if (std::memcmp(settings.Signature, kOptionsSignature.data(), kOptionsSignature.size()) != 0 ||
        settings.Signature[kOptionsSignature.size()] != '\0') {
        return OptionsFileCorrupted;
    }
    // The checksum covers everything from offset 260 to the end of the file, so bytes appended
    // after the record make it fail.
    const auto tail =
        std::span(reinterpret_cast<const unsigned char*>(fileBytes.data()), fileBytes.size())
            .subspan(kChecksumStart);
    if (crc32Bytes(tail) != settings.Checksum) {
        return OptionsFileCorrupted;
    }
    return OptionsFileOk;
}

OptionsFileResult OptionsFile::load(const std::string& path, SettingsRecord& settings) {
    return read(path, settings).result;
}

SettingsLoad OptionsFile::read(const std::string& path, SettingsRecord& settings) {
    SettingsLoad load;
    std::string bytes;
    // Far more than a settings file holds (anything past its record makes it corrupted), so
    // that a huge file is not read whole.
    constexpr std::size_t kLimit = 64 * 1024;
    switch (readWholeFile(m_ops, path, "rb", bytes, [](std::string_view) { return kLimit; })) {
    case ReadStatus::CantOpen:
        // Only a file that is not there means the defaults. One that is there but cannot be
        // opened (its permissions, a link loop, an I/O error) must not pass for missing: the
        // defaults would open the password gate and weight the scores wrongly.
        if (errno != ENOENT) {
            load.result = OptionsFileCantRead;
            return load;
        }
        settings = defaultSettings();
        load.missing = true;
        return load;
    case ReadStatus::CantRead:
        parseSettings(bytes, settings);
        load.result = OptionsFileCantRead;
        break;
    case ReadStatus::TooLarge:
        parseSettings(bytes, settings);
        load.result = OptionsFileCorrupted;
        break;
    case ReadStatus::Ok:
        load.result = parseSettings(bytes, settings);
        break;
    }
    load.bytesRead = std::min(bytes.size(), sizeof settings);
    return load;
}

OptionsFileResult OptionsFile::save(const std::string& givenPath, const SettingsRecord& settings) {
    // An OPTIONS.DAT reached through a link is rewritten where the link leads.
    const std::string path = resolvedPath(givenPath);
    if (isWriteLocked(path)) {
        return OptionsFileCantOpen;
    }
    switch (replaceFile(m_ops, path, settingsFileBytes(settings), uniqueSideFilePath(path))) {
    case ReplaceStatus::Ok:
        return OptionsFileOk;
    case ReplaceStatus::CantCreate:
        return folderWritable(path) ? OptionsFileCantOpen : OptionsFileFolderNotWritable;
    case ReplaceStatus::CantWrite:
        return OptionsFileCantWrite;
    }
    return OptionsFileCantWrite;
}

void setStartDirectory() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    startDirectoryStorage() = error ? std::string() : current.string();
}

void setStartDirectory(const std::string& directory) {
    startDirectoryStorage() = directory;
}

const std::string& startDirectory() {
    return startDirectoryStorage();
}

} // namespace hc

namespace hc {

bool optionsFileLocked() {
    returnToStartDirectory();
    return isWriteLocked(resolvedPath(std::string(kOptionsFileName)));
}

SettingsLoad loadSettings() {
    returnToStartDirectory();
    return OptionsFile(FileOps::system()).read(std::string(kOptionsFileName), Settings);
}

} // namespace hc

OptionsFileResult OptionsFileLoad() {
    return hc::loadSettings().result;
}

OptionsFileResult OptionsFileSave() {
    hc::returnToStartDirectory();
    return hc::OptionsFile(hc::FileOps::system()).save(std::string(hc::kOptionsFileName), Settings);
}

void SetPassword(std::string_view password) {
    hc::setPassword(Settings, password);
}

std::string GetPassword() {
    return hc::password(Settings);
}
