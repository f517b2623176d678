// hc_artgen: draws the pictures and movies of the program's content at build time.
//
//   hc_artgen pictures OUTDIR              pictures stored with the screens, pictures.qrc
//   hc_artgen icons OUTDIR STUDENT OPTIONS the programs' menu icons, hicolor sizes
//   hc_artgen bee OUTDIR                   the four bee animations
//   hc_artgen movies OUTDIR AUDIODIR       the screens' movies (sound tracks from AUDIODIR)
//   hc_artgen puzzles OUTDIR AUDIODIR [PICTURE...]
//                                          the puzzles' pieces and movies; each PICTURE (a
//                                          school's own) adds a puzzle after the drawn ones
//   hc_artgen manifest OUT VISUALDIR PUZZLES [AUDIO.manifest]
//                                          the packing list of DATA.ERF, sorted by name
//   hc_artgen check OVERRIDEDIR PUZZLEDIR [REPORT]
//                                          a school's recordings and puzzle pictures, before
//                                          anything is made from them: warnings, and refusals
//                                          that stop the build; both also appended to REPORT
//
// Every output depends only on the code and the inputs, never on the time or the machine's
// state, so two builds write the same bytes.

#include "content/gen/art.h"
#include "content/gen/generators.h"
#include "content/gen/offscreen.h"
#include "content/gen/school_pictures.h"

#include "archive/error.h"
#include "content/entry_names.h"
#include "content/school_files.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using hc::Error;

struct ManifestLine {
    std::string name;
    std::string path;
};

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw Error("Can't read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// FNV-1a over the file's bytes, as 16 hex digits.
std::string contentHash(const std::string& path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : readAll(path)) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

void writeIfChanged(const std::string& path, const std::string& content) {
    if (std::filesystem::exists(path) && readAll(path) == content) {
        return;
    }
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary);
        file << content;
        if (!file) {
            throw Error("Can't write " + temporary);
        }
    }
    std::filesystem::rename(temporary, path);
}

// Every entry the visual generators make, by its archive name.
std::vector<std::string> visualEntries(int puzzles) {
    namespace e = hc::entries;
    std::vector<std::string> names = {std::string(e::kBeeIdle),        std::string(e::kBeeTalk),
                                      std::string(e::kBeeJump),        std::string(e::kBeeNo),
                                      std::string(e::kLoadingMovie),   std::string(e::kLogoMovie),
                                      std::string(e::kTitleBeeMovie),  std::string(e::kStartMovie),
                                      std::string(e::kFlashCardMovie), std::string(e::kPhonoMovie)};
    for (int n = 0; n < hc::content::kRewardCount; ++n) {
        names.push_back(e::rewardMovie(n));
    }
    for (int k = 0; k < puzzles; ++k) {
        names.push_back(e::puzzleMovie(k));
        for (int piece = 0; piece < e::kPuzzlePieces; ++piece) {
            names.push_back(e::puzzlePiece(k, piece));
        }
    }
    return names;
}

