#include "options/pages/word_list_page.h"

#include "options/form_rules.h"
#include "options/form_support.h"
#include "options/word_print_form.h"

#include "archive/error.h"
#include "content/pictures.h"
#include "datafiles/file_ops.h"
#include "datafiles/settings.h"
#include "datafiles/text_codec.h"
#include "datafiles/word_list.h"
#include "platform/desktop/application.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolBar>

#include <filesystem>
#include <utility>

namespace hc {

namespace {

std::vector<std::string> utf8Lines(const QStringList& lines) {
    std::vector<std::string> result;
    result.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines) {
        result.push_back(line.toStdString());
    }
    return result;
}

} // namespace

WordListPage::WordListPage(Application& application, TWordPrintForm& print,
                           ImportChooser chooseImport)
    : OptionsPage(application), m_print(print), m_chooseImport(std::move(chooseImport)) {
    setObjectName("WordList");
    QToolBar* bar = addPageToolBar(*this, "WordToolBar");
    addToolButton(*bar, application, "ClearBtn", "Clear word list", pictures::kToolClear,
                  [this] { ClearBtnClick(); });
    addToolButton(*bar, application, "ImportBtn", "Import words from another file",
                  pictures::kToolImport, [this] { ImportBtnClick(); });
    bar->addSeparator();
    addToolButton(*bar, application, "CutBtn", "Cut", pictures::kToolCut,
                  [this] { CutBtnClick(); });
    addToolButton(*bar, application, "CopyBtn", "Copy", pictures::kToolCopy,
                  [this] { CopyBtnClick(); });
    addToolButton(*bar, application, "PasteBtn", "Paste", pictures::kToolPaste,
                  [this] { PasteBtnClick(); });
    bar->addSeparator();
    addToolButton(*bar, application, "WordPrintBtn", "Print", pictures::kPrint,
                  [this] { WordPrintBtnClick(); });
    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    m_numberOfWords = new QLabel("No Words", bar);
    m_numberOfWords->setObjectName("NumberOfWords");
    m_numberOfWords->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_numberOfWords->setContentsMargins(0, 0, 6, 0);
    bar->addWidget(m_numberOfWords);

    m_wordEdit = new QPlainTextEdit(this);
    m_wordEdit->setObjectName("WordEdit");
    m_wordEdit->setAccessibleName("Word list");
    m_wordEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_wordEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_wordEdit->setTabChangesFocus(true);
    // A refused page change gives the focus back to the memo.
    setFocusProxy(m_wordEdit);
    connect(m_wordEdit, &QPlainTextEdit::textChanged, this, [this] {
        m_edited = m_edited || !m_showingWords;
        WordEditChange();
    });

    fillUnderToolBar(*this, *bar, *m_wordEdit);
}

// --- The words and their file -----------------------------------------------------------------

void WordListPage::fill(const SettingsRecord& settings) {
    load(textOf(settings.WordFile));
}

void WordListPage::load(const std::string& storedPath) {
    const WordListLoad words = loadWordList(storedPath);
    showWords(words.text);
    m_onDisk = bytesOnDisk(storedPath);
    m_encoding = words.opened ? words.encoding : WordListEncoding::Windows1252;
    // A list that exists but could not be read is not what the empty memo shows: its words
    // belong to no file, so that Exit never replaces it unless the teacher writes words.
    std::error_code error;
    const bool unread = !words.opened && std::filesystem::exists(nativePath(storedPath), error);
    m_file = unread ? std::string() : storedPath;
}

void WordListPage::showWords(const std::vector<std::string>& lines) {
    QStringList shownLines;
    shownLines.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        shownLines << QString::fromStdString(line);
    }
    m_showingWords = true;
    m_wordEdit->setPlainText(shownLines.join(QLatin1Char('\n')));
    m_showingWords = false;
    m_edited = false;
}

QStringList WordListPage::lines() const {
    // Block by block: the document's plain text would turn every no-break space into a space.
    QStringList result;
    const QTextDocument* document = m_wordEdit->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        result << block.text();
    }
    // The empty line after a final line end is not one.
    if (!result.isEmpty() && result.constLast().isEmpty()) {
        result.removeLast();
    }
    return result;
}

WordListEncoding WordListPage::encodingFor(const std::string& storedPath) const {
    return storedPath == m_file ? m_encoding : WordListEncoding::Windows1252;
}

std::optional<std::string> WordListPage::problem() const {
    return problem(m_file);
}

