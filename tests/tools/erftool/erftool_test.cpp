// erftool end to end: the built tool is run as a school's script would run it.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/erf_format.h"
#include "archive_bytes.h"
#include "temp_dir.h"
#include "tool_run.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace hc::test {
namespace {

class ErfToolTest : public TempDirTest {
protected:
    // Runs erftool with the arguments (already shell-quoted) and collects its output.
    ToolRun erftool(const std::string& arguments) {
        return runShell("'" + toolPath("erftool") + "' " + arguments);
    }

    void makeSourceFolder() {
        fs::create_directories(path("src/bee"));
        fs::create_directories(path("src/Movies/greatjob"));
        writeFile(path("src/bee/welcome.txt"), "Hello!\r\nPick your name.\r\n");
        writeFile(path("src/bee/welcome.wav"), std::string(5000, '\x80'));
        writeFile(path("src/Movies/greatjob/0.avi"), std::string(3000, 'M'));
        writeFile(path("src/README"), "");
    }
};

TEST_F(ErfToolTest, PackedFolderListsReadsVerifiesAndExtracts) {
    makeSourceFolder();
    const ToolRun pack = erftool("pack packed.erf src --title 'School pack' --store '*.AVI'");
    ASSERT_EQ(pack.status, 0) << pack.err;

    const ToolRun list = erftool("list packed.erf");
    EXPECT_EQ(list.status, 0);
    // Name order ignoring case; stored only where a --store pattern matches.
    const std::string readme = "README\t8\tZLIB\n"; // an empty zlib stream is 8 bytes
    EXPECT_EQ(list.out.substr(0, list.out.find('\n') + 1),
              "bee\\welcome.txt\t" +
                  std::to_string(zlibCompress("Hello!\r\nPick your name.\r\n").size()) +
                  "\tZLIB\n");
    EXPECT_NE(list.out.find("Movies\\greatjob\\0.avi\t3000\tstored\n"), std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find(readme), std::string::npos) << list.out;
    EXPECT_LT(list.out.find("bee\\welcome.wav"), list.out.find("Movies\\"));
    EXPECT_LT(list.out.find("Movies\\"), list.out.find("README"));

    EXPECT_EQ(erftool("verify packed.erf").out, "Ok\n");
    const ToolRun cat = erftool("cat packed.erf 'BEE\\WELCOME.TXT'");
    EXPECT_EQ(cat.status, 0);
    EXPECT_EQ(cat.out, "Hello!\r\nPick your name.\r\n");

    ASSERT_EQ(erftool("extract packed.erf new/out").status, 0);
    EXPECT_EQ(readFile(path("new/out/bee/welcome.wav")), std::string(5000, '\x80'));
    EXPECT_EQ(readFile(path("new/out/Movies/greatjob/0.avi")), std::string(3000, 'M'));
    EXPECT_EQ(readFile(path("new/out/README")), "");

    // Packing again gives the same bytes, and the title is stored.
    ASSERT_EQ(erftool("pack again.erf src --title 'School pack' --store '*.AVI'").status, 0);
    EXPECT_EQ(readFile(path("packed.erf")), readFile(path("again.erf")));
    EXPECT_EQ(readFile(path("packed.erf")).substr(0, 12), "School pack\0"s);
}

TEST_F(ErfToolTest, ManifestKeepsItsOrderAndSizesBeforeCompression) {
    makeSourceFolder();
    writeFile(path("list.manifest"), "zeta\tsrc/README\r\nAlpha\t" + path("src/bee/welcome.wav") +
                                         "\n\nmid\\dle\tsrc/bee/welcome.txt\n");
    ASSERT_EQ(erftool("pack m.erf list.manifest").status, 0);
    const std::string bytes = readFile(path("m.erf"));
    // Written in manifest order: the first entry header follows the 264-byte archive header.
    EXPECT_EQ(bytes.substr(264, 5), "zeta\0"s);
    // ExtraValue holds the size before compression.
    const auto extra = [&](std::size_t entryStart) {
        return erf::readLE32(reinterpret_cast<const unsigned char*>(bytes.data()) + entryStart +
                             264);
    };
    const std::size_t second =
        264 + 268 + erf::readLE32(reinterpret_cast<const unsigned char*>(bytes.data()) + 264 + 256);
    EXPECT_EQ(bytes.substr(second, 6), "Alpha\0"s);
    EXPECT_EQ(extra(second), 5000u);
    EXPECT_EQ(erftool("verify m.erf").status, 0);
    EXPECT_EQ(erftool("list m.erf").out.substr(0, 6), "Alpha\t");

    writeFile(path("bad.manifest"), "no tab here\n");
    const ToolRun bad = erftool("pack bad.erf bad.manifest");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.manifest:1"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("bad.erf")));
}

TEST_F(ErfToolTest, ReportsReaderErrorsAndUnknownNames) {
    const ToolRun missing = erftool("list nothing.erf");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Error opening file\n");

    writeFile(path("a.erf"), archiveBytes({storedEntry("x", "1")}, "t", -1, false));
    const ToolRun verify = erftool("verify a.erf");
    EXPECT_EQ(verify.status, 1);
    EXPECT_EQ(verify.out, "Bad checksum in ERF\n");

    const ToolRun cat = erftool("cat a.erf 'bee\\gone.wav'");
    EXPECT_EQ(cat.status, 1);
    EXPECT_EQ(cat.err, "Can't open ERF resource: bee\\gone.wav\n");

    RawEntry damaged = zlibEntry("damaged", std::string(100000, 'd'));
    damaged.data[damaged.data.size() - 2] ^= 1;
    writeFile(path("d.erf"), archiveBytes({damaged}));
    const ToolRun damagedCat = erftool("cat d.erf damaged");
    EXPECT_EQ(damagedCat.status, 1);
    EXPECT_NE(damagedCat.err.find("damaged"), std::string::npos);

    EXPECT_EQ(erftool("frobnicate").status, 2);
    EXPECT_EQ(erftool("--help").status, 0);
}

TEST_F(ErfToolTest, ExtractRefusesNamesThatLeaveTheFolder) {
    fs::create_directories(path("dest"));
    writeFile(path("evil.erf"), archiveBytes({
                                    storedEntry("..\\escaped.txt", "no"),
                                    storedEntry("ok\\..\\..\\up.txt", "no"),
                                    storedEntry("\\absolute.txt", "no"),
                                    storedEntry("/rooted.txt", "no"),
                                    storedEntry("C:\\drive.txt", "no"),
                                    storedEntry("fine\\inside.txt", "yes"),
                                    storedEntry("FINE\\INSIDE.TXT", "shadowed"),
                                }));
    const ToolRun run = erftool("extract evil.erf dest");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readFile(path("dest/fine/inside.txt")), "yes");
    for (const char* name : {"..\\escaped.txt", "ok\\..\\..\\up.txt", "\\absolute.txt",
                             "/rooted.txt", "C:\\drive.txt"}) {
        EXPECT_NE(run.err.find(std::string("refused ") + name), std::string::npos) << name << "\n"
                                                                                   << run.err;
    }
    // Nothing landed anywhere but in dest/fine.
    std::size_t files = 0;
    for (const auto& item : fs::recursive_directory_iterator(dir())) {
        if (item.is_regular_file() && item.path().filename() != "evil.erf" &&
            item.path().filename() != "out.txt" && item.path().filename() != "err.txt") {
            ++files;
        }
    }
    EXPECT_EQ(files, 1u);
}

