#include "options/pages/options_page.h"

#include "datafiles/text_codec.h"
#include "platform/desktop/application.h"
#include "platform/desktop/ui_kit.h"

#include <QLabel>
#include <QRect>
#include <QToolBar>
#include <QVBoxLayout>

namespace hc {

void OptionsPage::tell(const QString& text, MessageIcon icon) const {
    showMessage(m_application.messageBoxes(), text, kOptionsFormCaption, icon);
}

QString shownText(std::string_view stored) {
    return QString::fromStdString(cp1252ToUtf8(stored));
}

QString twoDecimals(float value) {
    return QString::asprintf("%.2f", static_cast<double>(value));
}

void fillUnderToolBar(QWidget& page, QToolBar& bar, QWidget& view) {
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(&bar);
    layout->addWidget(&view);
}

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                 QWidget* buddy) {
    QLabel* label = place(new QLabel(text, parent), name, geometry);
    label->setBuddy(buddy);
    return label;
}

} // namespace hc
