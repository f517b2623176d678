// honeycombwordsmiths-content: puts a school's own recordings, clip texts and puzzle pictures
// into the DATA.ERF of its class folder, on a system where the programs were installed from
// the package (no compiler, no source tree).
//
//   honeycombwordsmiths-content [--check] [--class-folder DIR] [--archive FILE]
//
// It reads DIR/school-content/ (recordings/<clip>.wav, clips/<clip>.txt, puzzles/<picture>)
// and writes DIR/DATA.ERF: the installed archive FILE with the school's entries put in. The
// checks, conversions and puzzle cutting are the build's own code, and it speaks in the
// build's words. The archive is written under another name and renamed into place once whole,
// so a failed run leaves the previous DATA.ERF as it was and the programs never see half an
// archive. --check says what would be taken and left out, and writes nothing.

#include "content/audio/clip.h"
#include "content/entry_names.h"
#include "content/gen/offscreen.h"
#include "content/gen/school_pictures.h"
#include "content/gen/school_puzzles.h"
#include "content/gen/sound.h"
#include "content/school_files.h"

#include "archive/erf_directory.h"
#include "archive/erf_entry_stream.h"
#include "archive/erf_format.h"
#include "archive/erf_writer.h"
#include "datafiles/class_folder.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using hc::content::ContentProblem;

constexpr const char* kTool = "honeycombwordsmiths-content";
constexpr const char* kSchoolFolder = "school-content";
const fs::path kRecordings = fs::path(kSchoolFolder) / "recordings";
const fs::path kClipTexts = fs::path(kSchoolFolder) / "clips";
const fs::path kPictures = fs::path(kSchoolFolder) / "puzzles";

