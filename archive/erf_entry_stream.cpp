#include "erf_entry_stream.h"

#include <algorithm>
#include <climits>

#include "archive/erf_directory.h"

namespace hc {

ErfEntryStream::ErfEntryStream() = default;

ErfEntryStream::~ErfEntryStream() {
    close();
}

void ErfEntryStream::endDecoder() {
    if (m_decoderInUse) {
        inflateEnd(&m_zstream);
        m_decoderInUse = false;
    }
}

void ErfEntryStream::close() {
    endDecoder();
    m_file.reset();
    m_archive = nullptr;
    m_entry = nullptr;
}

std::FILE* ErfEntryStream::open(const ErfEntryRecord& entry) {
    if (!m_file || m_archive != entry.archive) {
        m_file.reset();
        m_archive = nullptr;
        m_file = openFile(entry.archive->path, "rb");
        if (!m_file) {
            endDecoder();
            m_entry = nullptr;
            return nullptr;
        }
        m_archive = entry.archive;
    }
    m_current = entry;
    m_entry = &m_current;
    m_position = entry.dataStart;
    m_atEndOfFile = false;
    seekFile(m_file.get(), m_position);

    endDecoder();
    m_streamEnded = false;
    m_damaged = false;
    m_read = 0;
    m_inputBegin = m_inputEnd = 0;
    if (entry.compressed) {
        if (m_input.empty()) {
            m_input.resize(64 * 1024);
        }
        m_zstream = z_stream{};
        m_zstream.next_in = m_input.data();
        m_zstream.avail_in = 0;
        // A decoder that fails to start delivers nothing: every read then gives 0.
        m_damaged = inflateInit(&m_zstream) != Z_OK;
        m_decoderInUse = !m_damaged;
    }
    return m_file.get();
}

std::size_t ErfEntryStream::read(void* buffer, std::size_t count) {
    if (m_entry == nullptr || count == 0) {
        return 0;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    return m_entry->compressed ? readCompressed(out, count) : readStored(out, count);
}

std::size_t ErfEntryStream::readStored(unsigned char* buffer, std::size_t count) {
    const std::int64_t left = m_entry->dataEnd() + 1 - m_position;
    if (left <= 0) {
        return 0;
    }
    const auto wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(count)));
    const std::size_t got = std::fread(buffer, 1, wanted, m_file.get());
    if (got < wanted) {
        m_atEndOfFile = true;
    }
    m_position += static_cast<std::int64_t>(got);
    return got;
}

std::size_t ErfEntryStream::readCompressed(unsigned char* buffer, std::size_t count) {
    if (m_damaged || m_streamEnded) {
        return 0;
    }
    const auto room = static_cast<uInt>(std::min<std::size_t>(count, UINT_MAX));
    m_zstream.next_out = buffer;
    m_zstream.avail_out = room;
    for (;;) {
        if (m_zstream.avail_in == 0) {
            if (m_inputBegin == m_inputEnd) {
                const std::uint32_t remaining = m_entry->storedLength - m_read;
                const std::size_t want = std::min<std::size_t>(m_input.size(), remaining);
                const std::size_t got =
                    want > 0 ? std::fread(m_input.data(), 1, want, m_file.get()) : 0;
                if (got < want) {
                    m_atEndOfFile = true;
                }
                m_position += static_cast<std::int64_t>(got);
                m_read += static_cast<std::uint32_t>(got);
                m_inputBegin = 0;
                m_inputEnd = got;
            }
            const std::size_t piece = std::min(kPiece, m_inputEnd - m_inputBegin);
            m_zstream.next_in = m_input.data() + m_inputBegin;
            m_zstream.avail_in = static_cast<uInt>(piece);
            m_inputBegin += piece;
        }
        // Without input the decoder is still called: it may hold decoded bytes that did not
        // fit into the previous caller's buffer.
        const bool noInput = m_zstream.avail_in == 0;
        const int status = inflate(&m_zstream, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            m_streamEnded = true;
            break;
        }
        if (noInput && (status == Z_BUF_ERROR || (status == Z_OK && m_zstream.avail_out > 0))) {
            // The compressed data is used up and the decoder cannot fill the room it has: the
            // stream was cut off before its end. Bytes produced in this call are still good.
            m_damaged = true;
            break;
        }
        if (status != Z_OK) {
            m_damaged = true;
            return 0;
        }
        if (m_zstream.avail_out == 0) {
            break;
        }
    }
    const std::size_t produced = room - m_zstream.avail_out;
    return m_damaged && produced == 0 ? 0 : produced;
}

bool ErfEntryStream::ended() const {
    if (m_entry == nullptr) {
        return true;
    }
    if (m_entry->storedLength == 0) {
        return true;
    }
    if (m_entry->compressed) {
        return m_streamEnded;
    }
    return m_atEndOfFile || m_position > m_entry->dataEnd();
}

} // namespace hc
