// DATA.ERF as the student program will open it: every name it asks for, every movie at the
// size of the panel it plays in, every sound audible at 11025 Hz, the phonogram table, and art
// that lines up with the screens' own pictures.

#include "archive_entries.h"
#include "content/entry_names.h"
#include "content/pictures.h"
#include "content/probe/movie_probe.h"
#include "temp_dir.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

namespace {

using hc::content::meanDifference;
using hc::content::MediaInfo;
using hc::content::probeMedia;
namespace entries = hc::entries;

class ContentArchive : public hc::test::TempDirTest {
protected:
    static void SetUpTestSuite() { av_log_set_level(AV_LOG_ERROR); }
    void SetUp() override {
        TempDirTest::SetUp();
        ASSERT_TRUE(hc::test::openProgramArchive());
    }

    // Decodes an entry; `frames` receives every picture when given.
    MediaInfo decode(const std::string& name, std::vector<QImage>* frames = nullptr) {
        const std::string file = path("entry.bin");
        hc::test::writeEntryTo(name, file);
        return probeMedia(file, frames);
    }
};

std::vector<std::string> namesUnder(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& name : hc::test::archiveNames()) {
        if (hc::test::startsWithFolded(name, prefix)) {
            found.push_back(name);
        }
    }
    return found;
}

int countUnder(std::string_view prefix) {
    return static_cast<int>(namesUnder(std::string(prefix)).size());
}

TEST_F(ContentArchive, HoldsEveryNameTheProgramAsksFor) {
    std::vector<std::string> wanted = {
        std::string(entries::kBeeIdle),        std::string(entries::kBeeTalk),
        std::string(entries::kBeeJump),        std::string(entries::kBeeNo),
        std::string(entries::kLoadingMovie),   std::string(entries::kLogoMovie),
        std::string(entries::kTitleBeeMovie),  std::string(entries::kStartMovie),
        std::string(entries::kTitleMusic),     std::string(entries::kFlashCardMovie),
        std::string(entries::kPhonoMovie),     std::string(entries::kPhonogramTable),
        std::string(entries::kPhonogramSounds)};
    for (const std::string_view clip : entries::kClips) {
        wanted.push_back(entries::clipSound(clip));
        wanted.push_back(entries::clipText(clip));
    }
    const std::vector<std::string> names = hc::test::archiveNames();
    const std::set<std::string> present(names.begin(), names.end());
    for (const std::string& name : wanted) {
        EXPECT_TRUE(present.count(name)) << "missing " << name;
    }
}

// The program counts every entry under these prefixes and asks for 0 .. N-1, so anything
// else there (a gap, a stray file) would make it ask for a movie that does not exist.
TEST_F(ContentArchive, RewardAndPuzzleMoviesAreNumberedWithoutGapsOrStrays) {
    const struct {
        std::string_view prefix;
        int atLeast;
        std::string (*name)(int);
    } folders[] = {{entries::kRewardPrefix, 5, entries::rewardMovie},
                   {entries::kPuzzleMoviePrefix, 8, entries::puzzleMovie}};
    for (const auto& folder : folders) {
        const std::vector<std::string> found = namesUnder(std::string(folder.prefix));
        EXPECT_GE(static_cast<int>(found.size()), folder.atLeast) << folder.prefix;
        std::set<std::string> expected;
        for (int n = 0; n < static_cast<int>(found.size()); ++n) {
            expected.insert(folder.name(n));
        }
        EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), expected) << folder.prefix;
    }
    // Exactly 16 pieces for each puzzle, and no piece of a puzzle that has no movie.
    const int puzzles = countUnder(entries::kPuzzleMoviePrefix);
    std::set<std::string> pieces;
    for (int k = 0; k < puzzles; ++k) {
        for (int p = 0; p < entries::kPuzzlePieces; ++p) {
            pieces.insert(entries::puzzlePiece(k, p));
        }
    }
    const std::vector<std::string> found = namesUnder("phono\\puzzles\\pictures\\");
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), pieces);
}

