#include "platform/media/display_view.h"

#include "platform/media/media_player.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace hc::media::detail {

DisplayView* DisplayView::of(QWidget* display) {
    if (auto* view = display->findChild<DisplayView*>(QString(), Qt::FindDirectChildrenOnly)) {
        return view;
    }
    return new DisplayView(display); // owned by the display, as its child
}

DisplayView::DisplayView(QWidget* display) : QWidget(display) {
    setObjectName(QStringLiteral("hcMediaPicture"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    move(0, 0);
    lower();
    hide();
    display->installEventFilter(this);
}

bool DisplayView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Show) {
        for (const Entry& entry : std::vector<Entry>(m_entries)) {
            entry.player->displayShown();
        }
    }
    return false;
}

void DisplayView::attach(MediaPlayer* player) {
    const bool known = std::any_of(m_entries.begin(), m_entries.end(),
                                   [player](const Entry& e) { return e.player == player; });
    if (!known) {
        m_entries.push_back({player, 0});
    }
}

void DisplayView::detach(MediaPlayer* player) {
    std::erase_if(m_entries, [player](const Entry& e) { return e.player == player; });
    choose();
}

void DisplayView::started(MediaPlayer* player) {
    for (Entry& entry : m_entries) {
        if (entry.player == player) {
            entry.started = ++m_starts;
        }
    }
    choose();
}

void DisplayView::pictureChanged(MediaPlayer* player) {
    if (player != m_seen) {
        choose();
        if (player != m_seen) {
            return;
        }
    }
    if (size() != player->picture().size()) {
        resize(player->picture().size());
    }
    update();
}

void DisplayView::choose() {
    MediaPlayer* best = nullptr;
    std::uint64_t bestStart = 0;
    for (const Entry& entry : m_entries) {
        if (entry.started > bestStart && !entry.player->picture().isNull()) {
            best = entry.player;
            bestStart = entry.started;
        }
    }
    m_seen = best;
    if (best == nullptr) {
        hide();
        return;
    }
    resize(best->picture().size());
    show();
    update();
}

void DisplayView::paintEvent(QPaintEvent*) {
    if (m_seen != nullptr) {
        QPainter painter(this);
        // On a scaled display the picture is enlarged smoothly, not in blocks.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(0, 0, m_seen->picture());
    }
}

} // namespace hc::media::detail