// Whatever the target folder already holds is hostile: links inside it are never followed, at
// any depth; different names that land on one file are refused together; an entry that fails
// leaves the file that was there before. Every row must exit 1 and name the entry.
TEST_F(ErfToolTest, ExtractRefusesHostileTargetsAndClashes) {
    RawEntry damaged = zlibEntry("notes.txt", std::string(100000, 'n'));
    damaged.data[damaged.data.size() / 2] ^= 0x5A;
    struct Row {
        const char* what;
        std::vector<RawEntry> entries;
        std::function<void()> prepare;     // inside the test folder, with out/ and outside/ made
        std::vector<std::string> reported; // parts of the error output
        std::function<void()> check;
    };
    const std::vector<Row> rows = {
        {"a link to a folder outside",
         {storedEntry("evil\\pwn.txt", "pwned"), storedEntry("fine.txt", "ok")},
         [] { fs::create_directory_symlink("../outside", "out/evil"); },
         {"refused evil\\pwn.txt", "link"},
         [&] {
             EXPECT_FALSE(fs::exists(path("outside/pwn.txt")));
             EXPECT_EQ(readFile(path("out/fine.txt")), "ok");
         }},
        {"a link deeper down",
         {storedEntry("a\\b\\c\\deep.txt", "pwned")},
         [] {
             fs::create_directories("out/a");
             fs::create_directory_symlink("../../outside", "out/a/b");
         },
         {"refused a\\b\\c\\deep.txt"},
         [&] { EXPECT_FALSE(fs::exists(path("outside/c"))); }},
        {"a link in place of the file",
         {storedEntry("victim.txt", "overwritten")},
         [] {
             writeFile("outside/v", "must stay");
             fs::create_symlink("../outside/v", "out/victim.txt");
         },
         {"refused victim.txt", "link"},
         [&] {
             EXPECT_EQ(readFile(path("outside/v")), "must stay");
             EXPECT_TRUE(fs::is_symlink(path("out/victim.txt")));
         }},
        {"a dangling link in place of the file",
         {storedEntry("made.txt", "pwned")},
         [] { fs::create_symlink("../outside/made", "out/made.txt"); },
         {"refused made.txt"},
         [&] { EXPECT_FALSE(fs::exists(path("outside/made"))); }},
        {"backslash and slash",
         {storedEntry("d\\f", "one"), storedEntry("d/f", "two"), storedEntry("d\\g", "ok")},
         [] {},
         {"refused d/f and d\\f"},
         [&] {
             EXPECT_FALSE(fs::exists(path("out/d/f")));
             EXPECT_EQ(readFile(path("out/d/g")), "ok");
         }},
        {"empty parts, dots and letter case",
         {storedEntry("d\\\\f", "one"), storedEntry(".\\d\\F", "two"),
          storedEntry("D\\.\\f", "three")},
         [] { writeFile("out/keep.txt", ""); },
         {".\\d\\F", "D\\.\\f", "d\\\\f", "land on one file"},
         [&] { EXPECT_FALSE(fs::exists(path("out/d"))); }},
        {"a file where another entry needs a folder",
         {storedEntry("d", "file"), storedEntry("D\\f", "inside"), storedEntry("e", "ok")},
         [] {},
         {"refused d and D\\f"},
         [&] {
             EXPECT_FALSE(fs::exists(path("out/d")));
             EXPECT_EQ(readFile(path("out/e")), "ok");
         }},
        {"a damaged entry over a file that was there",
         {damaged},
         [] { writeFile("out/notes.txt", "the teacher's notes"); },
         {"refused notes.txt", "damaged"},
         [&] { EXPECT_EQ(readFile(path("out/notes.txt")), "the teacher's notes"); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove_all(path("out"));
        fs::remove_all(path("outside"));
        fs::create_directories(path("out"));
        fs::create_directories(path("outside"));
        row.prepare();
        writeFile(path("a.erf"), archiveBytes(row.entries));
        const ToolRun run = erftool("extract a.erf out");
        EXPECT_EQ(run.status, 1);
        for (const std::string& part : row.reported) {
            EXPECT_NE(run.err.find(part), std::string::npos) << part << "\n" << run.err;
        }
        row.check();
        // No file of the tool's own is left behind.
        for (const auto& item : fs::recursive_directory_iterator(path("out"))) {
            EXPECT_EQ(item.path().filename().string().find("partial"), std::string::npos)
                << item.path();
        }
    }
}

// Sources that cannot make an archive every reader opens, and outputs someone else may be
// writing, are refused with a message: exit 1, no archive, nothing of the tool's own left.
TEST_F(ErfToolTest, PackRefusesSourcesAndTitlesThatCannotMakeAGoodArchive) {
    fs::create_directories(path("cased"));
    writeFile(path("cased/A.txt"), "upper");
    writeFile(path("cased/a.txt"), "lower");
    fs::create_directories(path("src/sub"));
    writeFile(path("src/one.txt"), "1");
    writeFile(path("cases.manifest"), "Bee\\x.wav\tsrc/one.txt\nBEE\\X.WAV\tsrc/one.txt\n");
    writeFile(path("folder.manifest"), "one\tsrc/one.txt\nsub\tsrc/sub\n");
    struct Row {
        const char* arguments;
        std::vector<std::string> reported;
    };
    const Row rows[] = {
        {"pack out.erf cased", {"A.txt", "a.txt", "letter case"}},
        {"pack out.erf cases.manifest", {"Bee\\x.wav", "BEE\\X.WAV", "letter case"}},
        // Regression: reading a folder threw an exception nobody caught (exit 134).
        {"pack out.erf folder.manifest", {"src/sub", "folder"}},
        {"pack out.erf missing.manifest", {"missing.manifest"}},
        // Regression: an archive whose title begins "MZ" was taken for a program by every reader.
        {"pack out.erf src --title 'MZ school pack'", {"MZ school pack"}},
        {"pack out.erf src --title \"$(printf '\\177ELF')\"", {"ELF"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const ToolRun run = erftool(row.arguments);
        EXPECT_EQ(run.status, 1);
        for (const std::string& part : row.reported) {
            EXPECT_NE(run.err.find(part), std::string::npos) << part << "\n" << run.err;
        }
        for (const auto& item : fs::directory_iterator(dir())) {
            const std::string name = item.path().filename().string();
            EXPECT_TRUE(name.find("out.erf") == std::string::npos) << name;
        }
    }
    // A title that merely contains the letters is fine.
    ASSERT_EQ(erftool("pack out.erf src --title 'A MZ pack'").status, 0);
    EXPECT_EQ(erftool("verify out.erf").out, "Ok\n");
}

// Regression: two runs writing one output shared a fixed "OUT.partial", each writing over the
// other's half-built archive; a link planted under that name was written through.
TEST_F(ErfToolTest, PackNeverWritesAnotherWritersFileOrThroughALink) {
    fs::create_directories(path("src"));
    writeFile(path("src/one.txt"), "1");
    writeFile(path("out.erf.partial"), "another run's half-built archive");
    writeFile(path("victim"), "must stay");
    fs::create_symlink(path("victim"), path("two.erf.partial"));
    ASSERT_EQ(erftool("pack out.erf src").status, 0);
    ASSERT_EQ(erftool("pack two.erf src").status, 0);
    EXPECT_EQ(readFile(path("out.erf.partial")), "another run's half-built archive");
    EXPECT_EQ(readFile(path("victim")), "must stay");
    EXPECT_EQ(erftool("verify out.erf").out, "Ok\n");
    EXPECT_EQ(readFile(path("two.erf")), readFile(path("out.erf")));

    // Runs at once, each from a source of its own: every run succeeds and the output is one
    // whole archive, never a mix.
    for (const char* name : {"a", "b", "c", "d"}) {
        fs::create_directories(path(name));
        writeFile(path(std::string(name) + "/big.bin"), std::string(3000000, name[0]));
    }
    const ToolRun together = runShell("for s in a b c d; do '" + toolPath("erftool") +
                                      "' pack shared.erf $s & done; wait");
    EXPECT_EQ(together.err, "");
    EXPECT_EQ(erftool("verify shared.erf").out, "Ok\n");
}

TEST_F(ErfToolTest, AppendedArchiveOpensInsideTheProgram) {
    makeSourceFolder();
    ASSERT_EQ(erftool("pack data.erf src").status, 0);
    writeFile(path("prog.exe"), "MZ\x90\x00" + std::string(20000, '\x01'));
    ASSERT_EQ(erftool("append prog.exe data.erf out.exe").status, 0);
    const auto marker = erf::embedSignature();
    EXPECT_EQ(readFile(path("out.exe")), readFile(path("prog.exe")) +
                                             std::string(marker.begin(), marker.end()) +
                                             readFile(path("data.erf")));
    EXPECT_EQ(erftool("verify out.exe").out, "Ok\n");
    EXPECT_EQ(erftool("cat out.exe 'bee\\welcome.txt'").out, "Hello!\r\nPick your name.\r\n");

    writeFile(path("script.sh"), "#!/bin/sh\n");
    const ToolRun refused = erftool("append script.sh data.erf bad.exe");
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(fs::exists(path("bad.exe")));

    // Regression: appending to a program that already carried an archive succeeded, and the
    // reader kept finding the old archive.
    fs::create_directories(path("new"));
    writeFile(path("new/a.txt"), "new");
    ASSERT_EQ(erftool("pack new.erf new").status, 0);
    const ToolRun twice = erftool("append out.exe new.erf twice.exe");
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find("already carries an archive"), std::string::npos) << twice.err;
    EXPECT_FALSE(fs::exists(path("twice.exe")));
}

// A full disk under standard output is a failure with a message, never a silent success.
TEST_F(ErfToolTest, OutputThatCannotBeWrittenFails) {
    makeSourceFolder();
    ASSERT_EQ(erftool("pack data.erf src").status, 0);
    for (const char* command :
         {"list data.erf", "verify data.erf", "cat data.erf 'bee\\welcome.wav'", "--help"}) {
        SCOPED_TRACE(command);
        const ToolRun run = erftool(std::string(command) + " >/dev/full");
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("standard output"), std::string::npos) << run.err;
    }
}

} // namespace
} // namespace hc::test
