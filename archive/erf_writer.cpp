#include "erf_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include <unistd.h>
#include <zlib.h>

#include "archive/erf_format.h"
#include "archive/file_checksum.h"

namespace hc {

ErfWriter::ErfWriter(std::string path, std::string title, std::span<const unsigned char> prefix)
    : m_path(std::move(path)) {
    if (title.size() > erf::kTitleSize - 1) {
        title.resize(erf::kTitleSize - 1);
    }
    unsigned char header[erf::kHeaderSize] = {};
    std::memcpy(header, title.data(), title.size());
    // A stand-alone archive whose first bytes read as a program header would be searched for
    // the marker of an appended archive, and never open.
    if (prefix.empty() && erf::looksLikeExecutable(header, sizeof header)) {
        fail("the title \"" + title +
             "\" begins like a program (\"MZ\" or ELF): no reader could open the archive");
        return;
    }
    std::optional<NewFile> created = createFileBeside(m_path, ".partial");
    if (!created) {
        fail("cannot create a new file beside " + m_path + ": " + std::strerror(errno));
        return;
    }
    m_tempPath = std::move(created->name);
    m_file = std::move(created->file);
    if (!prefix.empty()) {
        const auto signature = erf::embedSignature();
        writeBytes(prefix, false);
        writeBytes(signature, false);
        m_headerOffset = static_cast<std::int64_t>(prefix.size() + signature.size());
    }
    writeBytes(header, false);
}

ErfWriter::~ErfWriter() {
    if (!m_finished && !m_tempPath.empty()) {
        m_file.reset();
        std::remove(m_tempPath.c_str());
    }
}

bool ErfWriter::fail(const std::string& message) {
    if (!m_failed) {
        m_error = message;
    }
    m_failed = true;
    return false;
}

bool ErfWriter::writeBytes(std::span<const unsigned char> bytes, bool inChecksum) {
    if (m_failed) {
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file.get()) != bytes.size()) {
        return fail("cannot write " + m_tempPath + ": " + std::strerror(errno));
    }
    if (inChecksum) {
        m_crc = crc32Bytes(bytes, m_crc);
    }
    return true;
}

bool ErfWriter::addEntry(const std::string& name, std::span<const unsigned char> content,
                         bool compress) {
    if (m_failed) {
        return false;
    }
    if (name.size() > erf::kMaxNameLength || name.find('\0') != std::string::npos) {
        return fail("entry name longer than 255 bytes: " + name);
    }
    if (content.size() > std::numeric_limits<std::uint32_t>::max()) {
        return fail("entry larger than 4 GiB: " + name);
    }
    if (m_count == std::numeric_limits<std::uint32_t>::max()) {
        return fail("too many entries");
    }
    std::vector<unsigned char> packed;
    std::span<const unsigned char> data = content;
    if (compress) {
        uLongf packedSize = compressBound(static_cast<uLong>(content.size()));
        packed.resize(packedSize);
        if (compress2(packed.data(), &packedSize, content.data(),
                      static_cast<uLong>(content.size()), Z_BEST_COMPRESSION) != Z_OK) {
            return fail("cannot compress " + name);
        }
        packed.resize(packedSize);
        data = packed;
        if (packed.size() > std::numeric_limits<std::uint32_t>::max()) {
            return fail("entry larger than 4 GiB when compressed: " + name);
        }
    }
    unsigned char header[erf::kEntryHeaderSize] = {};
    std::memcpy(header, name.data(), name.size());
    erf::writeLE32(header + 256, static_cast<std::uint32_t>(data.size()));
    if (compress) {
        std::memcpy(header + 260, erf::kZlibTag.data(), 4);
    }
    erf::writeLE32(header + 264, static_cast<std::uint32_t>(content.size()));
    if (!writeBytes(header, true) || !writeBytes(data, true)) {
        return false;
    }
    ++m_count;
    return true;
}

bool ErfWriter::finish() {
    if (m_failed) {
        return false;
    }
    unsigned char countAndChecksum[8];
    erf::writeLE32(countAndChecksum, m_count);
    erf::writeLE32(countAndChecksum + 4, m_crc);
    std::FILE* file = m_file.get();
    if (!seekFile(file, m_headerOffset + 256) ||
        std::fwrite(countAndChecksum, 1, sizeof countAndChecksum, file) !=
            sizeof countAndChecksum ||
        std::fflush(file) != 0 || fsync(fileno(file)) != 0) {
        return fail("cannot write " + m_tempPath + ": " + std::strerror(errno));
    }
    if (std::fclose(m_file.release()) != 0) {
        return fail("cannot write " + m_tempPath + ": " + std::strerror(errno));
    }
    if (std::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        return fail("cannot rename " + m_tempPath + " to " + m_path + ": " + std::strerror(errno));
    }
    m_finished = true;
    return true;
}

} // namespace hc