TEST_F(ContentArchive, EveryMovieDecodesAtItsPanelSize) {
    struct Movie {
        std::string name;
        int width, height;
        int minFrames, maxFrames;
        double fps;
        bool sound;
    };
    std::vector<Movie> movies = {
        {std::string(entries::kBeeIdle), 160, 120, 10, 60, 15, false},
        {std::string(entries::kBeeTalk), 160, 120, 8, 60, 15, false},
        {std::string(entries::kBeeJump), 160, 120, 10, 40, 15, false},
        {std::string(entries::kBeeNo), 160, 120, 10, 40, 15, false},
        {std::string(entries::kLoadingMovie), 134, 33, 8, 60, 15, false},
        {std::string(entries::kLogoMovie), 320, 200, 30, 120, 15, true},
        {std::string(entries::kTitleBeeMovie), 237, 308, 10, 90, 15, false},
        {std::string(entries::kStartMovie), 114, 126, 10, 90, 15, false},
        // The card comes in frames 0..15 and goes in 15..30.
        {std::string(entries::kFlashCardMovie), 263, 92, 31, 31, 15, false},
        // Opening in frames 0..90, closing in 90..180.
        {std::string(entries::kPhonoMovie), 316, 158, 181, 181, 30, false},
    };
    for (int n = 0; n < countUnder(entries::kRewardPrefix); ++n) {
        movies.push_back({entries::rewardMovie(n), 318, 238, 30, 120, 15, true});
    }
    for (int k = 0; k < countUnder(entries::kPuzzleMoviePrefix); ++k) {
        movies.push_back({entries::puzzleMovie(k), 141, 133, 20, 90, 15, true});
    }
    for (const Movie& movie : movies) {
        SCOPED_TRACE(movie.name);
        const MediaInfo info = decode(movie.name);
        EXPECT_EQ(info.container, "avi");
        EXPECT_EQ(info.videoCodec, "mjpeg");
        EXPECT_EQ(info.width, movie.width);
        EXPECT_EQ(info.height, movie.height);
        EXPECT_GE(info.framesDecoded, movie.minFrames);
        EXPECT_LE(info.framesDecoded, movie.maxFrames);
        EXPECT_NEAR(info.framesPerSecond, movie.fps, 0.01);
        if (movie.sound) {
            EXPECT_EQ(info.audioCodec, "pcm_s16le");
            EXPECT_EQ(info.sampleRate, 11025);
            EXPECT_EQ(info.channels, 1);
            EXPECT_GT(info.peak, 2000) << "silent sound track";
            // The sound lasts as long as the pictures, no longer.
            const double pictures = info.framesDecoded / movie.fps;
            EXPECT_NEAR(static_cast<double>(info.samples) / 11025.0, pictures, 0.1);
        } else {
            EXPECT_TRUE(info.audioCodec.empty());
        }
    }
}

TEST_F(ContentArchive, EverySoundIsAudibleMonoAt11025Hz) {
    int sounds = 0;
    for (const std::string& name : hc::test::archiveNames()) {
        if (name.size() < 4 || name.substr(name.size() - 4) != ".wav") {
            continue;
        }
        SCOPED_TRACE(name);
        ++sounds;
        const MediaInfo info = decode(name);
        EXPECT_EQ(info.container, "wav");
        EXPECT_EQ(info.sampleRate, 11025);
        EXPECT_EQ(info.channels, 1);
        EXPECT_GT(info.samples, 11025 / 4);
        EXPECT_GT(info.peak, 1000) << "silent";
    }
    EXPECT_EQ(sounds, static_cast<int>(entries::kClips.size()) + 1); // clips + phonograms
}

TEST_F(ContentArchive, EveryTextIsFilled) {
    for (const std::string& name : hc::test::archiveNames()) {
        if (name.size() > 4 && name.substr(name.size() - 4) == ".txt") {
            EXPECT_FALSE(hc::test::archiveEntry(name).empty()) << name;
        }
    }
}

