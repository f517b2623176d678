#pragma once

// Small helpers over the C runtime's buffered files: ownership, 64-bit positions, and a
// buffered sequential reader for parsing.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hc {

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};
// An open file that is closed when it goes out of scope.
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

UniqueFile openFile(const std::string& path, const char* mode);

// A file made new for writing, and its name.
struct NewFile {
    std::string name;
    UniqueFile file; // open for binary writing
};

// Creates a file that did not exist before, in the folder of `path`, for binary writing:
// `path` + `tag` + a number unique to this process and call (for example
// "DATA.ERF.partial-4711-0"). Creation is exclusive, so it never opens a file that is already
// there and never follows a link planted under that name; two writers of the same `path` never
// share a file. The new file gets the usual permissions (0666 less the umask). Nothing on
// failure, errno telling why.
std::optional<NewFile> createFileBeside(const std::string& path, std::string_view tag);

// 64-bit positions on every platform; false / -1 on failure.
bool seekFile(std::FILE* file, std::int64_t offset, int origin = SEEK_SET);
std::int64_t tellFile(std::FILE* file);
// Size of an open file in bytes, or -1. The position is left unchanged.
std::int64_t fileSize(std::FILE* file);

// Reads a file front to back through one large buffer, so that a parser can ask for a few bytes
// at a time and skip forward cheaply: skips inside the buffer cost no system call.
// The reader does not own the file.
class FileReader {
public:
    explicit FileReader(std::FILE* file, std::size_t bufferSize = 64 * 1024);

    // Copies up to `count` bytes; returns how many were available.
    std::size_t read(void* destination, std::size_t count);
    // The next `count` bytes (at most the buffer's size) in place, without copying, and moves
    // past them; nullptr when fewer remain (the position is then unchanged). Valid until the
    // next call.
    const unsigned char* take(std::size_t count);
    // Moves `count` bytes forward. Positions beyond the end are allowed; reads there give 0.
    bool skip(std::int64_t count);
    bool seek(std::int64_t position);
    std::int64_t position() const { return m_position; }

private:
    bool refill();

    std::FILE* m_file;
    std::vector<unsigned char> m_buffer;
    std::size_t m_begin = 0; // next unread byte in m_buffer
    std::size_t m_end = 0;   // one past the last valid byte in m_buffer
    std::int64_t m_position = 0;
    bool m_needSeek = true;
};

} // namespace hc
