#pragma once

#include "options/form_support.h"
#include "platform/desktop/message_box.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QLabel;
class QRect;
class QToolBar;

struct SettingsRecord;

namespace hc {

class Application;

// What a file-open dialog of the form asks for. The dialog hides the read-only box and only
// returns a file that exists.
struct FileDialogRequest {
    QString title;
    QString filter;        // "ERF files (*.ERF *.erf)"
    QString defaultSuffix; // "ERF"
    QString startFolder;   // absolute
};

// Asks for a file as the form's open dialog does: its absolute path, or an empty text for
// Cancel.
using ChooseFile = std::function<QString(const FileDialogRequest& request)>;

// One page of the options form. The page owns its controls and what they hold; the form is the
// tab control around the pages, asks a page before it is left and, on Exit, checks every page
// before anything is written, and only then has each write into the settings.
class OptionsPage : public QWidget {
public:
    explicit OptionsPage(Application& application) : m_application(application) {}

    // Shows what `settings` hold: when the form is created and, for the pages that show a file
    // (Users, Word List), each time the page is entered.
    virtual void fill(const SettingsRecord& settings) = 0;
    // What keeps Exit from taking the page as it stands, as a message for the teacher; nothing
    // when all is well.
    virtual std::optional<std::string> problem() const { return std::nullopt; }
    // Takes what the page shows over into `settings`; called on Exit after problem() said
    // nothing.
    virtual void write(SettingsRecord& /*settings*/) const {}
    // Before the page is left: false keeps it open.
    virtual bool mayLeave() { return true; }

protected:
    Application& application() const { return m_application; }
    // A message box of the form: OK and the given icon.
    void tell(const QString& text, MessageIcon icon) const;

private:
    Application& m_application;
};

// A stored text (Windows-1252) as the fields show it.
QString shownText(std::string_view stored);
// A value as the form shows decimals: "2.00".
QString twoDecimals(float value);

// Lays out a page of a tool bar over a view (a list, a memo) that fills the rest.
void fillUnderToolBar(QWidget& page, QToolBar& bar, QWidget& view);

// A label placed as place() does, naming `buddy` (for screen readers too; none for a sign).
QLabel* addLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                 QWidget* buddy);

} // namespace hc
