#include "file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace hc {

UniqueFile openFile(const std::string& path, const char* mode) {
    return UniqueFile(std::fopen(path.c_str(), mode));
}

std::optional<NewFile> createFileBeside(const std::string& path, std::string_view tag) {
    static std::atomic<unsigned> counter{0};
    const std::string stem = path + std::string(tag) + "-" + std::to_string(::getpid()) + "-";
    // A name left by an earlier process with the same id is skipped, never reused.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string name = stem + std::to_string(counter++);
        const int fd =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return std::nullopt;
        }
        std::FILE* file = ::fdopen(fd, "wb");
        if (file == nullptr) {
            const int error = errno;
            ::close(fd);
            ::unlink(name.c_str());
            errno = error;
            return std::nullopt;
        }
        return NewFile{std::move(name), UniqueFile(file)};
    }
    errno = EEXIST;
    return std::nullopt;
}

bool seekFile(std::FILE* file, std::int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t tellFile(std::FILE* file) {
    return static_cast<std::int64_t>(ftello(file));
}

std::int64_t fileSize(std::FILE* file) {
    const std::int64_t here = tellFile(file);
    if (here < 0 || !seekFile(file, 0, SEEK_END)) {
        return -1;
    }
    const std::int64_t size = tellFile(file);
    seekFile(file, here, SEEK_SET);
    return size;
}

FileReader::FileReader(std::FILE* file, std::size_t bufferSize)
    : m_file(file), m_buffer(bufferSize) {
    m_position = tellFile(file);
    if (m_position < 0) {
        m_position = 0;
    }
}

bool FileReader::refill() {
    if (m_needSeek) {
        if (!seekFile(m_file, m_position)) {
            return false;
        }
        m_needSeek = false;
    }
    m_begin = 0;
    m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
    return m_end > 0;
}

std::size_t FileReader::read(void* destination, std::size_t count) {
    auto* out = static_cast<unsigned char*>(destination);
    std::size_t done = 0;
    while (done < count) {
        if (m_begin == m_end && !refill()) {
            break;
        }
        const std::size_t piece = std::min(count - done, m_end - m_begin);
        std::memcpy(out + done, m_buffer.data() + m_begin, piece);
        m_begin += piece;
        done += piece;
        m_position += static_cast<std::int64_t>(piece);
    }
    return done;
}

const unsigned char* FileReader::take(std::size_t count) {
    if (count > m_buffer.size()) {
        return nullptr;
    }
    if (m_end - m_begin < count) {
        // Move what is left to the front and fill the rest of the buffer after it.
        const std::size_t left = m_end - m_begin;
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, left);
        m_begin = 0;
        m_end = left;
        if (m_needSeek) {
            if (!seekFile(m_file, m_position + static_cast<std::int64_t>(left))) {
                return nullptr;
            }
            m_needSeek = false;
        }
        m_end += std::fread(m_buffer.data() + left, 1, m_buffer.size() - left, m_file);
        if (m_end < count) {
            return nullptr;
        }
    }
    const unsigned char* bytes = m_buffer.data() + m_begin;
    m_begin += count;
    m_position += static_cast<std::int64_t>(count);
    return bytes;
}

bool FileReader::skip(std::int64_t count) {
    if (count < 0) {
        return seek(m_position + count);
    }
    const auto buffered = static_cast<std::int64_t>(m_end - m_begin);
    if (count <= buffered) {
        m_begin += static_cast<std::size_t>(count);
        m_position += count;
        return true;
    }
    return seek(m_position + count);
}

bool FileReader::seek(std::int64_t position) {
    if (position < 0) {
        return false;
    }
    m_position = position;
    m_begin = m_end = 0;
    m_needSeek = true;
    return true;
}

} // namespace hc
