// Replay driver for fuzz targets in builds without libFuzzer: runs the target once on every
// file named on the command line, or on every file inside a named directory (recursively).
// Exits non-zero when no input was found, so an empty or misplaced corpus cannot pass.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int runOne(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int inputs = 0;
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            std::vector<std::filesystem::path> files;
            for (const auto& item : std::filesystem::recursive_directory_iterator(arg)) {
                if (item.is_regular_file()) {
                    files.push_back(item.path());
                }
            }
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                failures += runOne(file);
                ++inputs;
            }
        } else {
            failures += runOne(arg);
            ++inputs;
        }
    }
    std::printf("replayed %d inputs\n", inputs);
    return (inputs == 0 || failures != 0) ? 1 : 0;
}
