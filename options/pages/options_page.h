#pragma once

#include <QWidget>

#include <optional>
#include <string>

struct SettingsRecord;

namespace hc {

// One page of the options form. The page owns its controls and what they hold; the form is the
// tab control around the pages, asks a page before it is left and, on Exit, asks every page what
// is wrong before anything is written.
class OptionsPage : public QWidget {
public:
    using QWidget::QWidget;

    // Shows what `settings` hold: when the form is created, and when the page is entered.
    virtual void fill(const SettingsRecord& settings) = 0;
    // What keeps Exit from taking the page as it stands, as a message for the teacher; nothing
    // when all is well.
    virtual std::optional<std::string> problem() const { return std::nullopt; }
    // Before the page is left: false keeps it open.
    virtual bool mayLeave() { return true; }
};

} // namespace hc
