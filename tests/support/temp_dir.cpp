#include "temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace hc::test {

void TempDirTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "hctest-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        FAIL() << "cannot create a temporary directory";
    }
    m_dir = buffer.data();
    m_previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir);
}

void TempDirTest::TearDown() {
    std::error_code ec;
    if (!m_previous.empty()) {
        std::filesystem::current_path(m_previous, ec);
    }
    if (!m_dir.empty()) {
        std::filesystem::remove_all(m_dir, ec);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace hc::test
