#include "archive_entries.h"

#include "archive/erf_reader.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

namespace hc::test {

bool openProgramArchive() {
    static int state = 0; // 0 not tried, 1 open, -1 failed
    if (state == 0) {
        const char* dir = std::getenv("HC_PROGRAM_DIR");
        const std::string path = std::string(dir != nullptr ? dir : ".") + "/DATA.ERF";
        const ErfResult result = ErfOpenArchive(path.c_str(), true, nullptr, nullptr);
        state = result == 0 ? 1 : -1;
        EXPECT_EQ(result, 0) << "cannot open " << path;
    }
    return state == 1;
}

std::vector<std::string> archiveNames() {
    return openProgramArchive() ? hc::erfEntryNames() : std::vector<std::string>{};
}

std::string archiveEntry(const std::string& name) {
    if (!openProgramArchive()) {
        return {};
    }
    if (ErfOpenEntry(name.c_str()) == nullptr) {
        ADD_FAILURE() << "DATA.ERF has no entry " << name;
        return {};
    }
    std::string bytes;
    char buffer[65536];
    for (std::size_t got = ErfRead(sizeof buffer, buffer); got > 0;
         got = ErfRead(sizeof buffer, buffer)) {
        bytes.append(buffer, got);
    }
    EXPECT_TRUE(ErfEntryEnded()) << name << " is damaged";
    return bytes;
}

void writeEntryTo(const std::string& name, const std::string& path) {
    writeFile(path, archiveEntry(name));
}

bool startsWithFolded(const std::string& name, const std::string& prefix) {
    if (name.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) !=
            std::toupper(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace hc::test
