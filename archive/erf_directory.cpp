#include "erf_directory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "archive/file_checksum.h"
#include "archive/file_io.h"

namespace hc {

namespace {

// Finds the first occurrence of the embedded-archive marker from the start of the file and
// leaves the reader just after it. False when the file has none.
bool findEmbedSignature(FileReader& reader) {
    const auto signature = erf::embedSignature();
    if (!reader.seek(0)) {
        return false;
    }
    std::vector<unsigned char> window;
    std::vector<unsigned char> piece(64 * 1024);
    std::int64_t windowStart = 0; // file position of window[0]
    for (;;) {
        const std::size_t got = reader.read(piece.data(), piece.size());
        if (got == 0) {
            return false;
        }
        window.insert(window.end(), piece.begin(),
                      piece.begin() + static_cast<std::ptrdiff_t>(got));
        const auto hit =
            std::search(window.begin(), window.end(), signature.begin(), signature.end());
        if (hit != window.end()) {
            const std::int64_t after =
                windowStart + (hit - window.begin()) + static_cast<std::int64_t>(signature.size());
            return reader.seek(after);
        }
        // Keep the last bytes that could still begin a marker.
        const std::size_t keep = std::min(window.size(), signature.size() - 1);
        windowStart += static_cast<std::int64_t>(window.size() - keep);
        window.erase(window.begin(), window.end() - static_cast<std::ptrdiff_t>(keep));
    }
}

} // namespace

ErfResult ErfDirectory::openArchive(const std::string& path, bool verify, char* title,
                                    std::uint32_t* count) {
    std::unique_ptr<ErfArchiveRecord> archive(new (std::nothrow) ErfArchiveRecord);
    if (!archive) {
        return ErfOutOfMemory;
    }
    archive->path = path;

    UniqueFile file = openFile(path, "rb");
    if (!file) {
        return ErfErrorOpeningFile;
    }
    const std::int64_t size = fileSize(file.get());
    if (size < 0) {
        return ErfErrorOpeningFile;
    }
    FileReader reader(file.get());

    unsigned char header[erf::kHeaderSize];
    std::size_t got = reader.read(header, 260);
    if (erf::looksLikeExecutable(header, got)) {
        if (!findEmbedSignature(reader)) {
            return ErfNoErfInExe;
        }
        got = reader.read(header, 260);
    }
    if (got < 260 || reader.read(header + 260, 4) < 4) {
        return ErfUnknownCompression; // the header itself is cut short
    }
    archive->checksum = erf::readLE32(header + 260);
    if (verify) {
        const std::int64_t first = reader.position();
        seekFile(file.get(), first);
        if (FileChecksum(file.get()) != archive->checksum) {
            return ErfBadChecksum;
        }
        reader.seek(first);
    }

    std::memcpy(archive->title.data(), header, erf::kTitleSize);
    archive->title.back() = '\0';
    archive->entryCount = erf::readLE32(header + 256);
    if (title != nullptr) {
        std::memcpy(title, archive->title.data(), erf::kTitleSize);
    }
    if (count != nullptr) {
        *count = archive->entryCount;
    }
    const ErfArchiveRecord* owner = archive.get();
    m_archives.push_back(std::move(archive));

    for (std::uint32_t i = 0; i < owner->entryCount; ++i) {
        unsigned char entry[erf::kEntryHeaderSize];
        if (size - reader.position() < static_cast<std::int64_t>(erf::kEntryHeaderSize) ||
            reader.read(entry, sizeof entry) < sizeof entry) {
            return ErfUnknownCompression; // the directory ends early
        }
        const auto storedLength = erf::readLE32(entry + 256);
        const unsigned char* tag = entry + 260;
        const bool stored = tag[0] == 0;
        const bool compressed = std::memcmp(tag, erf::kZlibTag.data(), 4) == 0;
        const std::int64_t dataStart = reader.position();
        if (storedLength > size - dataStart) {
            return ErfUnknownCompression; // the entry's data runs past the end of the file
        }
        if (!stored && !compressed) {
            return ErfUnknownCompression;
        }
        // A name without its NUL inside the field is cut to the longest name that fits.
        const auto* nameEnd =
            static_cast<const unsigned char*>(std::memchr(entry, 0, erf::kMaxNameLength));
        const std::size_t nameLength =
            nameEnd != nullptr ? static_cast<std::size_t>(nameEnd - entry) : erf::kMaxNameLength;

        ErfEntryRecord record;
        try {
            record.name.assign(reinterpret_cast<const char*>(entry), nameLength);
            record.archive = owner;
            record.dataStart = dataStart;
            record.storedLength = storedLength;
            record.extraValue = erf::readLE32(entry + 264);
            record.compressed = compressed;
            m_entries.insert(m_entries.end(), std::move(record));
        } catch (const std::bad_alloc&) {
            return ErfOutOfMemory;
        }
        reader.skip(storedLength);
    }
    return ErfOk;
}

const ErfEntryRecord* ErfDirectory::find(std::string_view name) const {
    const auto it = m_entries.lower_bound(name);
    if (it == m_entries.end() || erf::compareNames(it->name, name) != 0) {
        return nullptr;
    }
    return &*it;
}

void ErfDirectory::forEach(const std::function<bool(const ErfEntryRecord&)>& visit) const {
    for (const ErfEntryRecord& record : m_entries) {
        if (!visit(record)) {
            return;
        }
    }
}

void ErfDirectory::clear() {
    m_entries.clear();
    m_archives.clear();
}

} // namespace hc
