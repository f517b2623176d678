#pragma once

// The words of one narrator clip: what the bee says and what the memo beside it shows.

#include <stdexcept>
#include <string>
#include <string_view>

namespace hc::audio {

// Why a clip's words cannot be used; what() says it for a developer.
class ClipTextProblem : public std::runtime_error {
public:
    enum class Kind {
        NoWords,    // empty, or only spaces
        Unshowable, // a character Windows-1252 lacks, such as an emoji (codePoint says which)
        NotText,    // malformed UTF-8 or a control character
    };
    ClipTextProblem(Kind kind, const std::string& message, unsigned long codePoint = 0)
        : std::runtime_error(message), m_kind(kind), m_codePoint(codePoint) {}
    Kind kind() const { return m_kind; }
    unsigned long codePoint() const { return m_codePoint; }

private:
    Kind m_kind;
    unsigned long m_codePoint;
};

// The clip's words as a speech synthesiser gets them: one line, single spaces, paragraphs
// run together. Throws ClipTextProblem when the text holds no words.
std::string speechText(std::string_view source);

// The clip's words as the memo shows them: each paragraph (separated by an empty line in the
// source) on one line of single spaces, an empty line between paragraphs, every line ended by
// CR LF. The memo wraps the lines at its own width, so no line ends short inside a sentence.
// The result is 8-bit Windows-1252 text, like every text file of the program: the UTF-8
// source's accented letters, curly quotes and dashes become their Windows-1252 byte. A
// character Windows-1252 lacks, a control character or malformed UTF-8 throws
// ClipTextProblem naming it, because the memo could not show it.
std::string memoText(std::string_view source);

} // namespace hc::audio