std::optional<std::string> WordListPage::problem(const std::string& storedPath) const {
    const EncodedWordList encoded = encodeWordList(utf8Lines(lines()), encodingFor(storedPath));
    if (!encoded.ok()) {
        return unstorableLineMessage(encoded);
    }
    return std::nullopt;
}

bool WordListPage::writesTo(const std::string& storedPath) const {
    // A file that cannot even be looked at counts as there.
    std::error_code error;
    const bool exists = std::filesystem::exists(nativePath(storedPath), error) || error;
    return exitWritesWordList(storedPath, exists, m_file, m_edited);
}

std::optional<std::string> WordListPage::bytesOnDisk(const std::string& storedPath) {
    std::string bytes;
    if (readWholeFile(FileOps::system(), nativePath(storedPath), "rb", bytes) != ReadStatus::Ok) {
        return std::nullopt;
    }
    return bytes;
}

bool WordListPage::mayReplace(const std::string& storedPath) {
    const std::string path = nativePath(storedPath);
    if (isWriteLocked(path)) {
        throw Error(wordListSaveMessage(WordListSaveResult::CantCreate, cp1252ToUtf8(storedPath)));
    }
    if (storedPath != m_file || bytesOnDisk(storedPath) == m_onDisk) {
        return true;
    }
    return askYesNo(application().messageBoxes(),
                    QString("The word list file %1 was changed by another program since it was "
                            "read here. Replace it with the words of the Word List page?")
                        .arg(shownText(storedPath)),
                    kOptionsFormCaption, MessageIcon::Warning);
}

void WordListPage::save(const std::string& storedPath) {
    const WordListEncoding encoding = encodingFor(storedPath);
    const EncodedWordList encoded = encodeWordList(utf8Lines(lines()), encoding);
    const WordListSaveResult result = saveWordList(storedPath, encoded.lines, encoding);
    if (result != WordListSaveResult::Ok) {
        throw Error(wordListSaveMessage(result, cp1252ToUtf8(storedPath)));
    }
    m_file = storedPath;
    m_encoding = encoding;
    m_onDisk = bytesOnDisk(storedPath);
}

bool WordListPage::mayLeave() {
    switch (askYesNoCancel(application().messageBoxes(), "Do you want to save this word list?",
                           kOptionsFormCaption)) {
    case MessageAnswer::Cancel:
        return false;
    case MessageAnswer::Yes: {
        const std::string file = textOf(Settings.WordFile);
        if (const std::optional<std::string> wrong = problem(file)) {
            tell(QString::fromStdString(*wrong), MessageIcon::Error);
            return false;
        }
        if (!mayReplace(file)) {
            return false;
        }
        save(file);
        // Saved words count as the teacher's: Exit writes them again.
        m_edited = true;
        return true;
    }
    case MessageAnswer::No:
    case MessageAnswer::Ok:
        break;
    }
    // The edits are dropped: the memo shows the list named by WordFile again.
    load(textOf(Settings.WordFile));
    return true;
}

// --- The tool bar and the counter -------------------------------------------------------------

void WordListPage::WordEditChange() {
    // The memo's line count: the empty line after a final line end is not one.
    const QTextDocument* document = m_wordEdit->document();
    int count = document->blockCount();
    if (document->lastBlock().text().isEmpty()) {
        --count;
    }
    m_numberOfWords->setText(QString::fromStdString(wordCountText(count)));
}

void WordListPage::ClearBtnClick() {
    if (askYesNo(application().messageBoxes(), "Are you sure you want to clear the word list?",
                 kOptionsFormCaption)) {
        m_wordEdit->clear();
    }
    WordEditChange();
}

void WordListPage::ImportBtnClick() {
    if (!askYesNo(application().messageBoxes(), "Are you sure you want to replace this word list?",
                  kOptionsFormCaption)) {
        return;
    }
    const QString chosen = m_chooseImport();
    if (!chosen.isEmpty()) {
        const ImportedWords words = importWordList(FileOps::system(), chosen.toStdString());
        if (!words.ok()) {
            throw Error(words.problem);
        }
        m_wordEdit->setPlainText(QString::fromStdString(words.memoText));
    }
    WordEditChange();
}

void WordListPage::CutBtnClick() {
    m_wordEdit->cut();
    WordEditChange();
}

void WordListPage::CopyBtnClick() {
    m_wordEdit->copy();
}

void WordListPage::PasteBtnClick() {
    m_wordEdit->paste();
    WordEditChange();
}

void WordListPage::WordPrintBtnClick() {
    m_print.print(lines(), this);
}

} // namespace hc
