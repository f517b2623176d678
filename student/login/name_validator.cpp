#include "student/login/name_validator.h"

#include "datafiles/text_codec.h"
#include "datafiles/user_file.h"

namespace hc::student {

bool UserNameValidator::acceptable(const QString& name) {
    const hc::Cp1252Encoding encoded = hc::utf8ToCp1252(name.toStdString());
    return encoded.ok() && encoded.bytes.size() <= hc::kNameMaxLength &&
           hc::isAcceptableUserName(encoded.bytes);
}

QValidator::State UserNameValidator::validate(QString& input, int& /*pos*/) const {
    return acceptable(input) ? Acceptable : Invalid;
}

} // namespace hc::student
