// A school's own recordings and puzzle pictures, in tiny content folders made in each test:
// what the build's check, its clip step and its puzzle step say about them, and a small
// project built with the same CMake steps as the real one, to see what a school sees when a
// file stops the build.

#include "audio/wav_fixture.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
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

// `seconds` of steady noise no louder than `amplitude`, plus `hum` (a 50 Hz sine of that
// amplitude): what a recording holds when nobody spoke into the microphone.
std::vector<std::int16_t> steadyNoise(double seconds, int amplitude, int hum = 0) {
    std::vector<std::int16_t> samples;
    unsigned seed = 99;
    for (int i = 0; i < static_cast<int>(seconds * 22050); ++i) {
        seed = seed * 1103515245 + 12345;
        const int noise =
            amplitude == 0 ? 0 : static_cast<int>(seed >> 16) % (2 * amplitude + 1) - amplitude;
        samples.push_back(
            static_cast<std::int16_t>(noise + hum * std::sin(2 * M_PI * 50 * i / 22050.0)));
    }
    return samples;
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

    // The clip step with `words` as the clip's text (none: the text file is gone).
    ToolRun clipStep(const std::string& clip,
                     const std::optional<std::string>& words = "Hello.\n") {
        if (words) {
            writeFile("words.txt", *words);
        } else {
            fs::remove("words.txt");
        }
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
        std::string bytes = toneWav();
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
        // Used, but longer than a spoken sentence: the child is held on the screen meanwhile.
        {"welcome.wav",
         {"content/overrides/bee/welcome.wav is 31 seconds long", "cannot leave the screen"},
         hc::test::pcmWav(8000, 1, hc::test::toneWithPauses(8000, 0, 31, 0, 440))},
        {"goodbye.wav",
         {},
         hc::test::pcmWav(8000, 1, hc::test::toneWithPauses(8000, 0, 29, 0, 440))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        writeFile(std::string("content/overrides/bee/") + row.file, row.bytes);
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

TEST_F(SchoolContent, RecordingsThatAreCutOffOrHoldNothingAudibleStopWithTheGuidesWords) {
    const std::string cutOff = "content/overrides/bee/leave.wav is cut off (the copy did not "
                               "finish): copy it again";
    const std::string inaudible = "content/overrides/bee/leave.wav holds no audible sound "
                                  "(record it again, nearer the microphone, or delete it to "
                                  "keep the computer voice)";
    const std::string whole = toneWav();
    // A voice over a noisy room: the voice stands out, so it is taken.
    std::vector<std::int16_t> noisyRoom = steadyNoise(0.4, 300);
    for (const std::int16_t s : hc::test::toneWithPauses(22050, 0, 0.6, 0, 440)) {
        noisyRoom.push_back(s);
    }
    for (const std::int16_t s : steadyNoise(0.4, 300)) {
        noisyRoom.push_back(s);
    }
    struct Row {
        const char* what;
        std::string bytes;
        std::string checkSays; // the check's last line; empty: it lets the file through
        std::string clipSays;  // the clip step's whole output; empty: the clip is made
    };
    const Row rows[] = {
        {"muted microphone's hiss", hc::test::pcmWav(22050, 1, steadyNoise(2, 40)), "", inaudible},
        {"dither-only silence", hc::test::pcmWav(22050, 1, steadyNoise(2, 1)), "", inaudible},
        {"mains hum", hc::test::pcmWav(22050, 1, steadyNoise(2, 0, 6000)), "", inaudible},
        {"a voice over a noisy room", hc::test::pcmWav(22050, 1, noisyRoom), "", ""},
        {"cut off", whole.substr(0, whole.size() / 2), cutOff, cutOff},
        {"empty", "", cutOff, cutOff},
        {"header only", whole.substr(0, 44), cutOff, cutOff},
        {"cut off inside the header", whole.substr(0, 30), cutOff, cutOff},
        {"cut off in the first bytes", whole.substr(0, 6), cutOff, cutOff},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        writeFile("content/overrides/bee/leave.wav", row.bytes);
        const ToolRun checked = check();
        EXPECT_EQ(checked.status, row.checkSays.empty() ? 0 : 1) << checked.out;
        EXPECT_EQ(lastLine(checked.out), row.checkSays) << checked.out;
        const ToolRun clip = clipStep("leave");
        if (row.clipSays.empty()) {
            EXPECT_EQ(clip.status, 0) << clip.out;
            EXPECT_TRUE(fs::exists("out/leave.wav"));
        } else {
            EXPECT_EQ(clip.status, 1);
            EXPECT_EQ(clip.out, row.clipSays + "\n");
            EXPECT_FALSE(fs::exists("out/leave.wav"));
        }
        fs::remove_all("out");
        fs::remove("report.txt");
    }
}

TEST_F(SchoolContent, ClipTextsTheMemoCannotShowOrThatAreGoneStopWithWhatToDo) {
    struct Row {
        const char* what;
        std::optional<std::string> words;
        std::string said; // the whole line
    };
    const Row rows[] = {
        {"an emoji", "Well done! \xF0\x9F\x98\x80\n",
         "words.txt holds an emoji (U+1F600), which the text beside the bee cannot show: take "
         "it out (or say it in words), save the file and build again"},
        {"a letter of another alphabet", "\xD0\x96\n",
         "words.txt holds the character U+0416, which the text beside the bee cannot show: take "
         "it out (or say it in words), save the file and build again"},
        {"empty", "",
         "words.txt holds no words for the bee to say: write them in it (or put back "
         "the words it had), save it and build again"},
        {"only spaces", " \n\n ",
         "words.txt holds no words for the bee to say: write them in it "
         "(or put back the words it had), save it and build again"},
        {"deleted", std::nullopt,
         "words.txt is missing, and the bee's words for clip leave come from it: put it back "
         "(from a fresh copy of the project) and build again"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const ToolRun clip = clipStep("leave", row.words);
        EXPECT_EQ(clip.status, 1);
        EXPECT_EQ(clip.out, row.said + "\n");
        // Kept for the build script, which repeats it at the end.
        EXPECT_EQ(readFile("report.txt"), row.said + "\n");
        EXPECT_FALSE(fs::exists("out/leave.wav"));
        fs::remove("report.txt");
    }
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
        // The usual photo shapes are taken whole enough; a tall portrait loses its top.
        {"photo.jpg", 400, 300, "JPEG", {}},
        {"upright.jpg", 300, 400, "JPEG", {}},
        {"tall.jpg",
         300,
         600,
         "JPEG",
         {"content/puzzles/tall.jpg is 300 x 600 pixels, much taller than the puzzle's frame "
          "(141 x 133): only its middle is used, and its top and bottom are cut off"}},
        {"banner.png", 900, 200, "PNG", {"banner.png is 900 x 200 pixels, much wider"}},
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

// A puzzle piece's middle pixel.
QColor pieceColour(int puzzle, int piece) {
    const QImage image(
        QString::fromStdString("visual/phono/puzzles/pictures/" + std::to_string(puzzle) + "_" +
                               (piece < 10 ? "0" : "") + std::to_string(piece) + ".bmp"));
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

// A JPEG whose stored pixels are red, green, blue and yellow quadrants (top left, top right,
// bottom left, bottom right) and whose orientation tag (an Exif APP1 segment, as a phone writes it)
// says `tag`.
std::string taggedJpeg(int tag) {
    QImage image(300, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, 150, 150, Qt::red);
    painter.fillRect(150, 0, 150, 150, Qt::green);
    painter.fillRect(0, 150, 150, 150, Qt::blue);
    painter.fillRect(150, 150, 150, 150, Qt::yellow);
    painter.end();
    EXPECT_TRUE(image.save("plain.jpg", "JPEG", 95));
    const std::string jpeg = readFile("plain.jpg");
    // Big-endian TIFF: one IFD with one entry, 0x0112 (orientation), a SHORT.
    const std::string tiff = std::string("MM\0*\0\0\0\x08", 8) + std::string("\0\x01", 2) +
                             std::string("\x01\x12\0\x03\0\0\0\x01\0", 9) + static_cast<char>(tag) +
                             std::string(2, '\0') + std::string(4, '\0');
    const std::string exif = std::string("Exif\0\0", 6) + tiff;
    const std::size_t length = exif.size() + 2;
    return jpeg.substr(0, 2) + "\xff\xe1" + static_cast<char>(length >> 8) +
           static_cast<char>(length & 0xff) + exif + jpeg.substr(2);
}

TEST_F(SchoolContent, PicturesAreTurnedUprightAndTheirTransparentPartsAreWhite) {
    // Each orientation tag, and the four quadrants as the picture must be seen.
    struct Row {
        int tag;
        std::vector<QColor> seen; // top left, top right, bottom left, bottom right
    };
    const QColor r = Qt::red, g = Qt::green, b = Qt::blue, y = Qt::yellow;
    const Row rows[] = {
        {1, {r, g, b, y}}, // as stored
        {2, {g, r, y, b}}, // mirrored
        {3, {y, b, g, r}}, // turned half round
        {4, {b, y, r, g}}, // upside down mirrored
        {5, {r, b, g, y}}, // mirrored along the diagonal
        {6, {b, r, y, g}}, // a phone held upright: turned a quarter clockwise
        {7, {y, g, b, r}}, // mirrored along the other diagonal
        {8, {g, y, r, b}}, // turned a quarter anticlockwise
    };
    std::vector<std::string> pictures;
    for (const Row& row : rows) {
        pictures.push_back("content/puzzles/photo-" + std::to_string(row.tag) + ".jpg");
        writeFile(pictures.back(), taggedJpeg(row.tag));
    }
    // Black line art on a transparent background.
    QImage art(300, 300, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    QPainter painter(&art);
    painter.fillRect(150, 150, 150, 150, Qt::black);
    painter.end();
    ASSERT_TRUE(art.save("content/puzzles/zz-line-art.png"));
    pictures.push_back("content/puzzles/zz-line-art.png");

    const ToolRun painted = puzzleStep(pictures);
    ASSERT_EQ(painted.status, 0) << painted.out;
    int puzzle = 8;
    for (const Row& row : rows) {
        SCOPED_TRACE("orientation " + std::to_string(row.tag));
        const int corners[] = {0, 3, 12, 15};
        for (int i = 0; i < 4; ++i) {
            const QColor seen = pieceColour(puzzle, corners[i]);
            EXPECT_TRUE(near(seen, row.seen[i]))
                << "piece " << corners[i] << " is " << seen.name().toStdString() << ", not "
                << row.seen[i].name().toStdString();
        }
        ++puzzle;
    }
    EXPECT_EQ(pieceColour(puzzle, 0), QColor(Qt::white));
    EXPECT_EQ(pieceColour(puzzle, 15), QColor(Qt::black));
}

TEST_F(SchoolContent, ThePuzzleStepSaysWhichNumberEachPictureHas) {
    // Given in the order of their bytes; numbered as a person sorts them.
    const std::vector<std::string> pictures = {"content/puzzles/Bus.png", "content/puzzles/bee.jpg",
                                               "content/puzzles/photo10.png",
                                               "content/puzzles/photo2.png"};
    for (const std::string& picture : pictures) {
        writePicture(picture, 200, 150, picture.ends_with(".jpg") ? "JPEG" : "PNG");
    }
    const ToolRun painted = puzzleStep(pictures);
    ASSERT_EQ(painted.status, 0) << painted.out;
    EXPECT_NE(painted.out.find("\n  puzzle 8: content/puzzles/bee.jpg\n"
                               "  puzzle 9: content/puzzles/Bus.png\n"
                               "  puzzle 10: content/puzzles/photo2.png\n"
                               "  puzzle 11: content/puzzles/photo10.png\n"),
              std::string::npos)
        << painted.out;
    std::string said = painted.out;
    std::replace(said.begin(), said.end(), '\n', ' ');
    EXPECT_NE(said.find("numbered in the order of their file names, with numbers in names counted "
                        "as numbers (2 before 10) and capital letters the same as small ones"),
              std::string::npos)
        << painted.out;
    EXPECT_TRUE(fs::exists("visual/phono/puzzles/movies/11.avi"));
    EXPECT_FALSE(fs::exists("visual/phono/puzzles/movies/12.avi"));
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

    // The clip's text deleted: one plain line naming it, not the build tool's words.
    fs::remove("welcome.txt");
    const ToolRun gone = run(shellQuoted(HC_CMAKE) + " --build build");
    EXPECT_NE(gone.status, 0);
    const auto goneLines = linesOf(gone.out);
    ASSERT_GE(goneLines.size(), 2u) << gone.out;
    EXPECT_EQ(goneLines[goneLines.size() - 2],
              "welcome.txt is missing, and the bee's words for clip welcome come from it: put it "
              "back (from a fresh copy of the project) and build again")
        << gone.out;
    EXPECT_FALSE(contains(gone.out, "missing and no known rule")) << gone.out;
}

// scripts/setup in a copied project folder: the copy's own build tree is set up and built, not
// the folder it was copied from, and a project CMake cannot read fails the run.
TEST_F(SchoolContent, SetupBuildsACopiedProjectWhereItNowIsAndFailsWhenCMakeFails) {
    const char* source = std::getenv("HC_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    fs::create_directories("first/scripts");
    fs::copy_file(fs::path(source) / "scripts/setup", "first/scripts/setup");
    writeFile("first/scripts/debian-packages.txt", "");
    writeFile("first/CMakeLists.txt", R"(cmake_minimum_required(VERSION 3.25)
project(copied NONE)
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/made.txt"
    COMMAND "${CMAKE_COMMAND}" -E copy "${CMAKE_SOURCE_DIR}/recording.txt" made.txt
    DEPENDS "${CMAKE_SOURCE_DIR}/recording.txt")
add_custom_target(made ALL DEPENDS "${CMAKE_BINARY_DIR}/made.txt")
)");
    writeFile("first/recording.txt", "first\n");
    const ToolRun first = run("first/scripts/setup test");
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_EQ(readFile("first/build/test/made.txt"), "first\n");

    fs::copy("first", "copy", fs::copy_options::recursive);
    writeFile("copy/recording.txt", "the copy's own\n");
    const ToolRun copied = run("copy/scripts/setup test");
    ASSERT_EQ(copied.status, 0) << copied.out;
    EXPECT_EQ(lastLine(copied.out), (dir() / "copy/build/test").string());
    EXPECT_EQ(readFile("copy/build/test/made.txt"), "the copy's own\n");
    EXPECT_EQ(readFile("first/build/test/made.txt"), "first\n");
    EXPECT_FALSE(contains(copied.out, "CMake Error")) << copied.out;

    // Set up already, the copy builds again with no second setting up.
    writeFile("copy/recording.txt", "changed\n");
    const ToolRun again = run("copy/scripts/setup test");
    ASSERT_EQ(again.status, 0) << again.out;
    EXPECT_FALSE(contains(again.out, "setting it up again")) << again.out;
    EXPECT_EQ(readFile("copy/build/test/made.txt"), "changed\n");

    // A project CMake cannot read fails the run, whether the tree is new or set up already.
    writeFile("copy/CMakeLists.txt",
              readFile("copy/CMakeLists.txt") + "message(FATAL_ERROR \"broken\")\n");
    EXPECT_NE(run("copy/scripts/setup test").status, 0);
    fs::remove_all("copy/build");
    EXPECT_NE(run("copy/scripts/setup test").status, 0);
}

// The content tool of an installed system: a class folder with a school's recording, changed
// words and a picture, put into the installed archive (the build's DATA.ERF stands in for it).
class ContentTool : public SchoolContent {
protected:
    std::string installed() const {
        const char* program = std::getenv("HC_PROGRAM_DIR");
        return std::string(program != nullptr ? program : "") + "/DATA.ERF";
    }
    ToolRun tool(const std::string& options, const std::string& environment = "") {
        return run(environment + " " + shellQuoted(toolPath("honeycombwordsmiths-content")) +
                   " --class-folder class --archive " + shellQuoted(installed()) + " " + options);
    }
    ToolRun erftool(const std::string& arguments) {
        return runShell(shellQuoted(toolPath("erftool")) + " " + arguments);
    }
    std::string entry(const std::string& archive, const std::string& name) {
        return erftool("cat " + shellQuoted(archive) + " " + shellQuoted(name)).out;
    }
};

TEST_F(ContentTool, PutsASchoolsRecordingWordsAndPictureIntoTheClassArchive) {
    fs::create_directories("class/school-content/recordings");
    fs::create_directories("class/school-content/clips");
    fs::create_directories("class/school-content/puzzles");
    writeFile("class/school-content/recordings/WELCOME.WAV", toneWav());
    writeFile("class/school-content/recordings/goodby.wav", toneWav());
    writeFile("class/school-content/clips/goodbye.txt", "See you soon!\n");
    writePicture("class/school-content/puzzles/our-school.png", 300, 200, "PNG");

    // Looked at only: what would be taken and what is left out, and nothing written.
    const ToolRun checked = tool("--check");
    ASSERT_EQ(checked.status, 0) << checked.out;
    EXPECT_TRUE(contains(checked.out, "Warning: school-content/recordings/goodby.wav is not used"))
        << checked.out;
    EXPECT_TRUE(contains(checked.out, "did you mean goodbye.wav?")) << checked.out;
    EXPECT_TRUE(contains(checked.out, "Would use your recording "
                                      "school-content/recordings/WELCOME.WAV"));
    EXPECT_TRUE(contains(checked.out, "puzzle 8: school-content/puzzles/our-school.png"));
    EXPECT_FALSE(fs::exists("class/DATA.ERF"));
    EXPECT_EQ(std::distance(fs::directory_iterator("class"), fs::directory_iterator()), 1);

    const ToolRun made = tool("");
    ASSERT_EQ(made.status, 0) << made.out;
    EXPECT_TRUE(contains(made.out, "Using your recording school-content/recordings/WELCOME.WAV"));
    EXPECT_TRUE(contains(made.out, "Speaking your words school-content/clips/goodbye.txt"));
    EXPECT_TRUE(contains(made.out, "puzzle 8: school-content/puzzles/our-school.png"));
    const std::string archive = "class/DATA.ERF";
    EXPECT_EQ(erftool("verify " + archive).out, "Ok\n");

    // The recording as the build converts it, the words as the memo shows them, the puzzle after
    // the drawn ones; everything else as installed.
    fs::create_directories("content/overrides/bee");
    writeFile("content/overrides/bee/welcome.wav", toneWav());
    ASSERT_EQ(clipStep("welcome").status, 0);
    EXPECT_TRUE(entry(archive, "bee\\welcome.wav") == readFile("out/welcome.wav"));
    EXPECT_EQ(entry(archive, "bee\\welcome.txt"), entry(installed(), "bee\\welcome.txt"));
    EXPECT_EQ(entry(archive, "bee\\goodbye.txt"), "See you soon!\r\n");
    EXPECT_NE(entry(archive, "bee\\goodbye.wav"), entry(installed(), "bee\\goodbye.wav"));
    EXPECT_GT(entry(archive, "phono\\puzzles\\movies\\8.avi").size(), 1000u);
    EXPECT_FALSE(entry(archive, "phono\\puzzles\\pictures\\8_15.bmp").empty());
    EXPECT_TRUE(entry(archive, "movies\\phono.avi") == entry(installed(), "movies\\phono.avi"));
    const auto names = linesOf(erftool("list " + archive).out);
    EXPECT_EQ(names.size(), linesOf(erftool("list " + shellQuoted(installed())).out).size() + 17);

    // Runs that stop leave the class archive as it was, and say why in their last line.
    const std::string before = readFile(archive);
    struct Row {
        const char* what;
        const char* file;
        std::string bytes;
        std::string environment;
        std::string said;
        std::string alsoSaid = ""; // an earlier line
    };
    const Row rows[] = {
        {"a cut-off recording (found by the check)", "recordings/leave.wav",
         toneWav().substr(0, 60), "",
         "school-content/recordings/leave.wav is cut off (the copy did not finish): copy it "
         "again"},
        {"hiss only (found while converting)", "recordings/leave.wav",
         hc::test::pcmWav(22050, 1, steadyNoise(2, 40)), "",
         "school-content/recordings/leave.wav holds no audible sound (record it again, nearer "
         "the microphone, or delete it to keep the computer voice)"},
        {"an emoji in new words", "clips/leave.txt", "Bye \xF0\x9F\x90\x9D\n", "",
         "school-content/clips/leave.txt holds an emoji (U+1F41D), which the text beside the bee "
         "cannot show: take it out (or say it in words), save the file and build again"},
        {"new words and no speech synthesiser", "clips/leave.txt", "Bye for now.\n",
         "PATH=/nonexistent",
         "school-content/clips/goodbye.txt, school-content/clips/leave.txt: changing what the "
         "bee says needs the speech "
         "synthesiser flite, which is not installed (install it with: sudo apt install flite), "
         "or record the words yourself into school-content/recordings",
         "school-content/recordings/WELCOME.WAV: using your recordings needs the sound converter "
         "sox, which is not installed (install it with: sudo apt install sox)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file = std::string("class/school-content/") + row.file;
        writeFile(file, row.bytes);
        const ToolRun stopped = tool("", row.environment);
        EXPECT_EQ(stopped.status, 1);
        EXPECT_EQ(lastLine(stopped.out), row.said) << stopped.out;
        EXPECT_TRUE(contains(stopped.out, row.alsoSaid)) << stopped.out;
        EXPECT_TRUE(readFile(archive) == before);
        EXPECT_EQ(std::distance(fs::directory_iterator("class"), fs::directory_iterator()), 2);
        fs::remove(file);
    }
}

// Installed, the tool finds the archive beside its own folder (share/honeycombwordsmiths) and the
// class folder as the programs do, with no option given.
TEST_F(ContentTool, FindsTheInstalledArchiveAndTheClassFolderWithoutOptions) {
    fs::create_directories("prefix/bin");
    fs::create_directories("prefix/share/honeycombwordsmiths");
    fs::copy_file(toolPath("honeycombwordsmiths-content"),
                  "prefix/bin/honeycombwordsmiths-content");
    fs::create_directories("class/school-content/puzzles");
    writePicture("class/school-content/puzzles/photo10.png", 200, 150, "PNG");
    writePicture("class/school-content/puzzles/photo2.png", 200, 150, "PNG");
    const std::string command = "HONEYCOMB_CLASS_FOLDER=" + shellQuoted(path("class")) +
                                " prefix/bin/honeycombwordsmiths-content --check";

    const ToolRun missing = run(command);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(lastLine(missing.out)
                  .rfind("The installed archive " +
                             path("prefix/share/honeycombwordsmiths/DATA.ERF") + " cannot be read",
                         0),
              0u)
        << missing.out;

    fs::create_symlink(installed(), "prefix/share/honeycombwordsmiths/DATA.ERF");
    const ToolRun checked = run(command);
    ASSERT_EQ(checked.status, 0) << checked.out;
    EXPECT_NE(checked.out.find("  puzzle 8: school-content/puzzles/photo2.png\n"
                               "  puzzle 9: school-content/puzzles/photo10.png\n"),
              std::string::npos)
        << checked.out;
    EXPECT_FALSE(fs::exists("class/DATA.ERF"));
}

} // namespace
