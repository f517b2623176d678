#pragma once

#include "options/pages/options_page.h"

#include "datafiles/word_list.h"

#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;

namespace hc {

class Application;
class TWordPrintForm;

// The Word List page: the memo `WordEdit` with its tool bar and counter, and the file the
// memo's words belong to.
//
// The words belong to the file they were loaded from or last saved to, and go nowhere else but
// to a file that does not exist yet (a new list starts from them). They are written there only
// when the teacher changed them (saving on leaving the page counts as a change) or the file is
// new, so a list nobody edited is never rewritten. A file that changed on disk since the page
// read or wrote it is replaced only when the teacher says so.
class WordListPage : public OptionsPage {
public:
    // Asks for a file to import words from: its path, or an empty text for Cancel.
    using ImportChooser = std::function<QString()>;

    WordListPage(Application& application, TWordPrintForm& print, ImportChooser chooseImport);

    // Loads the memo from the list named by WordFile.
    void fill(const SettingsRecord& settings) override;
    // A line the file the words belong to cannot store in its encoding.
    std::optional<std::string> problem() const override;
    // A line the file at `storedPath` cannot store, in the encoding the words would be written
    // there in.
    std::optional<std::string> problem(const std::string& storedPath) const;
    // Asks whether to save the word list: Cancel stays; No loads the list named by WordFile
    // again, dropping the edits; Yes saves it there. Raises the file's error when it cannot be
    // written.
    bool mayLeave() override;

    // Loads the memo from the word list at `storedPath` (as the settings store it); the memo is
    // empty when the file cannot be read.
    void load(const std::string& storedPath);
    // Whether Exit, with WordFile naming `storedPath`, writes the memo's words there.
    bool writesTo(const std::string& storedPath) const;
    // Checks that the memo's words may replace the file at `storedPath`: raises the file's
    // message when the file is locked against writing; asks the teacher when it changed on
    // disk since this page read or wrote it (false for No).
    bool mayReplace(const std::string& storedPath);
    // Writes the memo's words to `storedPath`, which they then belong to: in the encoding their
    // file was read in (UTF-8 stays UTF-8), a new list in Windows-1252. Raises the file's error
    // when it cannot be written. Call after problem() and mayReplace().
    void save(const std::string& storedPath);

    // The memo's lines as they stand, every character kept (no-break spaces included).
    QStringList lines() const;

    void ClearBtnClick();
    void ImportBtnClick();
    void CutBtnClick();
    void CopyBtnClick();
    void PasteBtnClick();
    void WordPrintBtnClick();
    void WordEditChange();

private:
    // Shows lines (UTF-8) in the memo; they are then no edits of the teacher's.
    void showWords(const std::vector<std::string>& lines);
    // The encoding the words are written to `storedPath` in.
    WordListEncoding encodingFor(const std::string& storedPath) const;
    // The bytes a file holds now; nothing when it is not there or cannot be read.
    static std::optional<std::string> bytesOnDisk(const std::string& storedPath);

    TWordPrintForm& m_print;
    ImportChooser m_chooseImport;
    QLabel* m_numberOfWords = nullptr;
    QPlainTextEdit* m_wordEdit = nullptr;

    // The file the memo's words belong to (as the settings store its path); empty when they
    // belong to none (a list that exists but could not be read).
    std::string m_file;
    // What that file held when the page last read or wrote it; nothing when it was not there.
    std::optional<std::string> m_onDisk;
    // The encoding that file was read in.
    WordListEncoding m_encoding = WordListEncoding::Windows1252;
    // The teacher changed the words since they were loaded, or saved them on leaving the page.
    bool m_edited = false;
    bool m_showingWords = false;
};

} // namespace hc
