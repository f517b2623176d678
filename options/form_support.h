#pragma once

// What the options program's screens share beyond the kit of both programs
// (platform/desktop/ui_kit.h: place(), systemFont(), centreOnScreen()): the application's title,
// the print page, Enter on tool and radio buttons and the pages' tool bars.

#include "platform/desktop/ui_kit.h"

#include <functional>

class QAbstractButton;
class QSize;
class QString;
class QToolBar;
class QToolButton;
class QWidget;

namespace hc {

class Application;

// The application's title, the caption of the standard error box.
inline constexpr const char* kOptionsTitle = "Honeycombsettings";
// The caption of the options form and of the message boxes of its pages and progress view.
inline constexpr const char* kOptionsFormCaption = "Honeycombwordsmiths Options";

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

} // namespace hc
