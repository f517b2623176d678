#include "temp_files.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <system_error>

#include "archive/erf_directory.h"
#include "archive/erf_entry_stream.h"
#include "archive/erf_reader.h"
#include "archive/error.h"

namespace hc {

namespace {

constexpr int kLastNumber = 65534;

bool matchesTempPattern(const std::string& name) {
    // "qrv*.???": the prefix, anything, a dot, exactly three characters.
    if (name.size() < 7) {
        return false;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const char c = name[i];
        const char want = "qrv"[i];
        if (c != want && c != want - 'a' + 'A') {
            return false;
        }
    }
    return name[name.size() - 4] == '.' && name.find('.', name.size() - 3) == std::string::npos;
}

} // namespace

std::vector<std::string> tempDirectoryCandidates() {
    std::vector<std::string> candidates;
    if (const char* tmp = std::getenv("TMP"); tmp != nullptr) {
        std::string directory = tmp;
        if (!directory.empty()) {
            const char last = directory.back();
            if (last != '/' && last != '\\' && last != ':') {
                directory += '/';
            }
        }
        candidates.push_back(directory);
    }
    candidates.emplace_back();
    return candidates;
}

std::optional<CreatedTempFile> createTempFile(const std::vector<std::string>& directories,
                                              std::string& lastTried) {
    lastTried.clear();
    for (const std::string& directory : directories) {
        for (int number = 0; number <= kLastNumber; ++number) {
            std::string name = directory + "qrv" + std::to_string(number) + ".$$$";
            lastTried = name;
            errno = 0;
            // "x": fail when the name exists, so the file is certainly new and ours.
            UniqueFile file = openFile(name, "wbx");
            if (file) {
                return CreatedTempFile{std::move(name), std::move(file)};
            }
            if (errno != EEXIST) {
                break; // this directory cannot take a new file: try the next one
            }
        }
    }
    return std::nullopt;
}

std::string tempDirectory(const std::vector<std::string>& directories) {
    for (const std::string& directory : directories) {
        std::error_code ec;
        if (directory.empty() || std::filesystem::is_directory(directory, ec)) {
            return directory;
        }
    }
    return {};
}

int sweepTempFiles(const std::string& directory) {
    std::error_code ec;
    const std::filesystem::path where =
        directory.empty() ? std::filesystem::path(".") : std::filesystem::path(directory);
    int deleted = 0;
    for (std::filesystem::directory_iterator it(where, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (!matchesTempPattern(name) || it->is_directory(typeError)) {
            continue;
        }
        std::error_code removeError;
        if (std::filesystem::remove(it->path(), removeError)) {
            ++deleted;
        }
    }
    return deleted;
}

TempFileManager::TempFileManager(const ErfDirectory& directory) : m_directory(directory) {}

std::vector<std::string> TempFileManager::directories() const {
    return m_directories ? *m_directories : tempDirectoryCandidates();
}

void TempFileManager::startUp() {
    sweepTempFiles(tempDirectory(directories()));
    try {
        m_buffer.assign(kBufferSize, 0);
    } catch (const std::bad_alloc&) {
        throw Error("Cannot allocate ERFlibTempFileManager buffer");
    }
}

void TempFileManager::shutDown() {
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

void TempFileManager::extract(const std::string& entryName, std::string& tempName) {
    if (m_buffer.empty()) {
        startUp();
    }
    std::string lastTried;
    std::optional<CreatedTempFile> created = createTempFile(directories(), lastTried);
    if (!created) {
        throw Error("Can't create temp file: " + lastTried);
    }
    tempName = created->name;
    UniqueFile file = std::move(created->file);

    const ErfEntryRecord* entry = m_directory.find(entryName);
    ErfEntryStream stream;
    if (entry == nullptr || stream.open(*entry) == nullptr) {
        throw Error("Can't open ERF resource: " + entryName);
    }
    const Error writeError("Can't write to temp file (Out of hard disk space?)");
    while (!stream.ended()) {
        if (m_pump) {
            m_pump();
        }
        // The buffer is free again here: a nested extraction run by the pump has finished
        // with it before control comes back.
        const std::size_t got = stream.read(m_buffer.data(), m_buffer.size());
        const std::size_t written = got > 0 ? std::fwrite(m_buffer.data(), 1, got, file.get()) : 0;
        if (written < got || (written == 0 && !stream.ended())) {
            throw writeError;
        }
    }
    // Buffered bytes reach the disk only now: a full disk shows here.
    if (std::fclose(file.release()) != 0) {
        throw writeError;
    }
}

void TempFileManager::release(std::string& tempName) {
    if (!tempName.empty()) {
        std::remove(tempName.c_str());
        tempName.clear();
    }
}

} // namespace hc

namespace {

hc::TempFileManager& processManager() {
    static hc::TempFileManager manager(hc::erfDirectory());
    return manager;
}

} // namespace

void ErfTempFileManagerStartUp() {
    processManager().startUp();
}

void ErfTempFileManagerExit() {
    processManager().shutDown();
}

void ExtractToTempFile(const std::string& entryName, std::string& tempName) {
    processManager().extract(entryName, tempName);
}

void ReleaseTempFile(std::string& tempName) {
    hc::TempFileManager::release(tempName);
}

void SetExtractionPump(std::function<void()> pump) {
    processManager().setPump(std::move(pump));
}
