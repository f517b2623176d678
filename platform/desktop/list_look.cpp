#include "platform/desktop/list_look.h"

#include <QAbstractItemView>
#include <QPalette>

namespace hc {

void keepSelectionVisible(QAbstractItemView& view) {
    QPalette palette = view.palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    view.setPalette(palette);
}

} // namespace hc
