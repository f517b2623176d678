// A school's own recordings and puzzle pictures, in tiny content folders made in each test:
// what the build's check, its clip step and its puzzle step say about them, and a small
// project built with the same CMake steps as the real one, to see what a school sees when a
// file stops the build.

#include "audio/wav_fixture.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using hc::test::readFile;
using hc::test::runShell;
using hc::test::shellQuoted;
using hc::test::toolPath;
using hc::test::ToolRun;
using hc::test::writeFile;

const std::string kNotAWav = "content/overrides/bee/goodbye.wav is not a WAV recording (save it "
                             "as WAV)";

// The start of an MP3 file: what a recording saved in another format and renamed looks like.
const std::string kMp3Bytes = std::string("ID3\x03\x00\x00\x00\x00\x00\x0a", 10) +
                              std::string(10, '\0') + "\xff\xfb\x90\x64" + std::string(400, 'x');

// Runs a command line with its error output joined to its output, in the order printed.
ToolRun run(const std::string& commandLine) {
    return runShell(commandLine + " 2>&1");
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::string lastLine(const std::string& text) {
    const auto lines = linesOf(text);
    return lines.empty() ? std::string() : lines.back();
}

// Whether `part` is said in `text`, however the text's lines are wrapped.
bool contains(std::string text, const std::string& part) {
    for (auto at = text.find("\n  "); at != std::string::npos; at = text.find("\n  ", at)) {
        text.replace(at, 3, " ");
    }
    return text.find(part) != std::string::npos;
}

std::string toneWav() {
    return hc::test::pcmWav(22050, 1, hc::test::toneWithPauses(22050, 0.2, 0.6, 0.2, 440));
}

// A picture with detail everywhere, so that its compressed data fills the whole file and
// cutting the file off loses part of the picture.
void writePicture(const std::string& path, int width, int height, const char* format) {
    QImage image(width, height, QImage::Format_RGB32);
    unsigned seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245 + 12345;
            image.setPixel(x, y,
                           QColor::fromHsv(static_cast<int>((x + y) % 360),
                                           128 + static_cast<int>(seed >> 25), 200)
                               .rgb());
        }
    }
    ASSERT_TRUE(image.save(QString::fromStdString(path), format)) << path;
}

// A check that went through, saying every part of `said` (in warnings), or nothing at all.
void expectWarned(const ToolRun& result, const std::vector<std::string>& said) {
    EXPECT_EQ(result.status, 0) << result.out;
    if (said.empty()) {
        EXPECT_EQ(result.out, "");
    } else {
        EXPECT_EQ(result.out.rfind("Warning: ", 0), 0u) << result.out;
    }
    for (const std::string& part : said) {
        EXPECT_TRUE(contains(result.out, part)) << result.out;
    }
}

class SchoolContent : public hc::test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        fs::create_directories("content/overrides/bee");
        fs::create_directories("content/puzzles");
        writeFile("content/puzzles/README.txt", "Your own puzzle pictures\n");
    }

    // The check the build runs first, as it runs it: from the top of the project.
    ToolRun check() {
        return run(shellQuoted(toolPath("hc_artgen")) +
                   " check content/overrides content/puzzles report.txt");
    }

    ToolRun clipStep(const std::string& clip) {
        writeFile("words.txt", "Hello.\n");
        return run(shellQuoted(toolPath("hc_audiogen")) + " clip --name " + clip +
                   " --text words.txt --override-dir content/overrides --wav out/" + clip +
                   ".wav --memo out/" + clip + ".txt --report report.txt --flite " +
                   shellQuoted(HC_FLITE) + " --sox " + shellQuoted(HC_SOX));
    }

    ToolRun puzzleStep(const std::vector<std::string>& pictures) {
        const char* audio = std::getenv("HC_AUDIO_OUT_DIR");
        std::string command = shellQuoted(toolPath("hc_artgen")) + " puzzles visual " +
                              shellQuoted(audio != nullptr ? audio : "");
        for (const std::string& picture : pictures) {
            command += " " + shellQuoted(picture);
        }
        return run(command);
    }
};

