// erftool end to end: the built tool is run as a school's script would run it.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

    ASSERT_EQ(erftool("extract packed.erf out").status, 0);
    EXPECT_EQ(readFile(path("out/bee/welcome.wav")), std::string(5000, '\x80'));
    EXPECT_EQ(readFile(path("out/Movies/greatjob/0.avi")), std::string(3000, 'M'));
    EXPECT_EQ(readFile(path("out/README")), "");

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
}

} // namespace
} // namespace hc::test
