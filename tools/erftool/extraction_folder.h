#pragma once

// The folder that erftool extracts into, written without ever following a link inside it.
//
// Whatever the folder already holds is taken as hostile: a link in it (to a folder or to a
// file, at any depth) is never followed, so an entry can only ever land inside the folder.
// Folders are created and opened one level at a time relative to their parent's open
// descriptor, refusing links; each file is written into a new file of its own beside its final
// name and renamed over that name only when it is complete, so a failed entry leaves whatever
// was there before untouched.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace hc::erftool {

class ExtractionFolder {
public:
    // Opens (creating it and its parents when missing) the folder at `path`. The folder
    // itself may be reached through a link: that is the caller's own choice.
    explicit ExtractionFolder(const std::string& path);
    ~ExtractionFolder();
    ExtractionFolder(const ExtractionFolder&) = delete;
    ExtractionFolder& operator=(const ExtractionFolder&) = delete;

    // False, with error(), when the folder cannot be created or opened.
    bool isOpen() const { return m_fd >= 0; }
    const std::string& error() const { return m_error; }

    // Writes the file at `parts` (folders, then the file's name; none empty, ".", "..") by
    // calling `fill` with the new file open for binary writing. `fill` returns false, with a
    // message in `error`, when the content cannot be produced. Missing folders are created.
    // False, with a message naming the place in `error`, when a link or a file stands where a
    // folder must be, when a link or folder stands at the file's name, when `fill` fails or
    // the file cannot be written; the old file (if any) is then as it was, and no new file is
    // left behind.
    using Fill = std::function<bool(std::FILE* file, std::string& error)>;
    bool writeFile(const std::vector<std::string>& parts, const Fill& fill, std::string& error);

private:
    std::string m_path;
    int m_fd = -1;
    std::string m_error;
};

} // namespace hc::erftool
