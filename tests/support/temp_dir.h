#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace hc::test {

// A fresh, empty directory for one test, made the current directory while the test runs and
// removed afterwards. Tests never write into the source tree.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::filesystem::path& dir() const { return m_dir; }
    // Path of a file inside the test directory.
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
    std::filesystem::path m_previous;
};

// Whole file as bytes; throws when it cannot be read.
std::string readFile(const std::string& path);
// Writes bytes to a file, replacing it; throws when it cannot be written.
void writeFile(const std::string& path, const std::string& bytes);

} // namespace hc::test