TEST_F(SchoolContent, RecordingsTheBuildWillNotUseAreWarnedAboutByNameWithWhatToDo) {
    struct Row {
        const char* file;
        std::vector<std::string> said; // all of these in one warning; none: no word at all
    };
    const Row rows[] = {
        {"goodby.wav",
         {"content/overrides/bee/goodby.wav is not used", "did you mean goodbye.wav?",
          "mainmenu.wav", "welcmbak.wav"}},
        // No clip's name is near: no guess, but the list of names.
        {"hello.wav", {"content/overrides/bee/hello.wav is not used", "welcome.wav"}},
        {"goodbye.mp3",
         {"content/overrides/bee/goodbye.mp3 is not used", "must be WAV",
          "as content/overrides/bee/goodbye.wav"}},
        {"notes.txt", {"content/overrides/bee/notes.txt is not used", "spelling.wav"}},
        {".DS_Store", {}},
        {"Thumbs.db", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        writeFile(std::string("content/overrides/bee/") + row.file, toneWav());
        const ToolRun result = check();
        expectWarned(result, row.said);
        // The report holds what was printed, for the build script to show again.
        EXPECT_EQ(fs::exists("report.txt") ? readFile("report.txt") : "", result.out);
        fs::remove(std::string("content/overrides/bee/") + row.file);
        fs::remove("report.txt");
    }

    // Two spellings of one clip: the first by name is used, the other is named as unused.
    writeFile("content/overrides/bee/WELCOME.WAV", toneWav());
    writeFile("content/overrides/bee/welcome.wav", toneWav());
    const ToolRun twice = check();
    EXPECT_EQ(twice.status, 0);
    EXPECT_TRUE(contains(twice.out, "content/overrides/bee/welcome.wav is not used, because "
                                    "content/overrides/bee/WELCOME.WAV is already"))
        << twice.out;
}

TEST_F(SchoolContent, ARecordingInAnotherFormatNamedWavStopsWithOneLineNamingIt) {
    writeFile("content/overrides/bee/goodbye.wav", kMp3Bytes);
    writeFile("content/overrides/bee/hello.wav", toneWav());
    const ToolRun checked = check();
    EXPECT_EQ(checked.status, 1);
    // The warning about hello.wav comes first; the refusal is the last thing printed.
    EXPECT_TRUE(contains(checked.out, "hello.wav is not used")) << checked.out;
    EXPECT_EQ(lastLine(checked.out), kNotAWav) << checked.out;
    EXPECT_EQ(lastLine(readFile("report.txt")), kNotAWav);

    // The clip step says the same, and only that: no converter's words, no command line.
    const ToolRun clip = clipStep("goodbye");
    EXPECT_EQ(clip.status, 1);
    EXPECT_EQ(clip.out, kNotAWav + "\n");
    EXPECT_FALSE(fs::exists("out/goodbye.wav"));
    EXPECT_EQ(lastLine(readFile("report.txt")), kNotAWav);

    // A WAV file the converter cannot read: its reason, in one line that names the file.
    writeFile("content/overrides/bee/goodbye.wav",
              std::string("RIFF\x24\x00\x00\x00WAVE", 12) + std::string(32, 'j'));
    const ToolRun unreadable = clipStep("goodbye");
    EXPECT_EQ(unreadable.status, 1);
    ASSERT_EQ(linesOf(unreadable.out).size(), 1u) << unreadable.out;
    EXPECT_EQ(unreadable.out.rfind("content/overrides/bee/goodbye.wav could not be read", 0), 0u)
        << unreadable.out;
    EXPECT_TRUE(contains(unreadable.out, "save it again as a plain WAV recording"));
    EXPECT_FALSE(contains(unreadable.out, HC_SOX)) << unreadable.out;
    EXPECT_FALSE(fs::exists("out/goodbye.wav"));
}

TEST_F(SchoolContent, PicturesThatMakeNoPuzzleOrABlurredOneAreWarnedAbout) {
    struct Row {
        const char* file;
        int width;
        int height;
        const char* format; // null: bytes of a format the puzzle build does not take
        std::vector<std::string> said;
    };
    const Row rows[] = {
        {"oakwood.png", 300, 200, "PNG", {}},
        {"big.JPG", 141, 133, "JPEG", {}}, // exactly the puzzle's size, capitals in the name
        {"tiny.png",
         20,
         20,
         "PNG",
         {"content/puzzles/tiny.png is only 20 x 20 pixels", "(141 x 133)", "blurred"}},
        {"narrow.bmp", 400, 100, "BMP", {"content/puzzles/narrow.bmp is only 400 x 100 pixels"}},
        {"zebra.gif", 0, 0, nullptr, {"content/puzzles/zebra.gif makes no puzzle", "PNG"}},
        {"list.txt", 0, 0, nullptr, {"content/puzzles/list.txt makes no puzzle"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string file = std::string("content/puzzles/") + row.file;
        if (row.format != nullptr) {
            writePicture(file, row.width, row.height, row.format);
        } else {
            writeFile(file, "GIF89a and more");
        }
        expectWarned(check(), row.said);
        fs::remove(file);
    }
    fs::create_directories("content/puzzles/old");
    EXPECT_TRUE(contains(check().out, "content/puzzles/old is a folder"));
}

TEST_F(SchoolContent, PicturesThatCannotBeReadWholeAreRefusedLikeUnreadableOnes) {
    writePicture("photo.jpg", 400, 300, "JPEG");
    writePicture("photo.png", 400, 300, "PNG");
    writePicture("photo.bmp", 400, 300, "BMP");
    const std::string jpeg = readFile("photo.jpg");
    const std::string png = readFile("photo.png");
    const std::string bmp = readFile("photo.bmp");
    struct Row {
        const char* file;
        std::string bytes;
        const char* said;
    };
    // Qt takes the first and the third without failing: a grey or black picture.
    const Row rows[] = {
        {"cut.jpg", jpeg.substr(0, jpeg.size() / 2),
         "content/puzzles/cut.jpg is cut off or damaged"},
        {"cut.png", png.substr(0, png.size() / 2), "content/puzzles/cut.png is not a picture that"},
        {"cut.bmp", bmp.substr(0, bmp.size() / 2), "content/puzzles/cut.bmp is cut off or damaged"},
        {"words.png", "just words", "content/puzzles/words.png is not a picture that can be read"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string file = std::string("content/puzzles/") + row.file;
        writeFile(file, row.bytes);
        const ToolRun result = check();
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(lastLine(result.out).rfind(row.said, 0), 0u) << result.out;
        EXPECT_TRUE(contains(lastLine(result.out), "save it again as PNG or JPEG"));
        // The decoders' own words name no file; they are kept off the build log.
        EXPECT_EQ(linesOf(result.out).size(), 1u) << result.out;
        fs::remove(file);
    }

    // The puzzle step refuses the same picture in the same words, making no puzzle of it.
    writeFile("content/puzzles/cut.jpg", jpeg.substr(0, jpeg.size() / 2));
    const ToolRun painted = puzzleStep({"content/puzzles/cut.jpg"});
    EXPECT_EQ(painted.status, 1);
    EXPECT_EQ(lastLine(painted.out).rfind("content/puzzles/cut.jpg is cut off or damaged", 0), 0u)
        << painted.out;
    EXPECT_FALSE(fs::exists("visual/phono/puzzles/movies/8.avi"));
}

TEST_F(SchoolContent, ThePuzzleStepSaysWhichNumberEachPictureHas) {
    writePicture("content/puzzles/huge.jpg", 800, 600, "JPEG");
    writePicture("content/puzzles/oakwood.png", 300, 200, "PNG");
    const ToolRun painted = puzzleStep({"content/puzzles/huge.jpg", "content/puzzles/oakwood.png"});
    ASSERT_EQ(painted.status, 0) << painted.out;
    EXPECT_NE(painted.out.find("\n  puzzle 8: content/puzzles/huge.jpg\n"
                               "  puzzle 9: content/puzzles/oakwood.png\n"),
              std::string::npos)
        << painted.out;
    EXPECT_TRUE(contains(painted.out, "numbered in the order of their file names")) << painted.out;
    EXPECT_TRUE(fs::exists("visual/phono/puzzles/movies/9.avi"));
    EXPECT_FALSE(fs::exists("visual/phono/puzzles/movies/10.avi"));
}

// The real build's steps in a small project: the check comes before a step with hundreds of
// outputs, so a refused file stops the build with a short line above its message, and the
// message is the last thing the step prints.
TEST_F(SchoolContent, ABuildStopsAtTheCheckBeforeItsBigStepsAndSaysWhyLast) {
    const char* source = std::getenv("HC_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    writeFile("content/overrides/bee/welcome.wav", toneWav());
    writeFile("content/overrides/bee/goodbye.wav", kMp3Bytes);
    writeFile("welcome.txt", "Hello and welcome!\n");
    writeFile("CMakeLists.txt", R"(cmake_minimum_required(VERSION 3.25)
project(school NONE)
include(")" + std::string(source) + R"(/content/school_content.cmake")
set(report "${CMAKE_BINARY_DIR}/school-content.txt")
set(folders ROOT "${CMAKE_SOURCE_DIR}" OVERRIDES "${CMAKE_SOURCE_DIR}/content/overrides")
hc_add_school_content_check(NAME content_check ${folders}
    PUZZLES "${CMAKE_SOURCE_DIR}/content/puzzles" REPORT "${report}"
    ARTGEN ")" + toolPath("hc_artgen") +
                                    R"(")
hc_add_clip_step(CLIP welcome TEXT "${CMAKE_SOURCE_DIR}/welcome.txt" ${folders}
    OUT "${CMAKE_BINARY_DIR}/out" SELECT "${CMAKE_BINARY_DIR}/select" REPORT "${report}"
    AUDIOGEN ")" + toolPath("hc_audiogen") +
                                    R"(" TOOLS --flite ")" + HC_FLITE + R"(" --sox ")" + HC_SOX +
                                    R"(")
set(pieces "")
foreach(k RANGE 1 300)
    list(APPEND pieces "${CMAKE_BINARY_DIR}/pieces/piece_number_${k}.bmp")
endforeach()
add_custom_command(OUTPUT ${pieces}
    COMMAND "${CMAKE_COMMAND}" -E make_directory pieces
    COMMAND "${CMAKE_COMMAND}" -E touch ${pieces}
    COMMENT "Painting")
add_custom_target(content ALL DEPENDS ${pieces} "${CMAKE_BINARY_DIR}/out/bee/welcome.wav")
add_dependencies(content content_check)
)");
    const ToolRun configured = run(shellQuoted(HC_CMAKE) + " -S . -B build -G Ninja " +
                                   "-DCMAKE_MAKE_PROGRAM=" + shellQuoted(HC_NINJA));
    ASSERT_EQ(configured.status, 0) << configured.out;

    const ToolRun stopped = run(shellQuoted(HC_CMAKE) + " --build build");
    EXPECT_NE(stopped.status, 0);
    const auto lines = linesOf(stopped.out);
    ASSERT_GE(lines.size(), 3u) << stopped.out;
    EXPECT_EQ(lines[lines.size() - 2], kNotAWav) << stopped.out;
    EXPECT_EQ(lines.back(), "ninja: build stopped: subcommand failed.");
    for (const std::string& line : lines) {
        EXPECT_FALSE(line.rfind("FAILED:", 0) == 0 && line.size() > 200) << line;
        EXPECT_FALSE(contains(line, "piece_number_")) << line;
    }
    EXPECT_FALSE(fs::exists("build/pieces"));
    EXPECT_FALSE(fs::exists("build/out/bee/welcome.wav"));
    EXPECT_EQ(lastLine(readFile("build/school-content.txt")), kNotAWav);

    // Put right (and a misnamed recording added): the build goes through, says whose voice
    // it uses, and warns about the file it leaves alone.
    fs::remove("content/overrides/bee/goodbye.wav");
    writeFile("content/overrides/bee/goodby.wav", toneWav());
    const ToolRun built = run(shellQuoted(HC_CMAKE) + " --build build");
    ASSERT_EQ(built.status, 0) << built.out;
    EXPECT_TRUE(contains(built.out, "Using your recording content/overrides/bee/welcome.wav"))
        << built.out;
    EXPECT_TRUE(contains(built.out, "Warning: content/overrides/bee/goodby.wav is not used"));
    EXPECT_TRUE(contains(readFile("build/school-content.txt"), "goodby.wav is not used"));
    EXPECT_TRUE(fs::exists("build/pieces/piece_number_300.bmp"));
    EXPECT_TRUE(fs::exists("build/out/bee/welcome.wav"));
}

} // namespace