TEST_F(ContentArchive, PhonogramRangesLieInTheRecordingInOrder) {
    const std::string table = hc::test::archiveEntry(std::string(entries::kPhonogramTable));
    const MediaInfo sound = decode(std::string(entries::kPhonogramSounds));
    std::size_t at = 0;
    long previousEnd = 0;
    int lines = 0;
    while (at < table.size()) {
        const std::size_t end = table.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "line " << lines + 1 << " lacks its CR LF";
        const std::string line = table.substr(at, end - at);
        at = end + 2;
        ++lines;
        SCOPED_TRACE(line);
        EXPECT_LE(line.size() + 2, 104u);
        std::istringstream fields(line);
        std::string text;
        long start = -1;
        long stop = -1;
        ASSERT_TRUE(std::getline(fields, text, '\t'));
        fields >> start >> stop;
        EXPECT_FALSE(text.empty());
        EXPECT_LE(text.size(), 11u);
        EXPECT_GE(start, previousEnd) << "overlaps the sound before it";
        EXPECT_LT(start, stop);
        EXPECT_LE(stop, sound.samples);
        previousEnd = stop;
    }
    EXPECT_EQ(lines, 70);
}

// At frame 15 the card must lie still with its word slot exactly under the word label
// (left 16, top 30, 233 x 33, background 0xD4D4D4); before and after, only the panel's grey.
TEST_F(ContentArchive, FlashCardRestsUnderTheWordLabel) {
    std::vector<QImage> frames;
    decode(std::string(entries::kFlashCardMovie), &frames);
    ASSERT_GE(frames.size(), 31u);
    QImage slot(frames[15].size(), QImage::Format_RGB888);
    slot.fill(QColor(0xD4, 0xD4, 0xD4));
    EXPECT_LT(meanDifference(frames[15], slot, QRect(16, 30, 233, 33).adjusted(1, 1, -1, -1)), 3.0);
    // Just outside the label the card is not the label's grey, so a shifted card shows up.
    EXPECT_GT(meanDifference(frames[15], slot, QRect(16, 18, 233, 8)), 20.0);
    QImage panel(frames[0].size(), QImage::Format_RGB888);
    panel.fill(QColor(0x80, 0x80, 0x80));
    EXPECT_LT(meanDifference(frames[0], panel), 2.0);
    EXPECT_LT(meanDifference(frames[30], panel), 2.0);
    EXPECT_GT(meanDifference(frames[8], panel), 10.0) << "the card should be on its way";
}

// The screen's still pictures take over from the movies where they meet, so they must agree.
TEST_F(ContentArchive, MoviesMeetTheScreensPicturesWithoutAJump) {
    hc::pictures::registerPictures();
    {
        std::vector<QImage> frames;
        decode(std::string(entries::kPhonoMovie), &frames);
        ASSERT_GE(frames.size(), 181u);
        const QImage backdrop(hc::pictures::kPhonoBackdrop);
        EXPECT_LT(meanDifference(frames[90], backdrop), 3.0) << "opening ends on the backdrop";
        EXPECT_GT(meanDifference(frames[0], backdrop), 20.0) << "opening starts closed";
        EXPECT_GT(meanDifference(frames[180], backdrop), 20.0) << "closing ends closed";
    }
    {
        std::vector<QImage> frames;
        decode(std::string(entries::kLoadingMovie), &frames);
        ASSERT_FALSE(frames.empty());
        EXPECT_LT(meanDifference(frames[0], QImage(hc::pictures::kLoadingStill)), 3.0);
    }
    // The title screen: black, the title art at the top, the floor from top 200.
    QImage screen(632, 453, QImage::Format_RGB888);
    screen.fill(Qt::black);
    {
        QPainter p(&screen);
        p.drawImage(0, 0, QImage(hc::pictures::kTitleArt));
        p.drawImage(0, 200, QImage(hc::pictures::kCheckerFloor));
    }
    {
        std::vector<QImage> frames;
        decode(std::string(entries::kTitleBeeMovie), &frames);
        ASSERT_FALSE(frames.empty());
        const QImage under = screen.copy(17, 105, 237, 308);
        // The bottom of the panel is clear of the bee and its letters in every frame.
        for (const QImage& frame : frames) {
            EXPECT_LT(meanDifference(frame, under, QRect(0, 262, 237, 46)), 3.0);
        }
    }
    {
        std::vector<QImage> frames;
        decode(std::string(entries::kStartMovie), &frames);
        ASSERT_FALSE(frames.empty());
        const QImage under = screen.copy(262, 309, 114, 126);
        for (const QRect corner :
             {QRect(0, 0, 8, 8), QRect(106, 0, 8, 8), QRect(0, 118, 8, 8), QRect(106, 118, 8, 8)}) {
            EXPECT_LT(meanDifference(frames[0], under, corner), 4.0);
        }
    }
}

