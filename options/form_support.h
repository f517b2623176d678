#pragma once

// What the options program's screens share: the application's title, their font, and placing a
// window in the middle of the screen.

#include <functional>

class QAbstractButton;
class QFont;
class QSize;
class QString;
class QToolBar;
class QToolButton;
class QWidget;

namespace hc {

class Application;

// The application's title, the caption of the standard error box.
inline constexpr const char* kOptionsTitle = "Honeycombsettings";

// The screens' font: a plain sans serif of 11 logical pixels, the size the layouts are drawn
// for. Sized in pixels, so the layouts hold whatever the display's dots per inch.
QFont formFont();

// Sets up a print form: a white page of `size` pixels, never shown on the screen, whose
// picture is printed.
void setUpPrintPage(QWidget& page, const char* objectName, const char* title, QSize size);

// Makes Enter (the main one or the keypad's) on `button`, when it has the focus, press that
// button as Space does, instead of travelling on to the window's default button (Exit, OK).
// For tool buttons and radio buttons; a dialog's push buttons do it by themselves when they
// are auto-default.
void pressOnEnter(QAbstractButton& button);

// A tool bar of a page: 28 pixels high, 16-pixel icons.
QToolBar* addPageToolBar(QWidget& page, const char* name);
// A tool button on `bar`: its tip (also its accessible name) and picture; Tab reaches it,
// Enter presses it, and a click runs `click` under the application's guard.
QToolButton* addToolButton(QToolBar& bar, Application& application, const char* name,
                           const QString& tip, const char* picture,
                           const std::function<void()>& click);

// Moves a top-level window to the middle of the screen it is on (the primary one before it is
// shown), inside the area that task bars and panels leave free.
void centreOnScreen(QWidget& window);

} // namespace hc
