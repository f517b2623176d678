#pragma once

#include <QLocale>
#include <QString>

namespace hc {

// True when `a` and `b` are the same text under the collation of `locale`, letter case
// ignored: "apple" equals "APPLE", while accents and every space count ("café" differs from
// "cafe", "apple " from "apple"). Nothing is trimmed or normalised beforehand. The default is
// the user's locale. This is the spelling test's answer check.
bool sameTextIgnoringCase(const QString& a, const QString& b, const QLocale& locale = QLocale());

} // namespace hc
