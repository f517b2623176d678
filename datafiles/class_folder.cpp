#include "class_folder.h"

#include "datafiles/settings.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>
#include <unistd.h>

#ifndef HC_RELATIVE_DATA_DIR
#define HC_RELATIVE_DATA_DIR "../share/honeycombwordsmiths"
#endif

namespace hc {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaultFolderName = "honeycombwordsmiths";

std::optional<std::string> environment(const char* name) {
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
        return std::string(value);
    }
    return std::nullopt;
}

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// The first line of the system-wide setting, without surrounding blanks; nothing when the file
// is missing, unreadable or holds no folder.
std::optional<std::string> settingLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) {
        return std::nullopt;
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!line.empty() && blank(line.back())) {
        line.pop_back();
    }
    std::size_t first = 0;
    while (first < line.size() && blank(line[first])) {
        ++first;
    }
    line.erase(0, first);
    if (line.empty()) {
        return std::nullopt;
    }
    return line;
}

fs::path absoluteIn(const fs::path& base, const std::string& given) {
    const fs::path path(given);
    return (path.is_absolute() ? path : base / path).lexically_normal();
}

std::string named(const fs::path& folder) {
    std::string text = folder.string();
    if (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

// Refuses a folder that is missing or cannot take new files.
void checkUsable(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        throw ClassFolderError("The class folder " + named(folder) + " does not exist.");
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        throw ClassFolderError("The class folder " + named(folder) + " cannot be written.");
    }
}

// The default folder is the program's own: made on first use, with the starter word list.
void createDefault(const fs::path& folder, const fs::path& installedData) {
    std::error_code error;
    if (fs::is_directory(folder, error)) {
        return;
    }
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) {
        throw ClassFolderError("The class folder " + named(folder) + " cannot be written.");
    }
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    const fs::path starter = installedData / kStarterWordList;
    if (isFile(starter)) {
        fs::copy_file(starter, folder / kStarterWordList, error);
        fs::permissions(folder / kStarterWordList, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::replace, error);
    }
}

} // namespace

fs::path installedDataFolder(const fs::path& executable) {
    if (executable.empty()) {
        return {};
    }
    return (executable.parent_path() / HC_RELATIVE_DATA_DIR).lexically_normal();
}

fs::path ownExecutable() {
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : path;
}

ClassFolderInputs classFolderInputs(std::optional<std::string> option) {
    ClassFolderInputs inputs;
    std::error_code error;
    inputs.startFolder = fs::current_path(error);
    inputs.option = std::move(option);
    inputs.variable = environment(kClassFolderVariable);
    inputs.settingFile = kClassFolderSetting;
    inputs.xdgDataHome = environment("XDG_DATA_HOME");
    inputs.home = environment("HOME");
    inputs.installedData = installedDataFolder(ownExecutable());
    return inputs;
}

ClassFolder resolveClassFolder(const ClassFolderInputs& inputs) {
    ClassFolder result;
    if (isFile(inputs.startFolder / "DATA.ERF")) {
        result.folder = inputs.startFolder;
        result.source = ClassFolderSource::StartFolder;
    } else if (inputs.option) {
        result.folder = absoluteIn(inputs.startFolder, *inputs.option);
        result.source = ClassFolderSource::Option;
    } else if (inputs.variable) {
        result.folder = absoluteIn(inputs.startFolder, *inputs.variable);
        result.source = ClassFolderSource::Variable;
    } else if (const auto setting = settingLine(inputs.settingFile)) {
        // A relative folder in the setting is read from where the setting lies.
        result.folder = absoluteIn(inputs.settingFile.parent_path(), *setting);
        result.source = ClassFolderSource::SystemSetting;
    } else {
        // XDG: a relative XDG_DATA_HOME is invalid and ignored.
        fs::path dataHome;
        if (inputs.xdgDataHome && fs::path(*inputs.xdgDataHome).is_absolute()) {
            dataHome = *inputs.xdgDataHome;
        } else if (inputs.home && fs::path(*inputs.home).is_absolute()) {
            dataHome = fs::path(*inputs.home) / ".local" / "share";
        } else {
            throw ClassFolderError("There is no class folder: HOME is not set.");
        }
        result.folder = (dataHome / kDefaultFolderName).lexically_normal();
        result.source = ClassFolderSource::Default;
        createDefault(result.folder, inputs.installedData);
    }
    checkUsable(result.folder);

    result.archive = result.folder / "DATA.ERF";
    if (!isFile(result.archive) && !inputs.installedData.empty() &&
        isFile(inputs.installedData / "DATA.ERF")) {
        result.archive = inputs.installedData / "DATA.ERF";
    }
    return result;
}

void enterClassFolder(const ClassFolder& folder) {
    if (::chdir(folder.folder.c_str()) != 0) {
        throw ClassFolderError("The class folder " + named(folder.folder) +
                               " cannot be opened: " + std::strerror(errno));
    }
    setStartDirectory(folder.folder.string());
}

std::optional<std::string> takeClassFolderOption(int& argc, char** argv, std::string& error) {
    std::optional<std::string> value;
    const std::string option = kClassFolderOption;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::optional<std::string> given;
        if (argument == option) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                error = option + " needs a folder";
                return std::nullopt;
            }
            given = argv[++i];
        } else if (argument.rfind(option + "=", 0) == 0) {
            given = argument.substr(option.size() + 1);
            if (given->empty()) {
                error = option + " needs a folder";
                return std::nullopt;
            }
        } else {
            argv[kept++] = argv[i];
            continue;
        }
        if (value) {
            error = option + " is given more than once";
            return std::nullopt;
        }
        value = std::move(given);
    }
    argc = kept;
    argv[argc] = nullptr;
    return value;
}

} // namespace hc
