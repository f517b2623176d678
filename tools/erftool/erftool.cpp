// erftool: lists, reads, verifies, extracts, packs and appends ERF archives.
// Content builds and schools making their own content packs script against its forms and
// output, so both stay stable.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "archive/erf_directory.h"
#include "archive/erf_entry_stream.h"
#include "archive/erf_format.h"
#include "archive/erf_reader.h"
#include "archive/erf_writer.h"
#include "archive/file_io.h"
#include "extraction_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHelp =
    R"(usage: erftool COMMAND ...

  erftool list ARCHIVE
      One line per entry in name order: name, TAB, stored length, TAB, "stored" or "ZLIB".
  erftool cat ARCHIVE NAME
      Writes the entry's content to standard output.
  erftool verify ARCHIVE
      Opens the archive checking its checksum and prints the result ("Ok" when sound).
  erftool extract ARCHIVE DIR
      Writes every entry into DIR; a backslash in a name becomes a folder. Names that would
      land outside DIR (absolute, a drive letter, ".."), or on a link inside DIR, are refused
      and not written; so are different names that would land on one file ("d\f" and "d/f",
      letter case ignored). Each file is replaced only once its new content is complete.
  erftool pack ARCHIVE SOURCE [--title TEXT] [--store GLOB]...
      Builds ARCHIVE from SOURCE: a folder (entry names are the paths relative to it, with
      backslashes, in name order) or a manifest file (one "NAME<TAB>PATH" a line, written in
      that order; relative paths are taken from the manifest's folder). Entries are
      ZLIB-compressed unless their name matches a --store pattern (* and ?, letter case
      ignored). The same input always gives the same bytes. Names that differ only in letter
      case, and titles that begin like a program ("MZ"), are refused.
  erftool append EXE ARCHIVE OUT
      Writes OUT: the program EXE, the marker, then ARCHIVE, so the reader finds the archive
      inside the program. A program that already carries an archive is refused.
  erftool --help
      This text.

Exit status: 0 on success, 1 on failure, 2 on wrong usage.
)";

int usage() {
    std::fputs(kHelp, stderr);
    return 2;
}

void printError(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
}

