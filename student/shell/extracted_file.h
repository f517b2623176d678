#pragma once

#include <string>
#include <string_view>

namespace hc::student {

// A temporary file holding one archive entry for a media player, deleted when the owner lets
// it go. Its name is kept from the moment the file exists, so a failed extraction still
// leaves nothing behind once the owner is destroyed.
class ExtractedFile {
public:
    ExtractedFile() = default;
    ~ExtractedFile() { release(); }
    ExtractedFile(const ExtractedFile&) = delete;
    ExtractedFile& operator=(const ExtractedFile&) = delete;

    // Copies the entry into a new temporary file (releasing the one held before). Throws
    // hc::Error with the temporary files' messages ("Can't open ERF resource: NAME", ...).
    void extract(std::string_view entryName);
    // Deletes the file; does nothing when none is held.
    void release();

    const std::string& name() const { return m_name; }
    bool empty() const { return m_name.empty(); }

private:
    std::string m_name;
};

} // namespace hc::student
