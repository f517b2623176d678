#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

class QWidget;

namespace hc::media {

class MediaSystem;
namespace detail {
class DisplayView;
class Medium;
} // namespace detail

// What a player plays: an AVI video (pictures in its display widget, with the file's own
// sound track), a wave file, or a standard MIDI file.
enum class DeviceType { AviVideo, WaveAudio, Sequencer };

// NotOpen until open() succeeds; Stopped or Playing while open.
enum class Mode { NotOpen, Stopped, Playing };

// Unit of positions, lengths and ranges. Frames exist for AVI video only, samples (sample
// frames: one per channel group) for wave audio only; milliseconds for every device type.
// open() sets the device's default: frames for AVI, milliseconds for wave and MIDI.
enum class TimeFormat { Milliseconds, Frames, Samples };

// The result a completion notification carries:
// - Successful: the play reached its end or its range's end; for open, stop and close with
//   notification, the command was carried out.
// - Superseded: a later command on the same player asked for notification while this one was
//   still pending.
// - Aborted: stop, close, or a later play without notification interrupted the play.
// - Failed: decoding or reading the file failed while playing; the player is then stopped.
enum class NotifyResult { Successful, Superseded, Aborted, Failed };

// Whether a command wants the completion notification. AsRequested uses (and every command
// consumes) the request made with requestNotify(), so "ask for notification on its next
// command" is requestNotify() followed later by a plain play().
enum class Notify { AsRequested, Yes, No };

// Human-readable name of a result: "successful", "superseded", "aborted", "failed".
const char* resultName(NotifyResult result);

// One media file and its playback: the media player that the screens drive. All calls belong
// on the user-interface thread.
//
// Commands (open, close, play, playRange, stop) return at once; open and close have finished
// when they return. A notification requested by a command is delivered by the signal
// notified(), always through the event loop after the command has returned, never inside it.
// At most one play notification is pending per player: a later command that wants
// notification supersedes it; a later stop, close or play without notification aborts it.
//
// Playing follows the MediaSystem's clock: a play from position p shows frame p at once and
// frame p + k after k frame periods, and ends when the range's time has passed. An AVI's sound
// track plays in step with its pictures.
//
// Several players may show in one display widget. The one that started playing last is
// seen; its picture stays when it stops; when it is closed, the display shows the last other
// open player that had shown a picture, or nothing (the widget's own background). Opening
// alone shows nothing. Pictures are drawn at their natural size from the widget's top-left
// corner, beneath the widget's own child widgets, and let mouse clicks through to the widget.
class MediaPlayer : public QObject {
    Q_OBJECT

public:
    // `media` must outlive the player.
    explicit MediaPlayer(MediaSystem& media, QObject* parent = nullptr);
    // Closes the player; a pending notification is dropped with it.
    ~MediaPlayer() override;

    // The device type and file of the next open(). The display may change at any time.
    void setDeviceType(DeviceType type) { m_deviceType = type; }
    DeviceType deviceType() const { return m_deviceType; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    const QString& fileName() const { return m_fileName; }
    void setDisplay(QWidget* display);
    QWidget* display() const;

    // Asks for notification on the next command (whichever it is); that command consumes it.
    void requestNotify(bool on = true) { m_notifyNext = on; }
    bool notifyRequested() const { return m_notifyNext; }

    // Opens fileName() as deviceType(), closing first if open. The position is 0 and the
    // time format the device's default. Throws hc::Error with a message naming the file when
    // it is missing, damaged or not of the device type; the player then stays not open.
    void open(Notify notify = Notify::AsRequested);
    // Stops and releases the file. Does nothing when not open.
    void close(Notify notify = Notify::AsRequested);
    // Plays from the current position to the end; at the end, rewinds to the start first.
    // Throws hc::Error when the player is not open.
    void play(Notify notify = Notify::AsRequested);
    // Plays from `from` to `to` in the current time format. Both are clamped to the medium;
    // at the end the position is `to` and, for AVI, frame `to` stays on screen (the last frame
    // when `to` is the length). Throws hc::Error when not open or when `from` lies after `to`.
    void playRange(std::int64_t from, std::int64_t to, Notify notify = Notify::AsRequested);
    // Stops playing; the position stays where playing reached and the picture stays on screen.
    // Does nothing when not open.
    void stop(Notify notify = Notify::AsRequested);

    // Throws hc::Error when not open or the format does not exist for the device type.
    void setTimeFormat(TimeFormat format);
    TimeFormat timeFormat() const { return m_timeFormat; }

    Mode mode() const { return m_mode; }
    // In the current time format; 0 when not open. The length is the end position: playing to
    // the end leaves the position equal to the length.
    std::int64_t position() const;
    std::int64_t length() const;
    // AVI: the size of its pictures; empty for other device types and when not open.
    QSize naturalSize() const;
    // AVI: the picture last shown by this player (null before its first play).
    const QImage& picture() const { return m_picture; }

signals:
    void notified(hc::media::NotifyResult result);

private:
    friend class MediaSystem;

    struct Play {
        std::int64_t from = 0; // native units (frames, samples, microseconds)
        std::int64_t to = 0;
        std::chrono::nanoseconds start{};
        std::int64_t shownFrame = -1;
    };

    bool takeNotify(Notify notify);
    void requireOpen(const char* command) const;
    // Ends a pending notification because a new command arrives.
    void interruptPending(bool newCommandNotifies);
    void post(NotifyResult result);
    void startPlay(std::int64_t from, std::int64_t to, bool notify);
    // Stops sound and the clock's interest in this player; the picture stays.
    void halt(bool naturalEnd);
    void fail();
    void showFrame(std::int64_t index);
    // The display has come on the screen: decodes the frame skipped while it was hidden.
    void displayShown();
    void attachView();
    void detachView();

    // Called by MediaSystem while playing.
    std::chrono::nanoseconds nextDeadline() const;
    void advance(std::chrono::nanoseconds now);
    void mediaSystemGone();

    std::int64_t toNative(std::int64_t value) const;
    std::int64_t fromNative(std::int64_t native, bool roundUp = false) const;
    std::int64_t nativePosition() const;
    std::chrono::nanoseconds durationOf(std::int64_t units) const;
    std::int64_t unitsIn(std::chrono::nanoseconds time) const;

    MediaSystem* m_media;
    DeviceType m_deviceType = DeviceType::AviVideo;
    QString m_fileName;
    QPointer<QWidget> m_display;
    QPointer<detail::DisplayView> m_view;
    bool m_notifyNext = false;
    bool m_pending = false;
    std::unique_ptr<detail::Medium> m_medium;
    TimeFormat m_timeFormat = TimeFormat::Frames;
    Mode m_mode = Mode::NotOpen;
    std::int64_t m_position = 0; // native units, while not playing
    std::optional<Play> m_play;
    std::uint64_t m_audio = 0; // mixer source of the current play, 0 when none
    QImage m_picture;
    // The frame due while the display was hidden and not decoded yet, -1 when none.
    std::int64_t m_staleFrame = -1;
    friend class detail::DisplayView;
};

} // namespace hc::media