void say(const std::string& text) {
    std::fputs((text + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void complain(const std::string& text) {
    std::fflush(stdout);
    std::fputs((text + "\n").c_str(), stderr);
}

int usage() {
    complain(std::string("usage: ") + kTool +
             " [--check] [--class-folder DIR] [--archive FILE]\n"
             "  Puts your own recordings, clip texts and puzzle pictures from DIR/school-content\n"
             "  into DIR/DATA.ERF, the archive the programs use in that class folder.\n"
             "  --check         say what would be taken and left out; write nothing\n"
             "  --class-folder  the class folder (found as the programs find it when not given:\n"
             "                  the current folder when it holds DATA.ERF, else\n"
             "                  HONEYCOMB_CLASS_FOLDER, /etc/honeycombwordsmiths/class-folder,\n"
             "                  ~/.local/share/honeycombwordsmiths)\n"
             "  --archive       the installed archive the school's entries are put into\n"
             "                  (default: share/honeycombwordsmiths/DATA.ERF of this install)");
    return 2;
}

// Whether `program` can be started: a path to an executable, or a name found on PATH.
bool canRun(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return access(program.c_str(), X_OK) == 0;
    }
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const fs::path candidate = fs::path(folders.substr(start, end - start)) / program;
        if (end > start && access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// A temporary folder of this run, removed with everything in it at the end.
class WorkFolder {
public:
    WorkFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + kTool + ".XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder in " + pattern);
        }
        m_path = pattern;
    }
    ~WorkFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

std::vector<std::string> clipNames() {
    return {hc::entries::kClips.begin(), hc::entries::kClips.end()};
}

// What the school's folder gives, once checked.
struct SchoolContent {
    std::map<std::string, fs::path> recordings; // clip -> its recording
    std::map<std::string, fs::path> texts;      // clip -> its changed words
    std::vector<std::string> pictures;          // the puzzle pictures
};

// Checks the clip texts: a file named after no clip is left out with a warning; words the
// memo cannot show refuse the file.
void checkClipTexts(const std::vector<std::string>& clips, SchoolContent& content,
                    hc::content::Findings& findings) {
    for (const fs::path& file : hc::content::schoolFiles(kClipTexts)) {
        const std::string shown = file.generic_string();
        std::error_code error;
        const std::string stem = hc::content::lowerAscii(file.stem().string());
        const bool isClip = std::find(clips.begin(), clips.end(), stem) != clips.end();
        if (fs::is_directory(file, error)) {
            findings.warn(shown +
                          " is a folder, and texts inside folders are not used: put them "
                          "straight into " +
                          kClipTexts.generic_string() + ".");
        } else if (!isClip || hc::content::lowerAscii(file.extension().string()) != ".txt") {
            const std::string near = hc::content::closestName(stem, clips);
            findings.warn(shown +
                          " is not used: a clip's words are changed by a text file named "
                          "after the clip, such as welcome.txt" +
                          (near.empty() ? "" : " (did you mean " + near + ".txt?)") + ".");
        } else if (content.texts.count(stem) != 0) {
            findings.warn(shown + " is not used, because " + content.texts[stem].generic_string() +
                          " already holds the words of clip " + stem +
                          ": delete the one you do not want.");
        } else {
            try {
                hc::audio::readClipWords(file, stem);
                content.texts[stem] = file;
            } catch (const ContentProblem& problem) {
                findings.refuse(problem.what());
            }
        }
    }
}

// Looks at the school's folder as the build looks at its own: warnings for what is left out,
// refusals for what would be used but cannot be.
SchoolContent checkSchoolContent(const hc::audio::Tools& tools, hc::content::Findings& findings) {
    const std::vector<std::string> clips = clipNames();
    SchoolContent content;
    hc::content::checkRecordings(kRecordings, clips,
                                 "a text of the same name in " + kClipTexts.generic_string() +
                                     " changes what each says",
                                 findings);
    for (const std::string& clip : clips) {
        if (const auto recording = hc::audio::findRecording(kRecordings, clip)) {
            content.recordings[clip] = *recording;
        }
    }
    checkClipTexts(clips, content, findings);
    hc::content::checkPuzzlePictures(kPictures, findings);
    for (const fs::path& file : hc::content::schoolFiles(kPictures)) {
        std::error_code error;
        if (!fs::is_directory(file, error) &&
            hc::content::isPuzzlePictureName(file.filename().string())) {
            content.pictures.push_back(file.generic_string());
        }
    }
    // Recordings are converted by sox, new words without a recording spoken by flite; the
    // package recommends both, and a missing one is said in one line before anything is made.
    if (!content.recordings.empty() && !canRun(tools.sox)) {
        findings.refuse(content.recordings.begin()->second.generic_string() +
                        ": using your recordings needs the sound converter sox, which is not "
                        "installed (install it with: sudo apt install sox)");
    }
    std::string unspoken;
    for (const auto& [clip, text] : content.texts) {
        if (content.recordings.count(clip) == 0) {
            unspoken += (unspoken.empty() ? "" : ", ") + text.generic_string();
        }
    }
    if (!unspoken.empty() && !canRun(tools.flite)) {
        findings.refuse(unspoken +
                        ": changing what the bee says needs the speech synthesiser flite, which "
                        "is not installed (install it with: sudo apt install flite), or record "
                        "the words yourself into " +
                        kRecordings.generic_string());
    }
    return content;
}

// Reads an entry of the open archive whole.
std::vector<unsigned char> entryBytes(const hc::ErfEntryRecord& entry) {
    hc::ErfEntryStream stream;
    if (stream.open(entry) == nullptr) {
        throw std::runtime_error("cannot open entry " + std::string(entry.name));
    }
    std::vector<unsigned char> bytes;
    std::vector<unsigned char> buffer(65536);
    while (!stream.ended()) {
        const std::size_t got = stream.read(buffer.data(), buffer.size());
        if (got == 0 && !stream.ended()) {
            throw std::runtime_error("entry " + std::string(entry.name) + " is damaged");
        }
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + static_cast<long>(got));
    }
    return bytes;
}

std::vector<unsigned char> fileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        throw std::runtime_error("cannot read " + file.string());
    }
    return bytes;
}

