#include "datafiles/class_folder.h"

#include "datafiles/settings.h"
#include "datafiles/word_list.h"
#include "temp_dir.h"

#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace hc::test {
namespace {

namespace fs = std::filesystem;

// What one resolution gave: the folder and archive, or the message.
struct Outcome {
    std::string folder;
    std::string archive;
    std::string error;
};

Outcome resolve(const ClassFolderInputs& inputs) {
    try {
        const ClassFolder found = resolveClassFolder(inputs);
        return {found.folder.string(), found.archive.string(), ""};
    } catch (const ClassFolderError& error) {
        return {"", "", error.what()};
    }
}

// The same, as an account that cannot write where its mode bits say no: the tests may run as
// root, who writes everywhere. The child's answer comes back through a pipe.
Outcome resolveAsOtherAccount(const ClassFolderInputs& inputs) {
    if (::geteuid() != 0) {
        return resolve(inputs);
    }
    int channel[2];
    if (::pipe(channel) != 0) {
        return {"", "", "no pipe"};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        const Outcome outcome = dropped ? resolve(inputs) : Outcome{"", "", "cannot drop root"};
        const std::string text = outcome.folder + '\n' + outcome.archive + '\n' + outcome.error;
        [[maybe_unused]] const auto written = ::write(channel[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    const std::size_t first = text.find('\n');
    const std::size_t second = text.find('\n', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
        return {"", "", "no answer: " + text};
    }
    return {text.substr(0, first), text.substr(first + 1, second - first - 1),
            text.substr(second + 1)};
}

class ClassFolderTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        // Every account may look in (the read-only case runs as another account).
        fs::permissions(dir(), fs::perms::all);
        for (const char* folder : {"start", "installed", "etc", "home", "shared"}) {
            fs::create_directory(path(folder));
            fs::permissions(path(folder), fs::perms::all);
        }
        writeFile(path("installed/DATA.ERF"), "installed archive");
        writeFile(path("installed/WORDLIST.TXT"), "cat\r\ndog\r\n");
    }
    void TearDown() override {
        setStartDirectory(std::string());
        TempDirTest::TearDown();
    }

    // Nothing set: the default folder under HOME would be chosen.
    ClassFolderInputs inputs() const {
        ClassFolderInputs in;
        in.startFolder = path("start");
        in.settingFile = path("etc/class-folder");
        in.home = path("home");
        in.installedData = path("installed");
        return in;
    }
};

TEST_F(ClassFolderTest, RulesPickTheFolderAndTheArchive) {
    struct Case {
        const char* what;
        std::function<void(ClassFolderInputs&)> given;
        std::string folder; // relative to the test folder; "" when refused
        std::string archive;
        std::string error;
    };
    const std::string home = "home/.local/share/honeycombwordsmiths";
    const std::vector<Case> cases = {
        {"start folder holding DATA.ERF wins over everything",
         [&](ClassFolderInputs& in) {
             writeFile(path("start/DATA.ERF"), "portable copy");
             in.option = path("shared");
             in.variable = path("shared");
         },
         "start", "start/DATA.ERF", ""},
        {"option, relative to the start folder",
         [](ClassFolderInputs& in) {
             in.option = "../shared";
             in.variable = "/nowhere";
         },
         "shared", "installed/DATA.ERF", ""},
        {"variable",
         [&](ClassFolderInputs& in) {
             in.variable = path("shared");
             writeFile(path("etc/class-folder"), "/nowhere\n");
         },
         "shared", "installed/DATA.ERF", ""},
        {"system setting: its first line, blanks cut",
         [&](ClassFolderInputs& in) {
             writeFile(path("etc/class-folder"), "  " + path("shared") + " \r\nignored\n");
             in.xdgDataHome = path("xdg");
         },
         "shared", "installed/DATA.ERF", ""},
        {"empty system setting: the default",
         [&](ClassFolderInputs&) { writeFile(path("etc/class-folder"), "\n"); }, home,
         "installed/DATA.ERF", ""},
        {"default under XDG_DATA_HOME",
         [&](ClassFolderInputs& in) { in.xdgDataHome = path("xdg"); }, "xdg/honeycombwordsmiths",
         "installed/DATA.ERF", ""},
        {"a relative XDG_DATA_HOME is ignored",
         [](ClassFolderInputs& in) { in.xdgDataHome = "xdg"; }, home, "installed/DATA.ERF", ""},
        {"a school's own DATA.ERF in the class folder",
         [&](ClassFolderInputs& in) {
             in.variable = path("shared");
             writeFile(path("shared/DATA.ERF"), "school pack");
         },
         "shared", "shared/DATA.ERF", ""},
        {"no archive anywhere: the class folder's name, so the program says it is missing",
         [&](ClassFolderInputs& in) {
             in.variable = path("shared");
             in.installedData = path("nowhere");
         },
         "shared", "shared/DATA.ERF", ""},
        {"missing option folder", [&](ClassFolderInputs& in) { in.option = path("gone"); }, "", "",
         "The class folder " + path("gone") + " does not exist."},
        {"missing system setting folder",
         [&](ClassFolderInputs&) { writeFile(path("etc/class-folder"), path("gone") + "\n"); }, "",
         "", "The class folder " + path("gone") + " does not exist."},
        {"a file named as the folder",
         [&](ClassFolderInputs& in) {
             writeFile(path("file"), "");
             in.variable = path("file");
         },
         "", "", "The class folder " + path("file") + " does not exist."},
        {"no HOME and no XDG_DATA_HOME", [](ClassFolderInputs& in) { in.home.reset(); }, "", "",
         "There is no class folder: HOME is not set."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path("home/.local"));
        fs::remove_all(path("xdg"));
        fs::remove(path("start/DATA.ERF"));
        fs::remove(path("shared/DATA.ERF"));
        fs::remove(path("etc/class-folder"));
        ClassFolderInputs in = inputs();
        c.given(in);
        const Outcome outcome = resolve(in);
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.folder, c.folder.empty() ? "" : path(c.folder));
        EXPECT_EQ(outcome.archive, c.archive.empty() ? "" : path(c.archive));
        EXPECT_FALSE(fs::exists(path("gone")));
        // Only the default folder is ever made, and only when it is the one chosen.
        EXPECT_EQ(fs::exists(path(home)), c.folder == home);
    }
}

TEST_F(ClassFolderTest, DefaultFolderIsMadeOnceWithTheStarterWordList) {
    const Outcome first = resolve(inputs());
    ASSERT_EQ(first.error, "");
    const fs::path folder = first.folder;
    EXPECT_EQ(readFile((folder / "WORDLIST.TXT").string()), "cat\r\ndog\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "the class of one account is its own";

    // The teacher's own list is never replaced by the starter list again.
    writeFile((folder / "WORDLIST.TXT").string(), "bee\r\n");
    ASSERT_EQ(resolve(inputs()).error, "");
    EXPECT_EQ(readFile((folder / "WORDLIST.TXT").string()), "bee\r\n");
}

TEST_F(ClassFolderTest, FolderThatCannotBeWrittenIsRefusedAndNothingIsMadeElsewhere) {
    fs::create_directory(path("readonly"));
    fs::permissions(path("readonly"),
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::replace);
    ClassFolderInputs in = inputs();
    in.option = path("readonly");
    Outcome outcome = resolveAsOtherAccount(in);
    EXPECT_EQ(outcome.error, "The class folder " + path("readonly") + " cannot be written.");

    // The default folder, when it cannot be made, is refused the same way.
    in = inputs();
    in.xdgDataHome = path("readonly/xdg");
    outcome = resolveAsOtherAccount(in);
    EXPECT_EQ(outcome.error, "The class folder " + path("readonly/xdg/honeycombwordsmiths") +
                                 " cannot be written.");
    EXPECT_TRUE(fs::is_empty(path("readonly")));
    EXPECT_TRUE(fs::is_empty(path("home")));
}

// Relative paths of OPTIONS.DAT (the user file, the word list) are read in the class folder,
// whatever folder the program was started in.
TEST_F(ClassFolderTest, EnteredFolderResolvesRelativePathsThere) {
    writeFile(path("shared/WORDLIST.TXT"), "ant\r\nbee\r\n");
    ClassFolderInputs in = inputs();
    in.variable = path("shared");
    fs::current_path(path("start"));
    enterClassFolder(resolveClassFolder(in));
    ASSERT_EQ(OptionsFileLoad(), OptionsFileOk);
    const WordListLoad list = loadWordList(textOf(Settings.WordFile));
    EXPECT_TRUE(list.opened);
    EXPECT_EQ(list.lines, (std::vector<std::string>{"ant", "bee"}));
    EXPECT_EQ(startDirectory(), path("shared"));
}

TEST_F(ClassFolderTest, OptionIsTakenOutOfTheCommandLine) {
    struct Case {
        std::vector<std::string> given;
        std::vector<std::string> left;
        std::optional<std::string> value;
        std::string error;
    };
    const std::vector<Case> cases = {
        {{"p", "users", "list"}, {"p", "users", "list"}, std::nullopt, ""},
        {{"p", "--class-folder", "/c", "users"}, {"p", "users"}, "/c", ""},
        {{"p", "-x", "--class-folder=/c"}, {"p", "-x"}, "/c", ""},
        {{"p", "--class-folder"}, {}, std::nullopt, "--class-folder needs a folder"},
        {{"p", "--class-folder="}, {}, std::nullopt, "--class-folder needs a folder"},
        {{"p", "--class-folder", "/a", "--class-folder=/b"},
         {},
         std::nullopt,
         "--class-folder is given more than once"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> storage = c.given;
        std::vector<char*> argv;
        for (std::string& argument : storage) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        int argc = static_cast<int>(c.given.size());
        std::string error;
        const std::optional<std::string> value = takeClassFolderOption(argc, argv.data(), error);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(value, c.value);
        if (c.error.empty()) {
            EXPECT_EQ(std::vector<std::string>(argv.begin(), argv.begin() + argc), c.left);
            EXPECT_EQ(argv[static_cast<std::size_t>(argc)], nullptr);
        }
    }
}

} // namespace
} // namespace hc::test
