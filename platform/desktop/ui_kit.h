#pragma once

// What the screens of both programs share: setting a control's name and place in one call, the
// screens' font, centring a window, the switch of the measuring aids and the grey of panels.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace hc {

// The grey of the bee's panel, the puzzle and the report card.
inline const QColor kSilver(0xC0, 0xC0, 0xC0);

// Whether the measuring and driving aids are on: HC_TRACE=1 in the environment, read once.
bool traceRequested();

// The screens' font: a plain sans serif of `pixelHeight` logical pixels (11, the size the
// layouts are drawn for, unless a screen says otherwise). Sized in pixels, so the layouts hold
// whatever the display's dots per inch.
QFont systemFont(int pixelHeight = 11);

// Moves a top-level window to the middle of the whole screen it is on (the primary one before
// it is shown), task bars and panels included: the rectangle the student program's wallpaper
// covers. Its frame is centred; before the first showing the frame is not known yet and is its
// client area.
void centreOnScreen(QWidget& window);

// Sets a control's object name, accessible name and geometry in one step: a screen's layout
// is a block of these calls. An empty accessible name leaves the control's own (its caption).
template <class W>
W* place(W* control, const char* objectName, QRect geometry, const QString& accessibleName = {});
void placeControl(QWidget& control, const char* objectName, QRect geometry,
                  const QString& accessibleName);

template <class W>
W* place(W* control, const char* objectName, QRect geometry, const QString& accessibleName) {
    placeControl(*control, objectName, geometry, accessibleName);
    return control;
}

} // namespace hc