void writeFileBytes(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

// Everything the new archive holds beside the installed entries: entry name -> file.
using NewEntries = std::map<std::string, fs::path>;

// The school's clips: its recordings converted, its words spoken; the memo from its words, or
// the installed one when only the voice changed.
void makeClips(const hc::audio::Tools& tools, const SchoolContent& content,
               const hc::ErfDirectory& installed, const fs::path& work, NewEntries& entries) {
    for (const std::string& clip : clipNames()) {
        const auto recording = content.recordings.find(clip);
        const auto text = content.texts.find(clip);
        if (recording == content.recordings.end() && text == content.texts.end()) {
            continue;
        }
        const fs::path wav = work / "bee" / (clip + ".wav");
        const fs::path memo = work / "bee" / (clip + ".txt");
        fs::create_directories(wav.parent_path());
        if (text != content.texts.end()) {
            const hc::audio::ClipWords words = hc::audio::readClipWords(text->second, clip);
            writeFileBytes(memo, words.memo);
            entries[hc::entries::clipText(clip)] = memo;
            if (recording == content.recordings.end()) {
                say("Speaking your words " + text->second.generic_string());
                hc::audio::synthesiseSpeech(tools, words.speech, wav);
                entries[hc::entries::clipSound(clip)] = wav;
            }
        } else if (installed.find(hc::entries::clipText(clip)) == nullptr) {
            throw std::runtime_error("the installed archive has no text of clip " + clip);
        }
        if (recording != content.recordings.end()) {
            say("Using your recording " + recording->second.generic_string());
            hc::audio::convertSchoolRecording(tools, recording->second, wav);
            entries[hc::entries::clipSound(clip)] = wav;
        }
    }
}

// How many puzzles the installed archive holds (0 .. n-1, each with its movie).
int installedPuzzles(const hc::ErfDirectory& installed) {
    int count = 0;
    while (installed.find(hc::entries::puzzleMovie(count)) != nullptr) {
        ++count;
    }
    return count;
}

// The school's puzzles, numbered after the installed ones, with the installed puzzles' sound.
void makePuzzles(const SchoolContent& content, const hc::ErfDirectory& installed,
                 const fs::path& work, NewEntries& entries) {
    if (content.pictures.empty()) {
        return;
    }
    const int first = installedPuzzles(installed);
    if (first == 0) {
        throw std::runtime_error("the installed archive holds no puzzle");
    }
    const fs::path movie = work / "sound-of-the-puzzles.avi";
    const std::vector<unsigned char> bytes =
        entryBytes(*installed.find(hc::entries::puzzleMovie(0)));
    writeFileBytes(movie, std::string(bytes.begin(), bytes.end()));
    const hc::content::Sound sparkle = hc::content::readMovieSound(movie.string());
    const fs::path visual = work / "visual";
    hc::content::writeSchoolPuzzles(visual.string(), first, content.pictures, sparkle);
    for (int k = first; k < first + static_cast<int>(content.pictures.size()); ++k) {
        for (int piece = 0; piece < hc::entries::kPuzzlePieces; ++piece) {
            std::string name = hc::entries::puzzlePiece(k, piece);
            std::string file = name;
            std::replace(file.begin(), file.end(), '\\', '/');
            entries[name] = visual / file;
        }
        std::string name = hc::entries::puzzleMovie(k);
        std::string file = name;
        std::replace(file.begin(), file.end(), '\\', '/');
        entries[name] = visual / file;
    }
}

bool endsWithAvi(const std::string& name) {
    return hc::content::lowerAscii(fs::path(name).extension().string()) == ".avi";
}

// Writes `archive`: every installed entry that the school does not replace, and the school's
// entries, in the reader's name order. Movies are stored, everything else new is compressed,
// as the build packs them.
void writeArchive(const fs::path& archive, const hc::ErfDirectory& installed,
                  const std::string& title, const NewEntries& entries) {
    struct Item {
        std::string name;
        const hc::ErfEntryRecord* installed = nullptr;
        fs::path file;
    };
    std::vector<Item> items;
    installed.forEach([&](const hc::ErfEntryRecord& entry) {
        const bool replaced = std::any_of(entries.begin(), entries.end(), [&](const auto& e) {
            return hc::erf::namesEqual(e.first, entry.name);
        });
        if (!replaced) {
            items.push_back({std::string(entry.name), &entry, {}});
        }
        return true;
    });
    for (const auto& [name, file] : entries) {
        items.push_back({name, nullptr, file});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return hc::erf::compareNames(a.name, b.name) < 0;
    });
    hc::ErfWriter writer(archive.string(), title);
    for (const Item& item : items) {
        const std::vector<unsigned char> bytes =
            item.installed ? entryBytes(*item.installed) : fileBytes(item.file);
        const bool compress = item.installed ? item.installed->compressed : !endsWithAvi(item.name);
        if (!writer.error().empty() || !writer.addEntry(item.name, bytes, compress)) {
            throw std::runtime_error(writer.error());
        }
    }
    if (!writer.finish()) {
        throw std::runtime_error(writer.error());
    }
}

