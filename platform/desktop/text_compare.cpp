#include "platform/desktop/text_compare.h"

#include <QCollator>

namespace hc {

bool sameTextIgnoringCase(const QString& a, const QString& b, const QLocale& locale) {
    QCollator collator(locale);
    // Case-insensitive strength still tells accented letters apart; punctuation and spaces
    // are compared, not skipped.
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setIgnorePunctuation(false);
    collator.setNumericMode(false);
    return collator.compare(a, b) == 0;
}

} // namespace hc
