// hcplay as a content author runs it: offscreen, without a sound card.

#include "media_fixtures.h"
#include "temp_dir.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <cstdlib>
#include <filesystem>

namespace hc::test::media {
namespace {

struct ToolRun {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

class HcplayTest : public TempDirTest {
protected:
    // Runs hcplay; with `stopAfterLines`, terminates it once that many lines have come. SDL
    // uses `audioDriver`. With `outputFile`, standard output goes there instead.
    ToolRun hcplay(const QStringList& args, int stopAfterLines = 0,
                   const QString& audioDriver = QStringLiteral("dummy"),
                   const QString& outputFile = {}) {
        const char* tools = std::getenv("HC_TOOL_DIR");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), audioDriver);
        // A runtime folder of its own, so that Qt has nothing to say about it either.
        const std::string runtime = path("runtime");
        std::filesystem::create_directory(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime));
        process.setProcessEnvironment(env);
        if (!outputFile.isEmpty()) {
            process.setStandardOutputFile(outputFile);
        }
        process.start(QString::fromLocal8Bit(tools) + QStringLiteral("/hcplay"), args);
        ToolRun run;
        if (!process.waitForStarted(10000)) {
            ADD_FAILURE() << "hcplay did not start";
            return run;
        }
        QByteArray out;
        while (process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(200);
            out += process.readAllStandardOutput();
            if (stopAfterLines > 0 && out.count('\n') >= stopAfterLines) {
                // Regression: SDL once swallowed SIGTERM, and a looping hcplay never ended.
                process.terminate();
                if (!process.waitForFinished(10000)) {
                    ADD_FAILURE() << "hcplay ignored SIGTERM";
                    process.kill();
                    process.waitForFinished(10000);
                }
                break;
            }
        }
        process.waitForFinished(60000);
        out += process.readAllStandardOutput();
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.lines = QString::fromLocal8Bit(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        run.errors = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    static qint64 millisecondsOf(const QString& line) {
        return line.section(QLatin1Char(' '), 1, 1).toLongLong();
    }
};

TEST_F(HcplayTest, PlaysAnAviRangeWithSoundAndReportsItsEnd) {
    AviRecipe recipe;
    recipe.sound = true;
    writeAvi(path("movie.avi"), recipe);
    // Frames 3 to 9 at 15 fps: 400 ms.
    const ToolRun run = hcplay({QString::fromStdString(path("movie.avi")), QStringLiteral("--from"),
                                QStringLiteral("3"), QStringLiteral("--to"), QStringLiteral("9")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(run.lines.size(), 1) << run.lines.join('|').toStdString();
    EXPECT_TRUE(run.lines[0].startsWith(QStringLiteral("successful ")))
        << run.lines[0].toStdString();
    EXPECT_GE(millisecondsOf(run.lines[0]), 400);
}

TEST_F(HcplayTest, LoopsUntilEndedAndPlaysWaveAndMidi) {
    writeWav(path("speech.wav"), sine(2205, 440, 11025), WavRecipe{});
    const ToolRun looped =
        hcplay({QString::fromStdString(path("speech.wav")), QStringLiteral("--loop")}, 3);
    ASSERT_GE(looped.lines.size(), 3);
    for (const QString& line : looped.lines) {
        EXPECT_TRUE(line.startsWith(QStringLiteral("successful "))) << line.toStdString();
        EXPECT_GE(millisecondsOf(line), 200); // each loop's time counts from its own play
    }

    writeFile(path("title.mid"), midiFile(500000, {60, 67}, 240));
    const ToolRun midi = hcplay({QString::fromStdString(path("title.mid"))});
    EXPECT_EQ(midi.exitCode, 0) << midi.errors.toStdString();
    ASSERT_EQ(midi.lines.size(), 1);
    EXPECT_GE(millisecondsOf(midi.lines[0]), 500);
}

// Regression: without a sound card every start printed about eight lines of ALSA's own errors
// before the one line that says sound is silent.
TEST_F(HcplayTest, WithoutASoundCardOnlyOurOneLineIsPrinted) {
    writeWav(path("speech.wav"), sine(1102, 440, 11025), WavRecipe{});
    const ToolRun run =
        hcplay({QString::fromStdString(path("speech.wav"))}, 0, QStringLiteral("alsa"));
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains(QStringLiteral("ALSA lib"))) << run.errors.toStdString();
    // A machine with a sound card plays it and says nothing; one without says one line.
    const QStringList lines = run.errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!lines.isEmpty()) {
        ASSERT_EQ(lines.size(), 1) << run.errors.toStdString();
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("No sound device could be opened")))
            << run.errors.toStdString();
    }
}

// Regression: with its output on a full disk, hcplay exited 0 and the notifications were lost.
TEST_F(HcplayTest, OutputThatCannotBeWrittenFails) {
    writeWav(path("speech.wav"), sine(1102, 440, 11025), WavRecipe{});
    const ToolRun run = hcplay({QString::fromStdString(path("speech.wav"))}, 0,
                               QStringLiteral("dummy"), QStringLiteral("/dev/full"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("cannot write to standard output")))
        << run.errors.toStdString();
}

TEST_F(HcplayTest, BadFilesAndCommandLinesFailWithAMessage) {
    const ToolRun missing = hcplay({QString::fromStdString(path("gone.avi"))});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.errors.contains(QStringLiteral("does not exist")))
        << missing.errors.toStdString();
    EXPECT_TRUE(missing.lines.isEmpty());

    EXPECT_EQ(hcplay({}).exitCode, 2);
    EXPECT_EQ(hcplay({QStringLiteral("a.avi"), QStringLiteral("--from")}).exitCode, 2);
    EXPECT_EQ(hcplay({QStringLiteral("notes.txt")}).exitCode, 2);
}

} // namespace
} // namespace hc::test::media