struct Options {
    bool check = false;
    fs::path classFolder;
    fs::path archive;
};

int run(const Options& options) {
    const hc::audio::Tools tools;
    std::error_code error;
    if (!fs::is_directory(options.classFolder / kSchoolFolder, error)) {
        complain("There is no folder " + (options.classFolder / kSchoolFolder).string() +
                 ": make it, put your recordings into school-content/recordings, changed clip "
                 "texts into school-content/clips and puzzle pictures into "
                 "school-content/puzzles, and run " +
                 kTool + " again");
        return 1;
    }
    fs::current_path(options.classFolder);
    say("Looking at your recordings, clip texts and puzzle pictures in " +
        (options.classFolder / kSchoolFolder).string());
    hc::content::Findings findings;
    const SchoolContent content = checkSchoolContent(tools, findings);
    if (findings.finish("") != 0) {
        return 1; // a refusal, the last line printed; the class folder's archive is untouched
    }
    hc::ErfDirectory installed;
    char title[hc::erf::kTitleSize + 1] = {};
    const ErfResult opened = installed.openArchive(options.archive.string(), true, title, nullptr);
    if (opened != ErfOk) {
        complain("The installed archive " + options.archive.string() + " cannot be read (" +
                 ErfResultMessage(opened) +
                 "): install the package again, or name the archive with --archive");
        return 1;
    }
    if (options.check) {
        for (const auto& [clip, file] : content.recordings) {
            say("Would use your recording " + file.generic_string());
        }
        for (const auto& [clip, file] : content.texts) {
            say("Would use your words " + file.generic_string());
        }
        std::vector<std::string> pictures = content.pictures;
        std::sort(pictures.begin(), pictures.end(), [](const std::string& a, const std::string& b) {
            return hc::content::naturalLess(fs::path(a).filename().string(),
                                            fs::path(b).filename().string());
        });
        std::fputs(hc::content::schoolPuzzleList(installedPuzzles(installed), pictures).c_str(),
                   stdout);
        say("Checked only: nothing was written.");
        return 0;
    }
    const WorkFolder work;
    NewEntries entries;
    makeClips(tools, content, installed, work.path(), entries);
    makePuzzles(content, installed, work.path(), entries);
    const fs::path archive = options.classFolder / "DATA.ERF";
    writeArchive(archive, installed, title, entries);
    say("Wrote " + archive.string() + ": " + std::to_string(content.recordings.size()) +
        " recording(s), " + std::to_string(content.texts.size()) + " changed text(s) and " +
        std::to_string(content.pictures.size()) +
        " puzzle picture(s) of yours. The programs use it from their next start.");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Puzzles are painted off screen.
    hc::content::startOffscreen();
    // The class folder is found as the programs find it, so the archive written is the one
    // they open.
    std::string optionError;
    const std::optional<std::string> folderOption =
        hc::takeClassFolderOption(argc, argv, optionError);
    if (!optionError.empty()) {
        return usage();
    }
    Options options;
    std::optional<fs::path> archive;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--check") {
            options.check = true;
        } else if (arg == "--archive" && i + 1 < argc) {
            archive = fs::path(argv[++i]);
        } else {
            return usage();
        }
    }
    try {
        options.classFolder =
            hc::resolveClassFolder(hc::classFolderInputs(folderOption)).folder.lexically_normal();
    } catch (const hc::ClassFolderError& error) {
        complain(error.what());
        return 1;
    }
    if (!options.classFolder.has_filename() && options.classFolder.has_relative_path()) {
        options.classFolder = options.classFolder.parent_path(); // no trailing separator
    }
    std::error_code error;
    options.archive =
        fs::absolute(archive.value_or(hc::installedDataFolder(hc::ownExecutable()) / "DATA.ERF"),
                     error)
            .lexically_normal();
    QGuiApplication app(argc, argv);
    try {
        return run(options);
    } catch (const ContentProblem& problem) {
        // Said to the school as it stands, as the last line; nothing was written.
        complain(problem.what());
    } catch (const std::exception& failure) {
        complain(std::string(kTool) + ": " + failure.what() + " (nothing was written: " +
                 (options.classFolder / "DATA.ERF").string() + " is as it was)");
    }
    return 1;
}