// Reads a whole regular file; anything else (a folder, a device) and every read error is a
// message, never an exception.
bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error) {
    bytes.clear();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "cannot read " + path + ": " +
                (S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a plain file");
        return false;
    }
    hc::UniqueFile in = hc::openFile(path, "rb");
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    unsigned char piece[65536];
    for (;;) {
        const std::size_t got = std::fread(piece, 1, sizeof piece, in.get());
        bytes.insert(bytes.end(), piece, piece + got);
        if (got < sizeof piece) {
            break;
        }
    }
    if (std::ferror(in.get()) != 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// Opens the archive with the process-wide reader; prints the reader's message on failure.
bool openArchive(const std::string& path, bool verify) {
    const ErfResult result = ErfOpenArchive(path.c_str(), verify, nullptr, nullptr);
    if (result != ErfOk) {
        printError(ErfResultMessage(result));
        return false;
    }
    return true;
}

int commandList(const std::string& archive) {
    if (!openArchive(archive, false)) {
        return 1;
    }
    hc::erfDirectory().forEach([](const hc::ErfEntryRecord& entry) {
        std::printf("%s\t%u\t%s\n", entry.name.data(), entry.storedLength,
                    entry.compressed ? "ZLIB" : "stored");
        return true;
    });
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int commandCat(const std::string& archive, const std::string& name) {
    if (!openArchive(archive, false)) {
        return 1;
    }
    if (ErfOpenEntry(name.c_str()) == nullptr) {
        printError("Can't open ERF resource: " + name);
        return 1;
    }
    std::vector<unsigned char> buffer(65536);
    while (!ErfEntryEnded()) {
        const std::size_t got = ErfRead(buffer.size(), buffer.data());
        if (got == 0) {
            if (ErfEntryEnded()) {
                break;
            }
            printError("Can't read ERF resource: " + name + " (its data is damaged)");
            return 1;
        }
        if (std::fwrite(buffer.data(), 1, got, stdout) != got) {
            printError("cannot write to standard output");
            return 1;
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int commandVerify(const std::string& archive) {
    const ErfResult result = ErfOpenArchive(archive.c_str(), true, nullptr, nullptr);
    std::printf("%s\n", ErfResultMessage(result));
    return result == ErfOk ? 0 : 1;
}

// The folders and file name inside the extraction folder for an entry name (a backslash or a
// slash between parts; empty parts and "." dropped), or nothing when the name would land
// outside the folder.
std::optional<std::vector<std::string>> safeRelativeParts(std::string_view name) {
    if (name.empty() || name.front() == '\\' || name.front() == '/') {
        return std::nullopt; // absolute
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = name.find_first_of("\\/", start);
        const std::string_view part = name.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (part == "..") {
            return std::nullopt;
        }
        if (part.find(':') != std::string_view::npos) {
            return std::nullopt; // a drive letter or a stream name
        }
        if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    if (parts.empty()) {
        return std::nullopt;
    }
    return parts;
}

// The file an entry lands on, as one text that is equal for every spelling of the same file:
// parts joined by "/" and ASCII letters folded, as a file system that ignores case sees them.
std::string landingKey(const std::vector<std::string>& parts) {
    std::string key;
    for (const std::string& part : parts) {
        if (!key.empty()) {
            key += '/';
        }
        for (const char c : part) {
            key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return key;
}

// Copies an entry's content into `out`. A damaged entry is a message, not a short file.
bool copyEntry(const hc::ErfEntryRecord& entry, std::FILE* out, std::string& error) {
    hc::ErfEntryStream stream;
    if (stream.open(entry) == nullptr) {
        error = "Can't open ERF resource: " + std::string(entry.name);
        return false;
    }
    std::vector<unsigned char> buffer(65536);
    while (!stream.ended()) {
        const std::size_t got = stream.read(buffer.data(), buffer.size());
        if (got == 0 && !stream.ended()) {
            error =
                "Can't read ERF resource: " + std::string(entry.name) + " (its data is damaged)";
            return false;
        }
        if (std::fwrite(buffer.data(), 1, got, out) != got) {
            error = std::string("cannot write ") + std::string(entry.name) + ": " +
                    std::strerror(errno);
            return false;
        }
    }
    return true;
}

int commandExtract(const std::string& archive, const std::string& directory) {
    if (!openArchive(archive, false)) {
        return 1;
    }
    // Which entries to write: the first of equal names (the only one the reader finds), and
    // none of the entries whose different names land on one file, or that need a folder where
    // another entry lands as a file.
    struct Planned {
        const hc::ErfEntryRecord* entry;
        std::vector<std::string> parts;
    };
    std::vector<Planned> planned;
    std::map<std::string, std::vector<std::string>> byLanding; // landing key -> entry names
    int failures = 0;
    const hc::ErfEntryRecord* previous = nullptr;
    hc::erfDirectory().forEach([&](const hc::ErfEntryRecord& entry) {
        // Equal names (letter case ignored) come together; the reader only ever finds the
        // first of them, so that is the one extracted.
        const bool duplicate =
            previous != nullptr && hc::erf::namesEqual(previous->name, entry.name);
        previous = &entry;
        if (duplicate) {
            printError("skipped " + std::string(entry.name) +
                       ": an entry of the same name comes first");
            return true;
        }
        std::optional<std::vector<std::string>> parts = safeRelativeParts(entry.name);
        if (!parts) {
            printError("refused " + std::string(entry.name) + ": it would be written outside " +
                       directory);
            ++failures;
            return true;
        }
        byLanding[landingKey(*parts)].emplace_back(entry.name);
        planned.push_back({&entry, std::move(*parts)});
        return true;
    });
    std::set<std::string> refused; // landing keys not written
    for (const auto& [key, names] : byLanding) {
        if (names.size() > 1) {
            std::string list;
            for (std::size_t i = 0; i < names.size(); ++i) {
                list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
            }
            printError("refused " + list + ": different names that land on one file (" + key +
                       ", letter case ignored)");
            refused.insert(key);
            ++failures;
        }
    }
    for (const Planned& item : planned) {
        for (std::size_t folders = 1; folders < item.parts.size(); ++folders) {
            const std::string folderKey = landingKey(
                {item.parts.begin(), item.parts.begin() + static_cast<std::ptrdiff_t>(folders)});
            const auto file = byLanding.find(folderKey);
            if (file != byLanding.end()) {
                printError("refused " + file->second.front() + " and " +
                           std::string(item.entry->name) + ": the first lands as a file where " +
                           "the second needs a folder (" + folderKey + ", letter case ignored)");
                refused.insert(folderKey);
                refused.insert(landingKey(item.parts));
                ++failures;
                break;
            }
        }
    }

    hc::erftool::ExtractionFolder folder(directory);
    if (!folder.isOpen()) {
        printError(folder.error());
        return 1;
    }
    for (const Planned& item : planned) {
        if (refused.count(landingKey(item.parts)) > 0) {
            continue;
        }
        std::string error;
        const bool written = folder.writeFile(
            item.parts,
            [&](std::FILE* out, std::string& fillError) {
                return copyEntry(*item.entry, out, fillError);
            },
            error);
        if (!written) {
            printError("refused " + std::string(item.entry->name) + ": " + error);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

bool globMatch(std::string_view pattern, std::string_view name) {
    // Iterative * and ? matching with backtracking to the last star; ASCII letter case ignored.
    auto fold = [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    };
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

struct PackItem {
    std::string name;
    fs::path path;
};

bool collectFolder(const fs::path& folder, std::vector<PackItem>& items, std::string& error) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; it != end; it.increment(ec)) {
        if (ec) {
            break;
        }
        if (!it->is_regular_file(ec)) {
            continue;
        }
        std::string name;
        for (const fs::path& part : fs::relative(it->path(), folder)) {
            if (!name.empty()) {
                name += '\\';
            }
            name += part.string();
        }
        items.push_back({name, it->path()});
    }
    if (ec) {
        error = "cannot read folder " + folder.string() + ": " + ec.message();
        return false;
    }
    // Name order (the reader's comparison) opens fastest; ties by bytes keep it deterministic.
    std::sort(items.begin(), items.end(), [](const PackItem& a, const PackItem& b) {
        const int order = hc::erf::compareNames(a.name, b.name);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return true;
}

// The reader matches names ignoring letter case and finds only the first of equal names: an
// archive with two such names would hide one of its files. False, naming both, when two items
// would.
bool namesAreDistinct(const std::vector<PackItem>& items, std::string& error) {
    std::vector<const PackItem*> sorted;
    for (const PackItem& item : items) {
        sorted.push_back(&item);
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const PackItem* a, const PackItem* b) {
        return hc::erf::compareNames(a->name, b->name) < 0;
    });
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        if (hc::erf::namesEqual(sorted[i - 1]->name, sorted[i]->name)) {
            error = "the names " + sorted[i - 1]->name + " (" + sorted[i - 1]->path.string() +
                    ") and " + sorted[i]->name + " (" + sorted[i]->path.string() +
                    ") differ only in letter case: the reader could find only one of them";
            return false;
        }
    }
    return true;
}

bool collectManifest(const fs::path& manifest, std::vector<PackItem>& items, std::string& error) {
    std::vector<unsigned char> bytes;
    if (!readWholeFile(manifest.string(), bytes, error)) {
        return false;
    }
    const fs::path base = manifest.parent_path();
    const std::string text(bytes.begin(), bytes.end());
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0 || tab + 1 == line.size()) {
            error = manifest.string() + ":" + std::to_string(number) + ": expected NAME<TAB>PATH";
            return false;
        }
        fs::path path = line.substr(tab + 1);
        if (path.is_relative()) {
            path = base / path;
        }
        items.push_back({line.substr(0, tab), path});
    }
    return true;
}

int commandPack(const std::vector<std::string>& args) {
    // args: ARCHIVE SOURCE [--title TEXT] [--store GLOB]...
    std::vector<std::string> positional;
    std::string title;
    std::vector<std::string> storePatterns;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--title" || args[i] == "--store") {
            if (i + 1 >= args.size()) {
                return usage();
            }
            (args[i] == "--title" ? title : storePatterns.emplace_back()) = args[i + 1];
            ++i;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        return usage();
    }
    const std::string& archive = positional[0];
    const fs::path source = positional[1];

    std::vector<PackItem> items;
    std::string error;
    std::error_code ec;
    const bool ok = fs::is_directory(source, ec) ? collectFolder(source, items, error)
                                                 : collectManifest(source, items, error);
    if (!ok || !namesAreDistinct(items, error)) {
        printError(error);
        return 1;
    }
    hc::ErfWriter writer(archive, title);
    if (!writer.error().empty()) {
        printError(writer.error());
        return 1;
    }
    std::vector<unsigned char> content;
    for (const PackItem& item : items) {
        if (!readWholeFile(item.path.string(), content, error)) {
            printError(error);
            return 1;
        }
        const bool store =
            std::any_of(storePatterns.begin(), storePatterns.end(),
                        [&](const std::string& glob) { return globMatch(glob, item.name); });
        if (!writer.addEntry(item.name, content, !store)) {
            printError(writer.error());
            return 1;
        }
    }
    if (!writer.finish()) {
        printError(writer.error());
        return 1;
    }
    return 0;
}

int commandAppend(const std::string& exe, const std::string& archive, const std::string& out) {
    std::vector<unsigned char> program;
    std::vector<unsigned char> data;
    std::string error;
    if (!readWholeFile(exe, program, error) || !readWholeFile(archive, data, error)) {
        printError(error);
        return 1;
    }
    if (!hc::erf::looksLikeExecutable(program.data(), program.size())) {
        printError(exe + " is not a program (it starts neither with MZ nor with ELF): the reader "
                         "would not look for an archive in it");
        return 1;
    }
    if (data.size() < hc::erf::kHeaderSize) {
        printError(archive + " is not an ERF archive (shorter than its header)");
        return 1;
    }
    const auto signature = hc::erf::embedSignature();
    // The reader takes the first marker in the file: a program that already carries an
    // archive would keep showing that one.
    if (std::search(program.begin(), program.end(), signature.begin(), signature.end()) !=
        program.end()) {
        printError(exe + " already carries an archive: the reader would keep finding that one. "
                         "Append to the program without it.");
        return 1;
    }
    if (hc::erf::looksLikeExecutable(data.data(), data.size())) {
        printError(archive + " is not a stand-alone ERF archive (it begins like a program)");
        return 1;
    }
    std::optional<hc::NewFile> created = hc::createFileBeside(out, ".partial");
    if (!created) {
        printError("cannot create a new file beside " + out + ": " + std::strerror(errno));
        return 1;
    }
    const std::string partial = created->name;
    const auto discard = [&] {
        std::error_code ignored;
        fs::remove(partial, ignored);
    };
    {
        hc::UniqueFile file = std::move(created->file);
        bool written = std::fwrite(program.data(), 1, program.size(), file.get()) == program.size();
        written = written && std::fwrite(signature.data(), 1, signature.size(), file.get()) ==
                                 signature.size();
        written = written && std::fwrite(data.data(), 1, data.size(), file.get()) == data.size();
        written = written && std::fclose(file.release()) == 0;
        if (!written) {
            printError("cannot write " + out + ": " + std::strerror(errno));
            discard();
            return 1;
        }
    }
    // The result is a program too: keep the executable's permissions.
    struct stat info {};
    if (::stat(exe.c_str(), &info) == 0) {
        ::chmod(partial.c_str(), info.st_mode & 07777);
    }
    if (std::rename(partial.c_str(), out.c_str()) != 0) {
        printError("cannot rename " + partial + " to " + out + ": " + std::strerror(errno));
        discard();
        return 1;
    }
    return 0;
}

int run(const std::vector<std::string>& args) {
    if (args.empty()) {
        return usage();
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (command == "list" && args.size() == 2) {
        return commandList(args[1]);
    }
    if (command == "cat" && args.size() == 3) {
        return commandCat(args[1], args[2]);
    }
    if (command == "verify" && args.size() == 2) {
        return commandVerify(args[1]);
    }
    if (command == "extract" && args.size() == 3) {
        return commandExtract(args[1], args[2]);
    }
    if (command == "pack" && args.size() >= 3) {
        return commandPack({args.begin() + 1, args.end()});
    }
    if (command == "append" && args.size() == 4) {
        return commandAppend(args[1], args[2], args[3]);
    }
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    int status = 1;
    try {
        status = run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        // Nothing may end the tool without a message (and without its cleanup: the writer's
        // new file is removed as the exception passes).
        printError(std::string("erftool: ") + error.what());
        status = 1;
    }
    ErfCloseAll();
    // Output that did not reach its place (a full disk) is a failure, never a silent success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        printError(std::string("erftool: cannot write to standard output: ") +
                   std::strerror(errno));
        return 1;
    }
    return status;
}
