#pragma once

// The class folder: the folder holding OPTIONS.DAT, the user file and the word list, shared by
// both programs and hcadmin, possibly on a network share. Which folder it is:
//   1. the folder the program is started in, when it holds DATA.ERF (a program directory, a
//      portable copy, a school's old layout);
//   2. otherwise the --class-folder option, else the HONEYCOMB_CLASS_FOLDER environment
//      variable, else the first line of /etc/honeycombwordsmiths/class-folder, else
//      $XDG_DATA_HOME/honeycombwordsmiths (~/.local/share/honeycombwordsmiths), which alone is
//      created when missing, with the starter word list copied in.
// A class folder that does not exist or cannot be written is refused with one message naming
// it; nothing is ever created anywhere else in its place.
//
// DATA.ERF is the one in the class folder when there is one (a school's own content pack),
// else the one of the installed data folder, found relative to the program's own executable so
// that an install under any prefix works.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace hc {

inline constexpr const char* kClassFolderOption = "--class-folder";
inline constexpr const char* kClassFolderVariable = "HONEYCOMB_CLASS_FOLDER";
inline constexpr const char* kClassFolderSetting = "/etc/honeycombwordsmiths/class-folder";
inline constexpr const char* kStarterWordList = "WORDLIST.TXT";

// Everything the choice depends on, gathered once (classFolderInputs) or set by a test.
struct ClassFolderInputs {
    std::filesystem::path startFolder;   // absolute
    std::optional<std::string> option;   // --class-folder DIR
    std::optional<std::string> variable; // HONEYCOMB_CLASS_FOLDER
    std::filesystem::path settingFile;   // the system-wide setting's file
    std::optional<std::string> xdgDataHome;
    std::optional<std::string> home;
    std::filesystem::path installedData; // the installed data folder (may not exist)
};

enum class ClassFolderSource { StartFolder, Option, Variable, SystemSetting, Default };

struct ClassFolder {
    std::filesystem::path folder; // absolute
    ClassFolderSource source = ClassFolderSource::Default;
    std::filesystem::path archive; // the DATA.ERF to open
};

// The one message for a class folder that cannot be used; what() names the folder.
class ClassFolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The installed data folder of the program whose executable is `executable`: the folder of
// DATA.ERF and the starter word list, at the same place relative to the binary folder as in
// the install rules.
std::filesystem::path installedDataFolder(const std::filesystem::path& executable);

// The running program's own executable (/proc/self/exe); empty when it cannot be told.
std::filesystem::path ownExecutable();

// The inputs of this process: the current folder, its environment, the system setting file and
// the data folder installed with its executable. `option` is the --class-folder value, if any.
ClassFolderInputs classFolderInputs(std::optional<std::string> option);

// Applies the rules above; creates the default folder (with the starter word list) when it is
// the one chosen and missing. Throws ClassFolderError when the chosen folder cannot be used.
ClassFolder resolveClassFolder(const ClassFolderInputs& inputs);

// Makes `folder` the current folder and the start directory of the settings code, so relative
// paths of OPTIONS.DAT are resolved there. Throws ClassFolderError when it cannot be entered.
void enterClassFolder(const ClassFolder& folder);

// Takes "--class-folder DIR" or "--class-folder=DIR" out of the command line (argc and argv are
// updated, the other arguments keep their order). Returns the value; `error` is set (and
// nothing returned) when the option is given without a folder or more than once.
std::optional<std::string> takeClassFolderOption(int& argc, char** argv, std::string& error);

} // namespace hc