// Writes the packing list: the visual entries (files under VISUALDIR named like the entries)
// and the sound entries of the audio manifest, in ascending order of the reader's name
// comparison (letters folded to upper case, then bytes), one NAME<TAB>PATH line each.
void writeManifest(const std::string& out, const std::string& visualDir, int puzzles,
                   const std::string& audioManifest) {
    std::vector<ManifestLine> lines;
    for (const std::string& name : visualEntries(puzzles)) {
        std::string file = name;
        std::replace(file.begin(), file.end(), '\\', '/');
        const std::string path =
            std::filesystem::absolute(std::filesystem::path(visualDir) / file).string();
        if (!std::filesystem::is_regular_file(path)) {
            throw Error("Missing content file " + path + " for entry " + name);
        }
        lines.push_back({name, path});
    }
    if (!audioManifest.empty()) {
        std::ifstream in(audioManifest);
        if (!in) {
            throw Error("Can't read the sound manifest " + audioManifest);
        }
        std::string text;
        while (std::getline(in, text)) {
            if (!text.empty() && text.back() == '\r') {
                text.pop_back();
            }
            if (text.empty()) {
                continue;
            }
            const auto tab = text.find('\t');
            if (tab == std::string::npos || tab == 0 || tab + 1 == text.size()) {
                throw Error("Bad line in the sound manifest " + audioManifest + ": " + text);
            }
            ManifestLine line{text.substr(0, tab), text.substr(tab + 1)};
            if (!std::filesystem::is_regular_file(line.path)) {
                throw Error("Missing content file " + line.path + " for entry " + line.name);
            }
            lines.push_back(line);
        }
    }
    std::sort(lines.begin(), lines.end(), [](const ManifestLine& a, const ManifestLine& b) {
        return upper(a.name) < upper(b.name);
    });
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (upper(lines[i - 1].name) == upper(lines[i].name)) {
            throw Error("Two content files for entry " + lines[i].name);
        }
    }
    std::string manifest;
    std::string fingerprint;
    for (const ManifestLine& line : lines) {
        manifest += line.name + '\t' + line.path + '\n';
        fingerprint += line.name + '\t' + contentHash(line.path) + '\n';
    }
    // Both files are rewritten only when they change, so the archive is packed again exactly
    // when an entry's name, file or bytes changed.
    writeIfChanged(out, manifest);
    writeIfChanged(out + ".fingerprint", fingerprint);
}

int usage() {
    std::fputs("usage: hc_artgen pictures|bee OUTDIR\n"
               "       hc_artgen icons OUTDIR STUDENT OPTIONS\n"
               "       hc_artgen movies OUTDIR AUDIODIR\n"
               "       hc_artgen puzzles OUTDIR AUDIODIR [PICTURE...]\n"
               "       hc_artgen manifest OUT VISUALDIR PUZZLES [AUDIO.manifest]\n"
               "       hc_artgen check OVERRIDEDIR PUZZLEDIR [REPORT]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Drawing text needs a GUI application, but never a display.
    hc::content::startOffscreen();
    qputenv("QT_QPA_FONTDIR", "/usr/share/fonts");
    if (argc < 3) {
        return usage();
    }
    const std::string command = argv[1];
    const std::string out = argv[2];
    try {
        if (command == "manifest") {
            if (argc < 5) {
                return usage();
            }
            writeManifest(out, argv[3], std::atoi(argv[4]), argc > 5 ? argv[5] : "");
            return 0;
        }
        if (command == "check") {
            if (argc < 4) {
                return usage();
            }
            // Reading pictures needs no display and no fonts.
            QCoreApplication app(argc, argv);
            const std::vector<std::string> clips(hc::entries::kClips.begin(),
                                                 hc::entries::kClips.end());
            hc::content::Findings findings;
            hc::content::checkRecordings(std::filesystem::path(out) / "bee", clips,
                                         "what each says is in content/audio/clips", findings);
            hc::content::checkPuzzlePictures(argv[3], findings);
            return findings.finish(argc > 4 ? argv[4] : "");
        }
        QGuiApplication app(argc, argv);
        hc::content::loadFonts();
        std::filesystem::create_directories(out);
        if (command == "pictures") {
            hc::content::writePictures(out);
        } else if (command == "icons" && argc == 5) {
            hc::content::writeIcons(out, argv[3], argv[4]);
        } else if (command == "bee") {
            hc::content::writeBeeMovies(out);
        } else if (command == "movies" && argc >= 4) {
            hc::content::writeScreenMovies(out, argv[3]);
        } else if (command == "puzzles" && argc >= 4) {
            hc::content::writePuzzles(out, argv[3],
                                      std::vector<std::string>(argv + 4, argv + argc));
        } else {
            return usage();
        }
        return 0;
    } catch (const hc::content::ContentProblem& problem) {
        // Said to the school as it stands, as the last thing the step prints.
        std::fprintf(stderr, "%s\n", problem.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "hc_artgen %s: %s\n", command.c_str(), error.what());
        return 1;
    }
}
