#pragma once

#include <QObject>

#include <map>

class QKeyEvent;

namespace hc::student {

// How every window of the student program answers the keys that act, whatever the screen:
//
// - Enter (Return or the keypad's Enter) on a focused push or tool button presses that button,
//   not the window's default button: Tab to Exit and Enter is Exit.
// - A key held down acts once. Its repeated presses (key repeat) of Enter or Space are
//   ignored, except a Space typed into a text box: a held Enter never answers a second card
//   nor starts another test once the focus has moved on to Start, and a child leaning on the
//   key changes nothing. A fresh press after the key came up acts as usual.
//
// Repeats are known by the event's own flag and, where the windowing system reports a repeat
// as a plain release and press, by that press coming at the very moment of the release.
class KeyRules final : public QObject {
public:
    using QObject::QObject;

    // Installs the rules for the whole application, once (a second call changes nothing).
    static void install();

    // True when `event`, a key press, is a held key's repeat.
    bool isRepeat(const QKeyEvent& event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The time of each key's last release, as the windowing system stamped it.
    std::map<int, unsigned long long> m_released;
};

} // namespace hc::student
