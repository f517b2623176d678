#include "student/shell/extracted_file.h"

#include "archive/temp_files.h"

namespace hc::student {

void ExtractedFile::extract(std::string_view entryName) {
    release();
    ExtractToTempFile(std::string(entryName), m_name);
}

void ExtractedFile::release() {
    if (!m_name.empty()) {
        ReleaseTempFile(m_name);
    }
}

} // namespace hc::student
