// Opens arbitrary bytes as an archive, with and without checksum verification, and reads every
// entry to its end through the process-wide reader and through a temporary-file extraction.
// Any crash, sanitizer report or endless loop is a fault.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "archive/erf_reader.h"
#include "archive/error.h"
#include "archive/temp_files.h"

namespace {

// A folder of the run's own, removed at exit: the input archive and the extractions' temporary
// files go there (so the temporary-file manager's start-up sweep sweeps only there).
class WorkFolder {
public:
    WorkFolder() {
        char folder[] = "/tmp/hcfuzz-erf-XXXXXX";
        if (mkdtemp(folder) == nullptr) {
            std::abort();
        }
        m_folder = folder;
        setenv("TMP", folder, 1);
    }
    ~WorkFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    std::string file() const { return m_folder + "/input.erf"; }

private:
    std::string m_folder;
};

std::string scratchPath() {
    static const WorkFolder folder;
    static const std::string path = folder.file();
    return path;
}

void readEntry(const std::string& name) {
    if (ErfOpenEntry(name.c_str()) == nullptr) {
        return;
    }
    unsigned char buffer[3000];
    // A damaged entry keeps returning 0 without ending; stop there.
    while (!ErfEntryEnded() && ErfRead(sizeof buffer, buffer) > 0) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = scratchPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    for (const bool verify : {false, true}) {
        ErfCloseAll();
        char title[256];
        std::uint32_t count = 0;
        ErfOpenArchive(path.c_str(), verify, title, &count);
        for (const std::string& name : hc::erfEntryNames()) {
            readEntry(name);
            std::string temp;
            try {
                ExtractToTempFile(name, temp);
            } catch (const hc::Error&) {
            }
            ReleaseTempFile(temp);
        }
    }
    ErfCloseAll();
    return 0;
}
