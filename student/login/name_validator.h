#pragma once

#include <QValidator>

namespace hc::student {

// What the login's name box accepts: only names the user file can store and give back as
// typed. That is at most 255 bytes in Windows-1252 and no control characters (which would
// forge lines in lists). Anything else is not taken: the box stays as it was.
class UserNameValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;

    static bool acceptable(const QString& name);
};

} // namespace hc::student
