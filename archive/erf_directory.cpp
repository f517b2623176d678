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
    try {
        m_archives.push_back(std::move(archive));
        // The count comes from the file: reserve no more than the file can hold.
        const auto fitting =
            static_cast<std::uint64_t>(size - reader.position()) / erf::kEntryHeaderSize;
        m_entries.reserve(m_entries.size() + static_cast<std::size_t>(std::min<std::uint64_t>(
                                                 owner->entryCount, fitting)));
    } catch (const std::bad_alloc&) {
        return ErfOutOfMemory;
    }

    // Entries are appended in reading order and merged into name order when the directory
    // has been read, also when it fails part way: entries read before the failure stay.
    const std::size_t firstNew = m_entries.size();
    bool inOrder = true;
    const auto finish = [&](ErfResult result) {
        mergeNewEntries(firstNew, inOrder);
        return result;
    };
    for (std::uint32_t i = 0; i < owner->entryCount; ++i) {
        const unsigned char* entry = nullptr;
        if (size - reader.position() < static_cast<std::int64_t>(erf::kEntryHeaderSize) ||
            (entry = reader.take(erf::kEntryHeaderSize)) == nullptr) {
            return finish(ErfUnknownCompression); // the directory ends early
        }
        const auto storedLength = erf::readLE32(entry + 256);
        const unsigned char* tag = entry + 260;
        const bool stored = tag[0] == 0;
        const bool compressed = std::memcmp(tag, erf::kZlibTag.data(), 4) == 0;
        const std::int64_t dataStart = reader.position();
        if (storedLength > size - dataStart) {
            return finish(ErfUnknownCompression); // the entry's data runs past the end of the file
        }
        if (!stored && !compressed) {
            return finish(ErfUnknownCompression);
        }
        // A name without its NUL inside the field is cut to the longest name that fits.
        const auto* nameEnd =
            static_cast<const unsigned char*>(std::memchr(entry, 0, erf::kMaxNameLength));
        const std::size_t nameLength =
            nameEnd != nullptr ? static_cast<std::size_t>(nameEnd - entry) : erf::kMaxNameLength;
        try {
            ErfEntryRecord record;
            record.name = m_names.add(reinterpret_cast<const char*>(entry), nameLength);
            record.archive = owner;
            record.dataStart = dataStart;
            record.storedLength = storedLength;
            record.extraValue = erf::readLE32(entry + 264);
            record.compressed = compressed;
            if (inOrder && m_entries.size() > firstNew &&
                erf::compareNames(record.name, m_entries.back().name) < 0) {
                inOrder = false;
            }
            m_entries.push_back(record);
        } catch (const std::bad_alloc&) {
            return finish(ErfOutOfMemory);
        }
        reader.skip(storedLength);
    }
    return finish(ErfOk);
}

void ErfDirectory::mergeNewEntries(std::size_t firstNew, bool appendedInOrder) {
    const auto byName = [](const ErfEntryRecord& a, const ErfEntryRecord& b) {
        return erf::compareNames(a.name, b.name) < 0;
    };
    const auto middle = m_entries.begin() + static_cast<std::ptrdiff_t>(firstNew);
    if (!appendedInOrder) {
        std::stable_sort(middle, m_entries.end(), byName);
    }
    // Stable: among equal names, the earlier archive's entries stay first.
    if (firstNew > 0 && middle != m_entries.end() && byName(*middle, *(middle - 1))) {
        std::inplace_merge(m_entries.begin(), middle, m_entries.end(), byName);
    }
}

const ErfEntryRecord* ErfDirectory::find(std::string_view name) const {
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), name,
                                     [](const ErfEntryRecord& entry, std::string_view wanted) {
                                         return erf::compareNames(entry.name, wanted) < 0;
                                     });
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
    m_entries.shrink_to_fit();
    m_names.clear();
    m_archives.clear();
}

std::string_view ErfDirectory::NameStore::add(const char* text, std::size_t length) {
    constexpr std::size_t kBlockSize = 64 * 1024;
    if (m_used + length + 1 > m_capacity) {
        const std::size_t capacity = std::max(kBlockSize, length + 1);
        m_blocks.push_back(std::unique_ptr<char[]>(new char[capacity]));
        m_capacity = capacity;
        m_used = 0;
    }
    char* place = m_blocks.back().get() + m_used;
    std::memcpy(place, text, length);
    place[length] = '\0';
    m_used += length + 1;
    return {place, length};
}

void ErfDirectory::NameStore::clear() {
    m_blocks.clear();
    m_used = 0;
    m_capacity = 0;
}

} // namespace hc
