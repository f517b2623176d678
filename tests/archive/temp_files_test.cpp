#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "archive/erf_directory.h"
#include "archive/erf_reader.h"
#include "archive/error.h"
#include "archive/temp_files.h"
#include "archive_bytes.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace hc::test {
namespace {

std::string sampleText(std::size_t size, unsigned seed) {
    std::string text;
    unsigned state = seed;
    while (text.size() < size) {
        state = state * 1103515245u + 12345u;
        text += "piece" + std::to_string((state >> 16) % 1000) + ' ';
    }
    text.resize(size);
    return text;
}

// Restores an environment variable as it was when the test began.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : m_name(name) {
        if (const char* value = std::getenv(name)) {
            m_saved = value;
        }
    }
    ~SavedVariable() {
        if (m_saved) {
            setenv(m_name, m_saved->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

class TempFilesTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        // The test folder itself, so the files show where the test looks for them.
        setenv("TMP", ".", 1);
        unsetenv("TMPDIR");
        ErfCloseAll();
        m_big = sampleText(300000, 1);
        m_raw = std::string(200000, 'r');
        writeFile(path("data.erf"),
                  archiveBytes({zlibEntry("big", m_big), storedEntry("raw", m_raw),
                                storedEntry("empty", ""), zlibEntry("small", "tiny")}));
        ASSERT_EQ(m_directory.openArchive(path("data.erf"), false, nullptr, nullptr), ErfOk);
    }
    void TearDown() override {
        ErfCloseAll();
        TempDirTest::TearDown();
    }

    std::string extractMessage(TempFileManager& manager, const std::string& entry,
                               std::string& name) {
        try {
            manager.extract(entry, name);
        } catch (const Error& error) {
            return error.what();
        }
        return "";
    }

    SavedVariable m_tmp{"TMP"};
    SavedVariable m_tmpdir{"TMPDIR"};
    ErfDirectory m_directory;
    std::string m_big;
    std::string m_raw;
};

TEST_F(TempFilesTest, ExtractsIntoNumberedFilesInTheCurrentDirectoryWithoutTmp) {
    TempFileManager manager(m_directory);
    manager.startUp();
    std::string first, second, third, empty;
    manager.extract("BIG", first);
    manager.extract("raw", second);
    manager.extract("big", third);
    manager.extract("empty", empty);
    EXPECT_EQ(first, "./qrv0.$$$");
    EXPECT_EQ(second, "./qrv1.$$$");
    EXPECT_EQ(third, "./qrv2.$$$");
    EXPECT_EQ(readFile(path(first)), m_big);
    EXPECT_EQ(readFile(path(second)), m_raw);
    EXPECT_EQ(readFile(path(empty)), "");

    TempFileManager::release(second);
    EXPECT_TRUE(second.empty());
    EXPECT_FALSE(fs::exists(path("qrv1.$$$")));
    // A freed number is used again.
    std::string again;
    manager.extract("small", again);
    EXPECT_EQ(again, "./qrv1.$$$");
    EXPECT_EQ(readFile(path(again)), "tiny");
}

TEST_F(TempFilesTest, TmpDirectoryIsUsedAndSweptWhenItExists) {
    fs::create_directory(path("tmpdir"));
    setenv("TMP", path("tmpdir").c_str(), 1);
    writeFile(path("tmpdir/qrv17.$$$"), "stale");
    writeFile(path("tmpdir/QRVold.tmp"), "stale");
    writeFile(path("tmpdir/qrv.abcd"), "keep: four characters after the dot");
    writeFile(path("tmpdir/notqrv.$$$"), "keep");
    writeFile(path("qrv5.$$$"), "keep: not the temporary directory");

    TempFileManager manager(m_directory);
    manager.startUp();
    EXPECT_FALSE(fs::exists(path("tmpdir/qrv17.$$$")));
    EXPECT_FALSE(fs::exists(path("tmpdir/QRVold.tmp")));
    EXPECT_TRUE(fs::exists(path("tmpdir/qrv.abcd")));
    EXPECT_TRUE(fs::exists(path("tmpdir/notqrv.$$$")));
    EXPECT_TRUE(fs::exists(path("qrv5.$$$")));

    std::string name;
    manager.extract("small", name);
    EXPECT_EQ(name, path("tmpdir") + "/qrv0.$$$");

    // A TMP that names no usable directory falls back to the account's private folder, never
    // to the current directory (the class folder, perhaps a network share).
    SavedVariable runtime("XDG_RUNTIME_DIR");
    fs::create_directory(path("run"));
    setenv("XDG_RUNTIME_DIR", path("run").c_str(), 1);
    setenv("TMP", path("no/such/dir").c_str(), 1);
    std::string fallback;
    manager.extract("small", fallback);
    EXPECT_EQ(fallback, path("run") + "/honeycombwordsmiths/qrv0.$$$");
    TempFileManager::release(fallback);
}

TEST_F(TempFilesTest, TmpdirIsUsedWhenTmpIsNotSet) {
    unsetenv("TMP");
    fs::create_directory(path("tmpdir"));
    fs::create_directory(path("tmp"));
    setenv("TMPDIR", path("tmpdir").c_str(), 1);
    writeFile(path("tmpdir/qrv3.$$$"), "stale");
    TempFileManager manager(m_directory);
    manager.startUp();
    EXPECT_FALSE(fs::exists(path("tmpdir/qrv3.$$$")));
    std::string name;
    manager.extract("small", name);
    EXPECT_EQ(name, path("tmpdir") + "/qrv0.$$$");

    // TMP, when set, comes first.
    setenv("TMP", path("tmp").c_str(), 1);
    std::string first;
    manager.extract("small", first);
    EXPECT_EQ(first, path("tmp") + "/qrv0.$$$");
}

// Regression: another running copy that shares the folder (another account, another machine on
// a shared program folder) had its temporary files deleted by this copy's start-up sweep.
TEST_F(TempFilesTest, StartUpSweepLeavesTheFilesOfRunningCopies) {
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another copy: it extracts two files, releases one, and keeps running with the other
        // until the parent lets it end (or ends itself).
        ::close(toParent[0]);
        ::close(toChild[1]);
        TempFileManager other(m_directory);
        other.startUp();
        std::string kept;
        std::string released;
        other.extract("small", kept);
        other.extract("raw", released);
        TempFileManager::release(released);
        char done = 'x';
        [[maybe_unused]] auto written = ::write(toParent[1], &done, 1);
        [[maybe_unused]] auto got = ::read(toChild[0], &done, 1); // until the parent says
        ::_exit(0); // ends without releasing: the file is left, unheld
    }
    ::close(toParent[1]);
    ::close(toChild[0]);
    char signal = 0;
    ASSERT_EQ(::read(toParent[0], &signal, 1), 1);
    ASSERT_TRUE(fs::exists(path("qrv0.$$$")));
    writeFile(path("qrv7.$$$"), "left by a copy that crashed");

    TempFileManager manager(m_directory);
    manager.startUp();
    EXPECT_TRUE(fs::exists(path("qrv0.$$$"))) << "the running copy's file was deleted";
    EXPECT_FALSE(fs::exists(path("qrv7.$$$")));
    std::string mine;
    manager.extract("raw", mine);
    EXPECT_EQ(mine, "./qrv1.$$$");

    // Once the other copy has ended, its file is stale and goes with the next sweep; this
    // copy's own file stays while it is held.
    ASSERT_EQ(::write(toChild[1], &signal, 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    TempFileManager later(m_directory);
    later.startUp();
    EXPECT_FALSE(fs::exists(path("qrv0.$$$")));
    EXPECT_EQ(readFile(path(mine)), m_raw);
    TempFileManager::release(mine);
    ::close(toParent[0]);
    ::close(toChild[1]);
}

// Without TMP and TMPDIR the files go to a folder of the account's own (mode 0700), under
// XDG_RUNTIME_DIR or else /tmp; the sweep cleans that folder and never the current one. A folder
// of that name that is a link or too open is never trusted as it is.
TEST_F(TempFilesTest, WithoutTmpAPrivateFolderIsMadeAndOnlyItIsSwept) {
    SavedVariable runtime("XDG_RUNTIME_DIR");
    unsetenv("TMP");
    fs::create_directory(path("run"));
    writeFile(path("qrv0.$$$"), "not ours: the current folder is the class folder");
    struct Case {
        const char* what;
        const char* runtime; // XDG_RUNTIME_DIR, nullptr for unset
        std::function<void()> before;
        std::string expected;
    };
    const std::string inTmp = "/tmp/honeycombwordsmiths-" + std::to_string(::geteuid()) + "/";
    const std::vector<Case> cases = {
        {"runtime folder", "run", [] {}, path("run") + "/honeycombwordsmiths/"},
        {"runtime folder too open", "run",
         [&] { fs::permissions(path("run/honeycombwordsmiths"), fs::perms::all); },
         path("run") + "/honeycombwordsmiths/"},
        {"runtime name is a link", "run2",
         [&] {
             fs::create_directory(path("run2"));
             fs::create_directory(path("elsewhere"));
             fs::create_directory_symlink(path("elsewhere"), path("run2/honeycombwordsmiths"));
         },
         inTmp},
        {"no runtime folder", nullptr, [] {}, inTmp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.runtime != nullptr) {
            setenv("XDG_RUNTIME_DIR", path(c.runtime).c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        c.before();
        const std::vector<std::string> candidates = tempDirectoryCandidates();
        ASSERT_EQ(candidates, std::vector<std::string>{c.expected});
        struct stat info {};
        ASSERT_EQ(::lstat(c.expected.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        writeFile(c.expected + "qrv12.$$$", "left over");
        TempFileManager manager(m_directory);
        manager.startUp();
        EXPECT_FALSE(fs::exists(c.expected + "qrv12.$$$"));
        EXPECT_TRUE(fs::exists(path("qrv0.$$$")));
    }
    EXPECT_TRUE(fs::is_empty(path("elsewhere")));
}

TEST_F(TempFilesTest, ExistingNamesAndLinksAreNeverReused) {
    TempFileManager manager(m_directory);
    manager.startUp();
    // A file that survived the sweep, and a link planted by someone else, are both skipped:
    // the extraction never writes through them.
    writeFile(path("qrv0.$$$"), "someone else's");
    writeFile(path("victim"), "must stay");
    fs::create_symlink(path("victim"), path("qrv1.$$$"));
    std::string name;
    manager.extract("small", name);
    EXPECT_EQ(name, "./qrv2.$$$");
    EXPECT_EQ(readFile(path("qrv0.$$$")), "someone else's");
    EXPECT_EQ(readFile(path("victim")), "must stay");
}

TEST_F(TempFilesTest, FailuresRaiseTheirMessages) {
    TempFileManager manager(m_directory);
    manager.startUp();

    std::string missing;
    EXPECT_EQ(extractMessage(manager, "bee\\nothere.wav", missing),
              "Can't open ERF resource: bee\\nothere.wav");
    // The file was created and stays, empty, until it is released.
    EXPECT_EQ(missing, "./qrv0.$$$");
    EXPECT_EQ(readFile(path(missing)), "");
    TempFileManager::release(missing);
    EXPECT_FALSE(fs::exists(path("qrv0.$$$")));

    // No directory can take a file: nothing is created and the name stays empty.
    manager.setDirectories({path("no/such/dir") + "/"});
    std::string none;
    EXPECT_EQ(extractMessage(manager, "small", none),
              "Can't create temp file: " + path("no/such/dir") + "/qrv0.$$$");
    EXPECT_TRUE(none.empty());
}

TEST_F(TempFilesTest, DamagedEntryRaisesTheWriteMessage) {
    RawEntry damaged = zlibEntry("damaged", sampleText(100000, 3));
    damaged.data[damaged.data.size() / 2] ^= 0x5A;
    damaged.data.back() ^= 0x5A;
    RawEntry cut = zlibEntry("cut", sampleText(100000, 4));
    cut.data.resize(cut.data.size() - 100);
    writeFile(path("bad.erf"), archiveBytes({damaged, cut}));
    ErfDirectory directory;
    ASSERT_EQ(directory.openArchive(path("bad.erf"), false, nullptr, nullptr), ErfOk);
    TempFileManager manager(directory);
    manager.startUp();
    for (const char* entry : {"damaged", "cut"}) {
        std::string name;
        EXPECT_EQ(extractMessage(manager, entry, name),
                  "Can't write to temp file (Out of hard disk space?)")
            << entry;
        EXPECT_FALSE(name.empty());
    }
}

TEST_F(TempFilesTest, FullDiskRaisesTheWriteMessage) {
    TempFileManager manager(m_directory);
    manager.startUp();
    // A file size limit makes writes fail the way a full disk does.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string name;
    const std::string message = extractMessage(manager, "big", name);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(message, "Can't write to temp file (Out of hard disk space?)");
    EXPECT_EQ(name, "./qrv0.$$$");
}

TEST_F(TempFilesTest, NestedExtractionDuringAPieceDoesNotCutTheOuterOneShort) {
    TempFileManager manager(m_directory);
    manager.startUp();
    // The pump stands for the user interface handling an event between two pieces: it
    // extracts another entry and reads a third through the process-wide reader.
    ASSERT_EQ(ErfOpenArchive(path("data.erf").c_str(), false, nullptr, nullptr), ErfOk);
    std::vector<std::string> nested;
    int calls = 0;
    manager.setPump([&] {
        if (++calls == 2) {
            std::string inner;
            manager.extract("raw", inner);
            nested.push_back(inner);
            ASSERT_NE(ErfOpenEntry("big"), nullptr);
            char buffer[100];
            ErfRead(sizeof buffer, buffer);
        }
    });
    std::string outer;
    manager.extract("big", outer);
    EXPECT_GT(calls, 2);
    ASSERT_EQ(nested.size(), 1u);
    EXPECT_EQ(readFile(path(outer)), m_big);
    EXPECT_EQ(readFile(path(nested[0])), m_raw);
}

TEST_F(TempFilesTest, ProcessWideFunctionsUseTheOpenArchive) {
    ASSERT_EQ(ErfOpenArchive(path("data.erf").c_str(), false, nullptr, nullptr), ErfOk);
    ErfTempFileManagerStartUp();
    std::string name;
    ExtractToTempFile("Small", name);
    EXPECT_EQ(readFile(path(name)), "tiny");
    ReleaseTempFile(name);
    EXPECT_TRUE(name.empty());
    EXPECT_FALSE(fs::exists(path("qrv0.$$$")));
    ErfTempFileManagerExit();
}

} // namespace
} // namespace hc::test
