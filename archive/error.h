#pragma once

#include <stdexcept>
#include <string>

namespace hc {

// The program's one exception type: an error carrying the message the user is shown.
// Library code returns result codes; screens and the temporary-file manager raise this.
// The application's top-level handler shows what() followed by "." in the standard error box.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace hc
