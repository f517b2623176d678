#include "erf_reader.h"

#include "archive/erf_directory.h"
#include "archive/erf_entry_stream.h"

namespace {

// The one reader of the process: the merged directory and the current entry.
struct ProcessReader {
    hc::ErfDirectory directory;
    hc::ErfEntryStream current;
};

ProcessReader& processReader() {
    static ProcessReader reader;
    return reader;
}

} // namespace

ErfResult ErfOpenArchive(const char* path, bool verify, char* title, std::uint32_t* count) {
    if (path == nullptr) {
        return ErfErrorOpeningFile;
    }
    return processReader().directory.openArchive(path, verify, title, count);
}

std::FILE* ErfOpenEntry(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    ProcessReader& reader = processReader();
    const hc::ErfEntryRecord* entry = reader.directory.find(name);
    if (entry == nullptr) {
        return nullptr;
    }
    return reader.current.open(*entry);
}

std::size_t ErfRead(std::size_t count, void* buffer) {
    if (buffer == nullptr) {
        return 0;
    }
    return processReader().current.read(buffer, count);
}

bool ErfEntryEnded() {
    return processReader().current.ended();
}

void ErfForEachEntry(ErfEntryCallback callback, void* argument) {
    if (callback == nullptr) {
        return;
    }
    processReader().directory.forEach([&](const hc::ErfEntryRecord& entry) {
        return callback(entry.name.data(), argument) != 0;
    });
}

void ErfCloseAll() {
    ProcessReader& reader = processReader();
    reader.current.close();
    reader.directory.clear();
}

namespace hc {

std::vector<std::string> erfEntryNames() {
    std::vector<std::string> names;
    ErfForEachEntry(
        [](const char* name, void* list) {
            static_cast<std::vector<std::string>*>(list)->push_back(name);
            return 1;
        },
        &names);
    return names;
}

const ErfDirectory& erfDirectory() {
    return processReader().directory;
}

} // namespace hc
