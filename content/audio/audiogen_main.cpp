// hc_audiogen: builds the sound content of DATA.ERF. The content build runs one command per
// output; each command writes its outputs whole (under a temporary name, then renamed) and
// exits non-zero with a message on stderr when anything fails.
//
//   hc_audiogen clip --name N --text F --override-dir D --wav OUT --memo OUT [--report F]
//                    [tools]
//   hc_audiogen convert IN OUT [tools]                 a recording as a narrator clip
//   hc_audiogen phonos --wav OUT --table OUT [tools]
//   hc_audiogen title OUT.mid
//   hc_audiogen track NAME OUT.wav [tools]             a movie's sound track
//   hc_audiogen render IN.mid OUT.wav --seconds S [tools]
//
// [tools]: --flite P --espeak P --sox P --soundfont F (defaults: the programs on PATH).
// --report F: what is wrong with a school's own files is also appended to F, which the build
// script shows again at the end of the build.

#include "clip.h"
#include "midi_render.h"
#include "music.h"
#include "phonograms.h"
#include "wav_io.h"

#include "content/school_files.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace hc::audio;

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    std::string option(const std::string& name) const {
        const auto found = options.find(name);
        if (found == options.end()) {
            throw std::runtime_error("missing --" + name);
        }
        return found->second;
    }
    std::string optional(const std::string& name, const std::string& fallback) const {
        const auto found = options.find(name);
        return found == options.end() ? fallback : found->second;
    }
    const std::string& at(std::size_t index) const {
        if (index >= positional.size()) {
            throw std::runtime_error("missing argument");
        }
        return positional[index];
    }
};

Arguments parse(int argc, char** argv) {
    Arguments args;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= argc) {
                throw std::runtime_error(arg + " needs a value");
            }
            args.options[arg.substr(2)] = argv[++i];
        } else {
            args.positional.push_back(arg);
        }
    }
    return args;
}

Tools toolsFrom(const Arguments& args) {
    Tools tools;
    tools.flite = args.optional("flite", tools.flite);
    tools.espeak = args.optional("espeak", tools.espeak);
    tools.sox = args.optional("sox", tools.sox);
    tools.soundfont = args.optional("soundfont", "/usr/share/sounds/sf2/TimGM6mb.sf2");
    return tools;
}

// Outputs may go into folders that a clean build has not made yet.
void makeParent(const std::filesystem::path& file) {
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path());
    }
}

void makeParents(const Arguments& args, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const auto found = args.options.find(name);
        if (found != args.options.end()) {
            makeParent(found->second);
        }
    }
    if (!args.positional.empty()) {
        makeParent(args.positional.back());
    }
}

int run(const std::string& command, const Arguments& args) {
    const Tools tools = toolsFrom(args);
    makeParents(args, {"wav", "memo", "table"});
    if (command == "clip") {
        buildClip(tools, {args.option("name"), args.option("text"), args.option("override-dir"),
                          args.option("wav"), args.option("memo")});
    } else if (command == "convert") {
        const std::filesystem::path out = args.at(1);
        const std::filesystem::path part = out.string() + ".part";
        convertRecording(tools, args.at(0), part);
        std::filesystem::rename(part, out);
    } else if (command == "phonos") {
        buildPhonograms(tools, args.option("wav"), args.option("table"));
    } else if (command == "title") {
        const std::filesystem::path out = args.at(0);
        writeBytes(out.string() + ".part", titleMusic().smf());
        std::filesystem::rename(out.string() + ".part", out);
    } else if (command == "track") {
        for (const SoundTrack& track : soundTracks()) {
            if (track.name == args.at(0)) {
                renderSoundTrack(tools, track.compose().smf(), track.seconds, args.at(1));
                return 0;
            }
        }
        throw std::runtime_error("no sound track named " + args.at(0));
    } else if (command == "render") {
        renderSoundTrack(tools, readBytes(args.at(0)), std::stod(args.option("seconds")),
                         args.at(1));
    } else {
        throw std::runtime_error("unknown command " + command);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: hc_audiogen clip|convert|phonos|title|track|render ...\n");
        return 2;
    }
    Arguments args;
    try {
        args = parse(argc, argv);
        return run(argv[1], args);
    } catch (const hc::content::ContentProblem& problem) {
        // Said to the school as it stands: the last line the build prints is this message.
        const std::string message = std::string(problem.what()) + "\n";
        std::fputs(message.c_str(), stderr);
        hc::content::appendToReport(args.optional("report", ""), message);
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "hc_audiogen %s: %s\n", argv[1], error.what());
        return 1;
    }
}
