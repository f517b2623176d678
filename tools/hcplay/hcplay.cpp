// hcplay: plays one media file as the programs do, for content authors.
//
//   hcplay FILE [--from N --to M] [--loop]
//
// AVI video shows in a window of its own size (with its sound), WAV and MIDI play without a
// window. --from and --to give a range in frames (AVI), samples (WAV) or milliseconds (MIDI);
// either may be left out (the start, the end). Every notification is printed on stdout as its
// result and the milliseconds since the play began ("successful 1003"). The program exits
// after a successful end, or plays again with --loop; it exits with 1 when the file cannot be
// opened or playing fails, with 2 on a wrong command line. Closing the window ends it too.

#include "archive/error.h"
#include "platform/media/media_player.h"
#include "platform/media/media_system.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <optional>

namespace {

using hc::media::DeviceType;
using hc::media::MediaPlayer;
using hc::media::Notify;
using hc::media::NotifyResult;
using hc::media::TimeFormat;

struct Options {
    QString file;
    std::optional<qint64> from;
    std::optional<qint64> to;
    bool loop = false;
};

int usage(const char* problem) {
    std::fprintf(stderr, "hcplay: %s\nusage: hcplay FILE [--from N --to M] [--loop]\n", problem);
    return 2;
}

std::optional<Options> parse(const QStringList& args, const char** problem) {
    Options options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--loop")) {
            options.loop = true;
        } else if (arg == QLatin1String("--from") || arg == QLatin1String("--to")) {
            bool ok = false;
            const qint64 value = i + 1 < args.size() ? args[i + 1].toLongLong(&ok) : 0;
            if (!ok || value < 0) {
                *problem = "--from and --to take a whole number that is not negative";
                return std::nullopt;
            }
            (arg == QLatin1String("--from") ? options.from : options.to) = value;
            ++i;
        } else if (arg.startsWith(QLatin1String("--")) || !options.file.isEmpty()) {
            *problem = "unexpected argument";
            return std::nullopt;
        } else {
            options.file = arg;
        }
    }
    if (options.file.isEmpty()) {
        *problem = "no file given";
        return std::nullopt;
    }
    return options;
}

std::optional<DeviceType> deviceFor(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("avi")) {
        return DeviceType::AviVideo;
    }
    if (suffix == QLatin1String("wav")) {
        return DeviceType::WaveAudio;
    }
    if (suffix == QLatin1String("mid") || suffix == QLatin1String("midi") ||
        suffix == QLatin1String("rmi")) {
        return DeviceType::Sequencer;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const char* problem = "";
    const auto options = parse(QCoreApplication::arguments(), &problem);
    if (!options) {
        return usage(problem);
    }
    const auto device = deviceFor(options->file);
    if (!device) {
        return usage("the file must end in .avi, .wav, .mid, .midi or .rmi");
    }

    hc::media::MediaSystem media;
    QWidget window;
    window.setWindowTitle(QFileInfo(options->file).fileName() + QStringLiteral(" - hcplay"));
    MediaPlayer player(media);
    player.setDeviceType(*device);
    player.setFileName(options->file);
    if (*device == DeviceType::AviVideo) {
        player.setDisplay(&window);
    }
    const bool ranged = options->from || options->to;
    try {
        player.open(Notify::No);
        if (ranged && *device == DeviceType::WaveAudio) {
            player.setTimeFormat(TimeFormat::Samples);
        }
    } catch (const hc::Error& error) {
        std::fprintf(stderr, "hcplay: %s.\n", error.what());
        return 1;
    }
    if (*device == DeviceType::AviVideo) {
        window.setFixedSize(player.naturalSize());
        window.show();
    }

    QElapsedTimer sincePlay;
    int exitCode = 0;
    const auto start = [&] {
        sincePlay.start();
        if (ranged) {
            player.playRange(options->from.value_or(0), options->to.value_or(player.length()),
                             Notify::Yes);
        } else {
            player.play(Notify::Yes);
        }
    };
    QObject::connect(&player, &MediaPlayer::notified, [&](NotifyResult result) {
        std::printf("%s %lld\n", hc::media::resultName(result),
                    static_cast<long long>(sincePlay.elapsed()));
        std::fflush(stdout);
        if (result == NotifyResult::Successful && options->loop) {
            start();
        } else if (result == NotifyResult::Successful || result == NotifyResult::Failed) {
            exitCode = result == NotifyResult::Failed ? 1 : 0;
            // The sound device still holds the last few milliseconds: let them play out.
            QTimer::singleShot(250, &app, &QCoreApplication::quit);
        }
    });
    try {
        start();
    } catch (const hc::Error& error) {
        std::fprintf(stderr, "hcplay: %s.\n", error.what());
        return 1;
    }
    const int loopResult = app.exec();
    // Notifications that did not reach standard output (a full disk) are a failure too.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "hcplay: cannot write to standard output.\n");
        return 1;
    }
    return exitCode != 0 ? exitCode : loopResult;
}