// Each piece is the inside of its card in the 4 x 4 board (cards 35 x 33, pictures 33 x 31),
// so the finished board looks exactly like the movie's first frame that replaces it.
TEST_F(ContentArchive, PuzzlePiecesFormTheMoviesFirstFrame) {
    const int puzzles = countUnder(entries::kPuzzleMoviePrefix);
    ASSERT_GE(puzzles, 8);
    for (int k = 0; k < puzzles; ++k) {
        SCOPED_TRACE(k);
        std::vector<QImage> frames;
        decode(entries::puzzleMovie(k), &frames);
        ASSERT_FALSE(frames.empty());
        for (int p = 0; p < entries::kPuzzlePieces; ++p) {
            const std::string bytes = hc::test::archiveEntry(entries::puzzlePiece(k, p));
            ASSERT_EQ(bytes.substr(0, 2), "BM") << "a Windows bitmap";
            QImage piece;
            ASSERT_TRUE(piece.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                           static_cast<int>(bytes.size()), "BMP"));
            ASSERT_EQ(piece.size(), QSize(33, 31));
            const QRect place(35 * (p % 4) + 1, 33 * (p / 4) + 1, 33, 31);
            EXPECT_LT(meanDifference(frames[0].copy(place), piece), 6.0) << "piece " << p;
        }
    }
}

// Drawing the visual content again gives the same bytes as the archive holds.
TEST_F(ContentArchive, VisualContentIsRebuiltByteForByte) {
    const char* tools = std::getenv("HC_TOOL_DIR");
    const char* audio = std::getenv("HC_AUDIO_OUT_DIR");
    ASSERT_NE(tools, nullptr);
    ASSERT_NE(audio, nullptr);
    const std::string artgen = std::string(tools) + "/hc_artgen";
    const std::string out = path("again");
    for (const std::string& command :
         {artgen + " bee '" + out + "'", artgen + " movies '" + out + "' '" + audio + "'",
          artgen + " puzzles '" + out + "' '" + audio + "'"}) {
        ASSERT_EQ(std::system((command + " 2>/dev/null").c_str()), 0) << command;
    }
    int compared = 0;
    for (const auto& file : std::filesystem::recursive_directory_iterator(out)) {
        if (!file.is_regular_file()) {
            continue;
        }
        std::string name = std::filesystem::relative(file.path(), out).string();
        std::replace(name.begin(), name.end(), '/', '\\');
        EXPECT_TRUE(hc::test::readFile(file.path().string()) == hc::test::archiveEntry(name))
            << name << " differs from the archive's";
        ++compared;
    }
    EXPECT_EQ(compared, 10 + countUnder(entries::kRewardPrefix) +
                            17 * countUnder(entries::kPuzzleMoviePrefix));
}

TEST_F(ContentArchive, ContactSheetShowsEveryMovieAndPuzzle) {
    const char* tools = std::getenv("HC_TOOL_DIR");
    const char* program = std::getenv("HC_PROGRAM_DIR");
    ASSERT_NE(tools, nullptr);
    ASSERT_NE(program, nullptr);
    const std::string sheet = path("sheet.png");
    const std::string command = std::string(tools) + "/hc_contact_sheet '" + program +
                                "/DATA.ERF' '" + sheet + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QImage image(QString::fromStdString(sheet));
    ASSERT_FALSE(image.isNull());
    // Five tiles a row: every movie and every puzzle picture needs its row.
    const int tiles =
        10 + countUnder(entries::kRewardPrefix) + 2 * countUnder(entries::kPuzzleMoviePrefix);
    EXPECT_EQ(image.width(), 5 * 340);
    EXPECT_GE(image.height(), (tiles + 4) / 5 * 150);
}

} // namespace
