#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

namespace hc::media {
class MediaPlayer;
}

namespace hc::media::detail {

// The picture layer of one display widget, shared by every player that shows there. It is a
// child of the display, at the display's top-left corner and at the size of the picture it
// shows, beneath the display's other children and transparent to the mouse; it is hidden while
// no player has a picture to show, so the display's own background shows.
//
// Which player is seen: of the open players attached here that have shown a picture, the one
// that started playing last.
class DisplayView final : public QWidget {
    Q_OBJECT

public:
    // The view of `display`, created on first use.
    static DisplayView* of(QWidget* display);

    void attach(MediaPlayer* player);
    void detach(MediaPlayer* player);
    // `player` starts a play: it becomes the one seen once it has a picture.
    void started(MediaPlayer* player);
    // `player` has a new picture.
    void pictureChanged(MediaPlayer* player);
    MediaPlayer* seen() const { return m_seen; }

    // Watches the display: when it comes on the screen, players whose frames were skipped
    // while it was hidden bring their picture up to date.
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    explicit DisplayView(QWidget* display);
    void choose();

    struct Entry {
        MediaPlayer* player = nullptr;
        std::uint64_t started = 0; // order of its last play start; 0 before the first
    };
    std::vector<Entry> m_entries;
    std::uint64_t m_starts = 0;
    MediaPlayer* m_seen = nullptr;
};

} // namespace hc::media::detail
