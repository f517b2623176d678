// The options program in process: the password gate, the pages of the options form, Exit and
// Cancel, with real OPTIONS.DAT, user files and word lists in the test's folder.

#include "options_fixture.h"

#include "options/opt_form.h"
#include "options/pages/directories_page.h"
#include "options/password_form.h"

#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "datafiles/word_list.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <functional>

namespace {

using hc::MessageAnswer;
using hc::MessageButtons;
using hc::MessageIcon;
using hc::test::readFile;
using hc::test::writeFile;

constexpr const char* kFormCaption = "Honeycombwordsmiths Options";

enum Page { Security, Directories, Users, WordList, SpellingTest, PhonogramPuzzle };

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

// Adds users with the given overall scores, in this order.
void addUsers(const std::string& file, const std::vector<std::pair<std::string, float>>& users) {
    for (const auto& [name, score] : users) {
        ASSERT_EQ(UserFileAdd(file, name), UserFileOk);
        ASSERT_EQ(UserFileFind(file, name), UserFileOk);
        CurrentUser.Score = score;
        CurrentUser.ProgramRuns = 3;
        CurrentUser.SpellAverage = score;
        CurrentUser.PhonoAverage = 12.5f;
        ASSERT_EQ(UserFileUpdate(file, name), UserFileOk);
    }
}

std::vector<std::string> userNames(const std::string& file) {
    std::vector<std::string> names;
    UserFileList(file,
                 [&names](const UserRecord& record) { names.push_back(hc::recordName(record)); });
    return names;
}

class OptionsProgramTest : public hc::test::OptionsTest {
protected:
    hc::TPasswordForm& box() { return program().passwordForm(); }
    QLineEdit* pwdEdit() { return widget<QLineEdit>(box(), "PwdEdit"); }

    // Types into the password box and presses OK.
    void tryPassword(const QString& text) {
        pwdEdit()->setText(text);
        click(*widget<QPushButton>(box(), "OkBtn"));
    }

    QTabWidget* pages() { return control<QTabWidget>("PageControl"); }
    QPlainTextEdit* memo() { return control<QPlainTextEdit>("WordEdit"); }
    QTreeWidget* userList() { return control<QTreeWidget>("UserList"); }
    void exit() { click(*control<QPushButton>("OkBtn")); }

    std::vector<QStringList> rows() {
        std::vector<QStringList> result;
        for (int r = 0; r < userList()->topLevelItemCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < userList()->columnCount(); ++c) {
                cells << userList()->topLevelItem(r)->text(c);
            }
            result.push_back(cells);
        }
        return result;
    }

    void selectUser(const QString& name) {
        const auto found = userList()->findItems(name, Qt::MatchExactly, 0);
        ASSERT_EQ(found.size(), 1);
        userList()->setCurrentItem(found.first());
    }

    void expectOnlyBox(const QString& text, const QString& caption, MessageIcon icon) {
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(boxes()[0].text, text);
        EXPECT_EQ(boxes()[0].caption, caption);
        EXPECT_EQ(boxes()[0].icon, icon);
        EXPECT_EQ(boxes()[0].buttons, MessageButtons::Ok);
    }
};

// --- The gate -------------------------------------------------------------------------------

TEST_F(OptionsProgramTest, WithoutPasswordTheFormOpensAtOnceAndNoFileIsMade) {
    startProgram();
    EXPECT_FALSE(box().isVisible());
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(form().windowTitle(), kFormCaption);
    EXPECT_EQ(pages()->currentIndex(), Security);
    EXPECT_TRUE(boxes().empty());
    EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
}

TEST_F(OptionsProgramTest, ThreeWrongPasswordsAreMarkedAndTheFourthEnds) {
    writeOptions("Honey");
    startProgram();
    ASSERT_TRUE(box().isVisible());
    EXPECT_EQ(box().windowTitle(), "Password Box");
    EXPECT_FALSE(form().isVisible());
    QWidget* marks = widget<QWidget>(box(), "MarksPanel");
    EXPECT_EQ(accessibleName(marks), "Wrong passwords: 0");

    // Letter case counts; an empty entry is wrong too.
    const QString wrong[] = {"honey", "", "Honey "};
    for (int i = 0; i < 3; ++i) {
        tryPassword(wrong[i]);
        SCOPED_TRACE(i);
        EXPECT_TRUE(pwdEdit()->text().isEmpty());
        EXPECT_EQ(box().wrongPasswords(), i + 1);
        for (int b = 0; b < 3; ++b) {
            const auto* mark =
                widget<QCheckBox>(box(), ("CheckBox" + std::to_string(b + 1)).c_str());
            EXPECT_EQ(mark->isChecked(), b <= i);
        }
        EXPECT_TRUE(box().isVisible());
        EXPECT_FALSE(program().hasEnded());
    }
    EXPECT_EQ(accessibleName(marks), "Wrong passwords: 3");
    tryPassword("HONEY");
    EXPECT_TRUE(program().hasEnded());
    EXPECT_FALSE(box().isVisible());
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(OptionsProgramTest, RightPasswordAfterWrongOnesOpensTheForm) {
    writeOptions("Honey");
    startProgram();
    tryPassword("bee");
    tryPassword("bees");
    pwdEdit()->setText("Honey");
    pressKey(*pwdEdit(), Qt::Key_Return); // Enter is OK
    EXPECT_FALSE(box().isVisible());
    EXPECT_TRUE(form().isVisible());
    EXPECT_FALSE(program().hasEnded());
}

TEST_F(OptionsProgramTest, CancelAndEscapeInTheBoxEndWithoutSaving) {
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        writeOptions("Honey");
        const std::string before = readFile(path("OPTIONS.DAT"));
        startProgram();
        pwdEdit()->setText("Hon");
        if (escape) {
            pressKey(*pwdEdit(), Qt::Key_Escape);
        } else {
            click(*widget<QPushButton>(box(), "CancelBtn"));
        }
        EXPECT_TRUE(program().hasEnded());
        EXPECT_FALSE(box().isVisible());
        EXPECT_EQ(readFile(path("OPTIONS.DAT")), before);
        EXPECT_FALSE(std::filesystem::exists(path("WORDLIST.TXT")));
    }
}

// Fault guarded against: an OPTIONS.DAT that was there but could not be read left the settings
// all zero, so the gate opened the form with no password typed.
TEST_F(OptionsProgramTest, AnOptionsFileWithoutAReadablePasswordEndsTheProgram) {
    const struct {
        const char* what;
        std::function<void()> make;
    } rows[] = {
        // A folder cannot be read by anyone, root included, as a file with no permissions
        // cannot be read by a normal account.
        {"a folder in its place",
         [this] { std::filesystem::create_directory(path("OPTIONS.DAT")); }},
        {"empty", [this] { writeFile(path("OPTIONS.DAT"), ""); }},
        {"cut inside the password",
         [this] {
             writeFile(path("OPTIONS.DAT"),
                       hc::settingsFileBytes(defaultsWith("Honey")).substr(0, 309));
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all(path("OPTIONS.DAT"));
        forgetBoxes();
        row.make();
        startProgram();
        expectOnlyBox("OptionsFile Error: Can't read file.", "Honeycombsettings",
                      MessageIcon::Error);
        EXPECT_TRUE(program().hasEnded());
        EXPECT_FALSE(box().isVisible());
        EXPECT_FALSE(form().isVisible());
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir()),
                                std::filesystem::directory_iterator()),
                  1)
            << "something was written";
    }
}

// Fault guarded against: after the password of a damaged OPTIONS.DAT the form opened empty, and
// what the teacher then saved kept the damaged signature, so neither program read it again.
TEST_F(OptionsProgramTest, ADamagedOptionsFileIsShownAsReadAndExitWritesItSound) {
    SettingsRecord settings = defaultsWith("Honey");
    hc::setText(settings.HDfile, "class.erf");
    settings.WordDelay = 3.5f;
    settings.GetPercent = 500; // out of range: shown as its default
    const std::string sound = hc::settingsFileBytes(settings);
    const struct {
        const char* what;
        std::string bytes;
        const char* message;
        const char* hdFile;
        const char* wordDelay;
    } rows[] = {
        {"checksum wrong", sound.substr(0, 256) + "\1\2\3\4" + sound.substr(260),
         "OptionsFile Error: Corrupted file.", "class.erf", "3.50"},
        {"signature wrong", "q" + sound.substr(1), "OptionsFile Error: Corrupted file.",
         "class.erf", "3.50"},
        // The password and the first path are there; the rest takes the defaults.
        {"cut after the first path", sound.substr(0, 600), "OptionsFile Error: Can't read file.",
         "class.erf", "2.00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        forgetBoxes();
        writeFile(path("OPTIONS.DAT"), row.bytes);
        startProgram();
        // Once from the box, once from the form, in the standard error box.
        ASSERT_EQ(boxes().size(), 2u);
        for (const auto& request : boxes()) {
            EXPECT_EQ(request.text, row.message);
            EXPECT_EQ(request.caption, "Honeycombsettings");
            EXPECT_EQ(request.icon, MessageIcon::Error);
        }
        EXPECT_TRUE(box().isVisible());
        EXPECT_FALSE(form().isVisible());
        tryPassword("honey");
        EXPECT_FALSE(form().isVisible());
        tryPassword("Honey");
        ASSERT_TRUE(form().isVisible());
        EXPECT_EQ(control<QLineEdit>("HDfile")->text(), row.hdFile);
        EXPECT_EQ(control<QLineEdit>("WordFile")->text(), "WORDLIST.TXT");
        EXPECT_EQ(control<QLineEdit>("WordDelay")->text(), row.wordDelay);
        EXPECT_EQ(control<QLineEdit>("GetPercentBox")->text(), "90");
        exit();
        EXPECT_EQ(boxes().size(), 2u);
        EXPECT_TRUE(program().hasEnded());
        SettingsRecord saved{};
        ASSERT_EQ(hc::parseSettings(readFile(path("OPTIONS.DAT")), saved), OptionsFileOk);
        EXPECT_EQ(hc::password(saved), "Honey");
        EXPECT_EQ(hc::textOf(saved.HDfile), row.hdFile);
        EXPECT_EQ(saved.GetPercent, 90);
    }
}

// --- Exit and Cancel ------------------------------------------------------------------------

TEST_F(OptionsProgramTest, ExitWritesEveryFieldAndTheTrimmedWordList) {
    writeOptions();
    startProgram();
    control<QLineEdit>("HDfile")->setText("class\\USERS.ERF");
    control<QLineEdit>("FloppyFile")->setText("/media/teacher/STICK/USERS.ERF");
    control<QLineEdit>("WordFile")->setText("caf\xC3\xA9 words.txt");
    control<QLineEdit>("WordDelay")->setText("3,5");
    control<QLineEdit>("GetPercentBox")->setText("80");
    control<QRadioButton>("ImprovePercentBtn")->setChecked(true);
    control<QLineEdit>("ImprovePercentBox")->setText(" 30");
    control<QLineEdit>("SpellWeight")->setText("2");
    control<QLineEdit>("PhonoWeight")->setText("0.5");
    memo()->setPlainText("  apple  \n\n\tbanana pie \ncr\xC3\xA8me\n\n");
    exit();

    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(program().hasEnded());
    const SettingsRecord saved = savedOptions();
    EXPECT_EQ(hc::textOf(saved.HDfile), "class\\USERS.ERF");
    EXPECT_EQ(hc::textOf(saved.FloppyFile), "/media/teacher/STICK/USERS.ERF");
    EXPECT_EQ(hc::textOf(saved.WordFile), "caf\xE9 words.txt");
    EXPECT_EQ(saved.WordDelay, 3.5f);
    EXPECT_EQ(saved.GetPercent, 80);
    EXPECT_EQ(saved.ImproveMode, 1);
    EXPECT_EQ(saved.ImprovePercent, 30);
    EXPECT_EQ(saved.SpellWeight, 2.0f);
    EXPECT_EQ(saved.PhonoWeight, 0.5f);
    EXPECT_EQ(readFile(path("caf\xC3\xA9 words.txt")), "apple\r\nbanana pie\r\ncr\xE8me\r\n");
}

// Faults guarded against: pointing the word list field at another list and pressing Exit
// overwrote that list with the words of the previous one, which the memo still held (also
// after those words were saved on leaving their page); and a list named in the field that did
// not exist yet was never created.
TEST_F(OptionsProgramTest, TheMemosWordsGoOnlyToTheirOwnFileOrToANewOne) {
    const struct {
        const char* what;
        bool addDogAndSave; // add "dog" on the Word List page and answer Yes on leaving it
        const char* field;
        const char* wordList; // WORDLIST.TXT afterwards
        const char* named;    // the file named in the field afterwards
    } rows[] = {
        {"another list", false, "week2.txt", "cat\r\n", "zebra\r\nyak\r\n"},
        {"another list after saving", true, "week2.txt", "cat\r\ndog\r\n", "zebra\r\nyak\r\n"},
        {"a new list", false, "week3.txt", "cat\r\n", "cat\r\n"},
        {"a new list after saving", true, "week3.txt", "cat\r\ndog\r\n", "cat\r\ndog\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        forgetBoxes();
        writeFile(path("WORDLIST.TXT"), "cat\r\n");
        writeFile(path("week2.txt"), "zebra\r\nyak\r\n");
        std::filesystem::remove(path("week3.txt"));
        std::filesystem::remove(path("OPTIONS.DAT"));
        startProgram();
        if (row.addDogAndSave) {
            pages()->setCurrentIndex(WordList);
            memo()->appendPlainText("dog");
            answer({MessageAnswer::Yes});
            pages()->setCurrentIndex(Directories);
        }
        control<QLineEdit>("WordFile")->setText(row.field);
        exit();
        EXPECT_TRUE(program().hasEnded());
        EXPECT_EQ(hc::textOf(savedOptions().WordFile), row.field);
        EXPECT_EQ(readFile(path("WORDLIST.TXT")), row.wordList);
        EXPECT_EQ(readFile(path(row.field)), row.named);
    }
}

// Faults guarded against: Exit rewrote a list nobody had edited, and changed it on the way: the
// memo's text turned every no-break space into a space (and so cut the "à" of a UTF-8 "voilà"
// read as Windows-1252), a binary file lost everything after its first zero byte, a list
// replaced from outside was put back to what the form had loaded.
TEST_F(OptionsProgramTest, ExitLeavesAListNobodyEditedAsItIs) {
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"no-break spaces", "no\xA0"
                            "break\r\nvoil\xE0\r\n"},
        {"UTF-8", "voil\xC3\xA0\r\n"},
        {"binary", std::string("ab\0cd\r\n", 7)},
        {"lone line feeds, no blank trimmed", " cat\n\ndog"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        writeFile(path("WORDLIST.TXT"), row.bytes);
        startProgram();
        exit();
        EXPECT_TRUE(program().hasEnded());
        EXPECT_EQ(readFile(path("WORDLIST.TXT")), row.bytes);
    }
    // Replaced from outside while the form was open.
    writeFile(path("WORDLIST.TXT"), "cat\r\n");
    startProgram();
    writeFile(path("WORDLIST.TXT"), "owl\r\n");
    exit();
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "owl\r\n");
}

TEST_F(OptionsProgramTest, AnEditedListIsWrittenAsTheTeacherLeftItInItsOwnEncoding) {
    const struct {
        const char* what;
        std::string before;
        std::string after; // with "owl" added at the end
    } rows[] = {
        {"Windows-1252 with no-break spaces",
         "no\xA0"
         "break\r\nvoil\xE0\r\n",
         "no\xA0"
         "break\r\nvoil\xE0\r\nowl\r\n"},
        {"UTF-8", "caf\xC3\xA9\n\xE2\x98\x83\n", "caf\xC3\xA9\r\n\xE2\x98\x83\r\nowl\r\n"},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF"
         "caf\xC3\xA9\r\n",
         "\xEF\xBB\xBF"
         "caf\xC3\xA9\r\nowl\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        forgetBoxes();
        writeFile(path("WORDLIST.TXT"), row.before);
        startProgram();
        memo()->appendPlainText("owl");
        exit();
        EXPECT_TRUE(boxes().empty());
        EXPECT_TRUE(program().hasEnded());
        EXPECT_EQ(readFile(path("WORDLIST.TXT")), row.after);
    }
}

// A list changed on disk since the form read it is replaced only when the teacher says so.
TEST_F(OptionsProgramTest, AListChangedOnDiskIsReplacedOnlyAfterAsking) {
    writeFile(path("WORDLIST.TXT"), "cat\r\n");
    startProgram();
    memo()->appendPlainText("dog");
    writeFile(path("WORDLIST.TXT"), "owl\r\n");
    answer({MessageAnswer::No});
    exit();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "The word list file WORDLIST.TXT was changed by another program "
                               "since it was read here. Replace it with the words of the Word "
                               "List page?");
    EXPECT_EQ(boxes()[0].buttons, MessageButtons::YesNo);
    EXPECT_FALSE(program().hasEnded());
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "owl\r\n");
    EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
    answer({MessageAnswer::Yes});
    exit();
    EXPECT_TRUE(program().hasEnded());
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "cat\r\ndog\r\n");
}

// Fault guarded against: a school that made OPTIONS.DAT or the word list read-only saw Exit
// replace them all the same (keeping their mode).
TEST_F(OptionsProgramTest, ReadOnlyFilesAreNotReplaced) {
    const struct {
        const char* file;
        const char* message;
    } rows[] = {
        {"OPTIONS.DAT", "OptionsFile Error: Can't open file."},
        {"WORDLIST.TXT", "Can't create file WORDLIST.TXT."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        forgetBoxes();
        writeOptions();
        writeFile(path("WORDLIST.TXT"), "cat\r\n");
        std::filesystem::permissions(path(row.file), std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::group_read |
                                                         std::filesystem::perms::others_read);
        const std::string options = readFile(path("OPTIONS.DAT"));
        startProgram();
        memo()->appendPlainText("dog");
        control<QLineEdit>("WordDelay")->setText("5");
        exit();
        expectOnlyBox(row.message, "Honeycombsettings", MessageIcon::Error);
        EXPECT_FALSE(program().hasEnded());
        // Nothing saved.
        EXPECT_EQ(readFile(path("OPTIONS.DAT")), options);
        EXPECT_EQ(readFile(path("WORDLIST.TXT")), "cat\r\n");
        std::filesystem::permissions(path(row.file), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
}

// Fault guarded against: a word list that exists but cannot be read showed as an empty memo,
// and Exit then tried to replace it with an empty list. (A folder in the list's place cannot
// be read by anyone, root included, which runs these tests here.)
TEST_F(OptionsProgramTest, ExitLeavesAWordListItCouldNotReadAlone) {
    std::filesystem::create_directory(path("WORDLIST.TXT"));
    writeFile(path("WORDLIST.TXT/kept"), "x");
    startProgram();
    exit();
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(program().hasEnded());
    EXPECT_TRUE(std::filesystem::is_directory(path("WORDLIST.TXT")));
    EXPECT_EQ(readFile(path("WORDLIST.TXT/kept")), "x");
}

TEST_F(OptionsProgramTest, CancelEscapeAndTheCloseBoxWriteNothing) {
    enum Way { CancelButton, EscapeKey, CloseBox };
    for (const Way way : {CancelButton, EscapeKey, CloseBox}) {
        SCOPED_TRACE(way);
        startProgram();
        control<QLineEdit>("WordDelay")->setText("5");
        memo()->setPlainText("owl");
        switch (way) {
        case CancelButton:
            click(*control<QPushButton>("CancelBtn"));
            break;
        case EscapeKey:
            pressKey(*control<QLineEdit>("WordDelay"), Qt::Key_Escape);
            break;
        case CloseBox:
            form().close();
            break;
        }
        // The program ends: no window is left behind.
        EXPECT_TRUE(program().hasEnded());
        EXPECT_FALSE(form().isVisible());
        EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
        EXPECT_FALSE(std::filesystem::exists(path("WORDLIST.TXT")));
    }
}

TEST_F(OptionsProgramTest, EnterInAOneLineFieldIsExit) {
    startProgram();
    QLineEdit* newPwd = control<QLineEdit>("NewPwd");
    newPwd->setText("typed but never set");
    pressKey(*newPwd, Qt::Key_Return);
    EXPECT_TRUE(program().hasEnded());
    EXPECT_TRUE(std::filesystem::exists(path("OPTIONS.DAT")));
    EXPECT_TRUE(std::filesystem::exists(path("WORDLIST.TXT")));
    EXPECT_EQ(hc::password(savedOptions()), "");
}

// Fault guarded against: Enter on a focused button ran Exit (the default button) instead: the
// program saved and ended with the new password not set, or a user not deleted.
TEST_F(OptionsProgramTest, EnterOnAFocusedButtonPressesThatButton) {
    int fileDialogs = 0;
    const struct {
        const char* button;
        std::function<bool()> pressed; // what that button does, seen from outside
    } rows[] = {
        {"PwdBtn",
         [this] { return !boxes().empty() && boxes().back().text == "New Password set."; }},
        {"DiskBtn", [this] { return control<QToolButton>("DiskBtn")->isChecked(); }},
        {"PrintBtn", [this] { return m_pdfDialogs == 1; }},
        {"DeleteBtn", [this] { return boxes().empty(); }}, // nothing selected: nothing happens
        {"HDfileBrowse", [&fileDialogs] { return fileDialogs == 1; }},
        {"WordFileBrowse", [&fileDialogs] { return fileDialogs == 1; }},
        {"ClearBtn",
         [this] { return !boxes().empty() && boxes().back().text.startsWith("Are you sure"); }},
        {"WordPrintBtn", [this] { return m_pdfDialogs == 1; }},
        {"ImprovePercentBtn",
         [this] { return control<QRadioButton>("ImprovePercentBtn")->isChecked(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.button);
        forgetBoxes();
        m_pdfDialogs = 0;
        fileDialogs = 0;
        startProgram();
        form().setFileDialog([&fileDialogs](QWidget*, const hc::FileDialogRequest&) {
            ++fileDialogs;
            return QString();
        });
        control<QLineEdit>("NewPwd")->setText("bee");
        control<QLineEdit>("NewPwd2")->setText("bee");
        auto* button = control<QAbstractButton>(row.button);
        button->setFocus();
        pressKey(*button, Qt::Key_Return);
        EXPECT_FALSE(program().hasEnded());
        EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
        EXPECT_TRUE(row.pressed());
    }

    // Cancel in the password box ends the program; it is no wrong password.
    writeOptions("Honey");
    startProgram();
    auto* cancel = widget<QPushButton>(box(), "CancelBtn");
    cancel->setFocus();
    pressKey(*cancel, Qt::Key_Enter);
    EXPECT_EQ(box().wrongPasswords(), 0);
    EXPECT_TRUE(program().hasEnded());
}

TEST_F(OptionsProgramTest, NumbersThatAreNotNumbersStopExitWithTheirMessage) {
    const struct {
        const char* field;
        const char* text;
        const char* message;
    } rows[] = {
        {"WordDelay", "2s", "'2s' is not a valid floating point value."},
        {"GetPercentBox", "9O", "'9O' is not a valid integer value."},
        {"ImprovePercentBox", "12.5", "'12.5' is not a valid integer value."},
        {"SpellWeight", "", "'' is not a valid floating point value."},
        {"PhonoWeight", "one", "'one' is not a valid floating point value."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        forgetBoxes();
        startProgram();
        memo()->setPlainText("owl");
        control<QLineEdit>(row.field)->setText(row.text);
        exit();
        expectOnlyBox(row.message, "Honeycombsettings", MessageIcon::Error);
        EXPECT_FALSE(program().hasEnded());
        EXPECT_TRUE(form().isVisible());
        // Nothing is written, the word list included.
        EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
        EXPECT_FALSE(std::filesystem::exists(path("WORDLIST.TXT")));
    }
}

TEST_F(OptionsProgramTest, ValuesThatBreakTheStudentProgramAreRefusedOnExit) {
    const struct {
        const char* field;
        const char* text;
        const char* message;
    } rows[] = {
        {"WordDelay", "0.4", "The number of seconds a word is visible must be from 0.5 to 60."},
        {"WordDelay", "61", "The number of seconds a word is visible must be from 0.5 to 60."},
        {"GetPercentBox", "101",
         "The percentage for \"the student scores at least\" must be from 0 to 100."},
        {"ImprovePercentBox", "-1",
         "The percentage for \"the student reduces their errors by\" must be from 0 to 100."},
        {"SpellWeight", "-1", "The Spelling Test weight must not be negative."},
        {"PhonoWeight", "-0,5", "The Phonogram Puzzle weight must not be negative."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        forgetBoxes();
        startProgram();
        control<QLineEdit>(row.field)->setText(row.text);
        exit();
        expectOnlyBox(row.message, kFormCaption, MessageIcon::Error);
        EXPECT_FALSE(program().hasEnded());
        EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
        EXPECT_FALSE(std::filesystem::exists(path("WORDLIST.TXT")));
    }

    forgetBoxes();
    startProgram();
    control<QLineEdit>("SpellWeight")->setText("0");
    control<QLineEdit>("PhonoWeight")->setText("0.00");
    exit();
    expectOnlyBox("The Spelling Test weight and the Phonogram Puzzle weight cannot both be 0.",
                  kFormCaption, MessageIcon::Error);
    EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
}

TEST_F(OptionsProgramTest, AWordTheFileCannotStoreIsReportedBeforeAnythingIsWritten) {
    writeFile(path("WORDLIST.TXT"), "cat\r\n");
    startProgram();
    memo()->setPlainText("cat\n\nsnow\xE2\x98\x83man\nd\xC3\xA9j\xC3\xA0");
    exit();
    expectOnlyBox("Line 3 of the word list holds characters the word list file cannot store: "
                  "\xE2\x98\x83",
                  kFormCaption, MessageIcon::Error);
    EXPECT_FALSE(program().hasEnded());
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "cat\r\n");
    EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
}

TEST_F(OptionsProgramTest, APathTheSettingsCannotHoldIsRefusedNamingItsField) {
    startProgram();
    control<QLineEdit>("FloppyFile")->setText(QString(300, 'x'));
    exit();
    expectOnlyBox("The file name for \"User file on floppy disk\" is too long: at most 255 "
                  "characters can be stored.",
                  kFormCaption, MessageIcon::Error);
    EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
}

// --- Security -------------------------------------------------------------------------------

TEST_F(OptionsProgramTest, ChangingThePassword) {
    writeOptions("old");
    startProgram();
    tryPassword("old");
    auto* oldPwd = control<QLineEdit>("OldPwd");
    auto* newPwd = control<QLineEdit>("NewPwd");
    auto* newPwd2 = control<QLineEdit>("NewPwd2");
    auto* change = control<QPushButton>("PwdBtn");
    EXPECT_EQ(newPwd->maxLength(), 49);
    EXPECT_EQ(newPwd->echoMode(), QLineEdit::Password);

    const struct {
        const char* old;
        const char* first;
        const char* second;
        const char* message;
        MessageIcon icon;
    } refused[] = {
        {"OLD", "new", "new", "Invalid Old Password!", MessageIcon::Error},
        {"old", "new", "New", "New Passwords Don't Match!", MessageIcon::Error},
        {"old", "b\xC3\xA9\x65", "b\xC3\xA9\x65",
         "The new password can only use the letters A to Z without accents, digits, spaces and "
         "the signs of an English keyboard.",
         MessageIcon::Error},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.message);
        forgetBoxes();
        oldPwd->setText(QString::fromUtf8(row.old));
        newPwd->setText(QString::fromUtf8(row.first));
        newPwd2->setText(QString::fromUtf8(row.second));
        click(*change);
        expectOnlyBox(row.message, kFormCaption, row.icon);
        EXPECT_EQ(GetPassword(), "old");
    }

    forgetBoxes();
    const QString longest(49, 'p');
    oldPwd->setText("old");
    newPwd->setText(longest);
    newPwd2->setText(longest);
    click(*change);
    expectOnlyBox("New Password set.", kFormCaption, MessageIcon::None);
    EXPECT_TRUE(oldPwd->text().isEmpty() && newPwd->text().isEmpty() && newPwd2->text().isEmpty());
    // Only Exit writes it.
    EXPECT_EQ(hc::password(savedOptions()), "old");
    exit();
    EXPECT_EQ(hc::password(savedOptions()), longest.toStdString());
}

TEST_F(OptionsProgramTest, AnEmptyNewPasswordRemovesTheGate) {
    writeOptions("old");
    startProgram();
    tryPassword("old");
    control<QLineEdit>("OldPwd")->setText("old");
    click(*control<QPushButton>("PwdBtn"));
    exit();
    EXPECT_EQ(hc::password(savedOptions()), "");
    startProgram();
    EXPECT_FALSE(box().isVisible());
    EXPECT_TRUE(form().isVisible());
}

// --- Directories ----------------------------------------------------------------------------

TEST_F(OptionsProgramTest, BrowsingFillsTheFieldsAndTheFloppyDialogStartsOnRemovableMedia) {
    std::vector<hc::FileDialogRequest> asked;
    startProgram();
    form().setFileDialog([&asked, this](QWidget*, const hc::FileDialogRequest& request) {
        asked.push_back(request);
        return QString::fromStdString(path("chosen.erf"));
    });
    for (const char* name : {"HDfileBrowse", "FloppyFileBrowse", "WordFileBrowse"}) {
        click(*control<QToolButton>(name));
    }
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].title, "User File on Hard Disk or Network");
    EXPECT_EQ(asked[0].defaultSuffix, "ERF");
    EXPECT_EQ(asked[0].startFolder, QString::fromStdString(dir().string()));
    EXPECT_EQ(asked[1].title, "User File on Floppy Disk");
    EXPECT_EQ(asked[2].title, "Word List file");
    EXPECT_EQ(asked[2].filter, "Text files (*.TXT *.txt)");
    for (const char* name : {"HDfile", "FloppyFile", "WordFile"}) {
        EXPECT_EQ(control<QLineEdit>(name)->text(), QString::fromStdString(path("chosen.erf")));
    }

    // The removable-media folder of the user, where there is one.
    const QString root = QString::fromStdString(dir().string());
    std::filesystem::create_directories(path("run-media/anna"));
    const QStringList roots = {root + "/media", root + "/run-media"};
    EXPECT_EQ(hc::DirectoriesPage::floppyStartFolder(roots, "anna", "/home/anna"),
              root + "/run-media/anna");
    std::filesystem::create_directories(path("media/anna"));
    EXPECT_EQ(hc::DirectoriesPage::floppyStartFolder(roots, "anna", "/home/anna"),
              root + "/media/anna");
    EXPECT_EQ(hc::DirectoriesPage::floppyStartFolder(roots, "ben", "/home/ben"), "/home/ben");
}

// --- Users ----------------------------------------------------------------------------------

TEST_F(OptionsProgramTest, UsersAreListedSortedWithTheirValues) {
    // Odd's record was damaged: a score that is not a number shows as a number, not "nan".
    addUsers("USERS.ERF", {{"Zoe", 66.666f},
                           {"adam", 40},
                           {"Mia", 100},
                           {"Odd", std::numeric_limits<float>::quiet_NaN()}});
    startProgram();
    const std::vector<QStringList> expected = {
        {"adam", "40.00", "3", "40.00", "12.50"},
        {"Mia", "100.00", "3", "100.00", "12.50"},
        {"Odd", "0.00", "3", "0.00", "12.50"},
        {"Zoe", "66.67", "3", "66.67", "12.50"},
    };
    EXPECT_EQ(rows(), expected);
    const QStringList captions = {"Name", "Score", "Program Runs", "Spelling Test",
                                  "Phonogram Puzzle"};
    const int widths[] = {80, 40, 79, 73, 116};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(userList()->headerItem()->text(c), captions[c]);
        EXPECT_EQ(userList()->columnWidth(c), widths[c]);
    }
}

TEST_F(OptionsProgramTest, DeletingAUserAsksFirst) {
    addUsers("USERS.ERF", {{"Zoe", 1}, {"Mia", 2}, {"Al", 3}});
    const std::string header =
        "time,user,activity,word,answer,result,test,puzzle,right_clicks,wrong_clicks,percent\r\n";
    const std::string zoe = "2026-03-02T09:00:00+01:00,Zoe,spelling,was,wos,wrong,1,,,,\r\n";
    const std::string mia = "2026-03-02T09:00:00+01:00,Mia,phonogram,,,,,3,16,4,80\r\n";
    writeFile(path("HISTORY.CSV"), header + mia + zoe + mia);
    startProgram();
    auto* deleteBtn = control<QToolButton>("DeleteBtn");
    userList()->clearSelection();
    click(*deleteBtn); // nothing selected: nothing happens
    EXPECT_TRUE(boxes().empty());

    selectUser("Mia");
    answer({MessageAnswer::No});
    click(*deleteBtn);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Are you sure you want to delete user Mia?");
    EXPECT_EQ(boxes()[0].caption, kFormCaption);
    EXPECT_EQ(boxes()[0].icon, MessageIcon::Question);
    EXPECT_EQ(boxes()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(boxes()[0].defaultAnswer, MessageAnswer::No);
    EXPECT_EQ(userNames("USERS.ERF").size(), 3u);

    click(*deleteBtn); // Enter on the question: No, its default
    EXPECT_EQ(userNames("USERS.ERF").size(), 3u);
    EXPECT_EQ(readFile(path("HISTORY.CSV")), header + mia + zoe + mia);

    answer({MessageAnswer::Yes});
    click(*deleteBtn);
    EXPECT_EQ(userNames("USERS.ERF"), (std::vector<std::string>{"Zoe", "Al"}));
    EXPECT_EQ(userList()->topLevelItemCount(), 2);
    EXPECT_TRUE(userList()->findItems("Mia", Qt::MatchExactly).isEmpty());
    // Her answers went with her, after the same one question.
    EXPECT_EQ(readFile(path("HISTORY.CSV")), header + zoe);
    EXPECT_EQ(boxes().size(), 3u);

    // The class's practice list from the Users page, over the period the teacher picks.
    form().setPracticeListDialogs(
        [](QWidget*, hc::PracticePeriod& period) {
            period = hc::PracticePeriod::All;
            return true;
        },
        [this](QWidget*, const QString&, const QString&) {
            return QString::fromStdString(path("CLASS.TXT"));
        });
    click(*control<QToolButton>("MakeListBtn"));
    EXPECT_EQ(readFile(path("CLASS.TXT")), "was\r\n");
}

TEST_F(OptionsProgramTest, TheDiskButtonSwitchesToTheFloppyFile) {
    SettingsRecord settings = hc::defaultSettings();
    hc::setText(settings.FloppyFile, "stick\\USERS.ERF");
    writeOptions(settings);
    std::filesystem::create_directory(path("stick"));
    addUsers("USERS.ERF", {{"Home", 1}});
    startProgram();
    auto* diskBtn = control<QToolButton>("DiskBtn");
    ASSERT_TRUE(diskBtn->isCheckable());

    // No floppy file: an empty list, no message.
    click(*diskBtn);
    EXPECT_TRUE(diskBtn->isChecked());
    EXPECT_EQ(userList()->topLevelItemCount(), 0);
    EXPECT_TRUE(boxes().empty());

    addUsers("stick/USERS.ERF", {{"Carried", 5}, {"Other", 6}});
    click(*diskBtn);
    click(*diskBtn);
    ASSERT_EQ(rows().size(), 2u);
    EXPECT_EQ(rows()[0][0], "Carried");

    // Deleting works on the file shown.
    selectUser("Carried");
    answer({MessageAnswer::Yes});
    click(*control<QToolButton>("DeleteBtn"));
    EXPECT_EQ(userNames("stick/USERS.ERF"), (std::vector<std::string>{"Other"}));
    EXPECT_EQ(userNames("USERS.ERF"), (std::vector<std::string>{"Home"}));

    click(*diskBtn);
    EXPECT_FALSE(diskBtn->isChecked());
    EXPECT_EQ(rows()[0][0], "Home");
}

// Fault guarded against: an empty floppy path was refused on entering the Users page and at
// Exit. It means no removable user file.
TEST_F(OptionsProgramTest, AnEmptyFloppyPathListsNothing) {
    addUsers("USERS.ERF", {{"Home", 1}});
    startProgram();
    control<QLineEdit>("FloppyFile")->setText("");
    pages()->setCurrentIndex(Users);
    EXPECT_EQ(rows().size(), 1u);
    click(*control<QToolButton>("DiskBtn"));
    EXPECT_EQ(userList()->topLevelItemCount(), 0);
    EXPECT_TRUE(boxes().empty());
    exit();
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(program().hasEnded());
    EXPECT_EQ(hc::textOf(savedOptions().FloppyFile), "");
}

TEST_F(OptionsProgramTest, EnteringTheUsersPageListsAChangedUserFile) {
    addUsers("USERS.ERF", {{"Old", 1}});
    addUsers("other.erf", {{"New", 2}});
    startProgram();
    pages()->setCurrentIndex(Directories);
    control<QLineEdit>("HDfile")->setText("other.erf");
    pages()->setCurrentIndex(Users);
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0][0], "New");
    EXPECT_EQ(hc::textOf(Settings.HDfile), "other.erf");
}

TEST_F(OptionsProgramTest, ADamagedUserFileShowsItsMessage) {
    writeFile(path("USERS.ERF"), std::string(300, 'x'));
    startProgram();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "UserFile Error: Corrupted ERF.");
    EXPECT_TRUE(form().isVisible());
}

// --- Word List ------------------------------------------------------------------------------

TEST_F(OptionsProgramTest, TheCounterFollowsTheMemo) {
    startProgram();
    auto* counter = control<QLabel>("NumberOfWords");
    EXPECT_EQ(counter->text(), "No Words");
    const struct {
        const char* text;
        const char* counter;
    } rows[] = {
        {"cat", "1 Word"}, {"cat\ndog", "2 Words"}, {"cat\n\ndog\n", "3 Words"}, {"", "No Words"}};
    for (const auto& row : rows) {
        memo()->setPlainText(row.text);
        EXPECT_EQ(counter->text(), row.counter) << row.text;
    }
}

TEST_F(OptionsProgramTest, LeavingTheWordListPageAsksToSave) {
    writeFile(path("WORDLIST.TXT"), "cat\r\ndog\r\n");
    startProgram();
    pages()->setCurrentIndex(WordList);
    EXPECT_EQ(memo()->toPlainText(), "cat\ndog");
    EXPECT_EQ(control<QLabel>("NumberOfWords")->text(), "2 Words");

    // Cancel: the page stays, with the edits.
    memo()->setPlainText(" bee \n\nhive");
    answer({MessageAnswer::Cancel});
    pages()->setCurrentIndex(Security);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Do you want to save this word list?");
    EXPECT_EQ(boxes()[0].caption, kFormCaption);
    EXPECT_EQ(boxes()[0].icon, MessageIcon::Question);
    EXPECT_EQ(boxes()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(pages()->currentIndex(), WordList);
    EXPECT_EQ(memo()->toPlainText(), " bee \n\nhive");

    // No: the edits are dropped, the file stays.
    answer({MessageAnswer::No});
    pages()->setCurrentIndex(Security);
    EXPECT_EQ(pages()->currentIndex(), Security);
    EXPECT_EQ(memo()->toPlainText(), "cat\ndog");
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "cat\r\ndog\r\n");

    // Yes: written as Exit writes it; only leaving this page asks.
    pages()->setCurrentIndex(WordList);
    memo()->setPlainText(" bee \n\nhive");
    answer({MessageAnswer::Yes});
    pages()->setCurrentIndex(Users);
    EXPECT_EQ(pages()->currentIndex(), Users);
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "bee\r\nhive\r\n");
    forgetBoxes();
    pages()->setCurrentIndex(Security);
    EXPECT_TRUE(boxes().empty());
    // Cancel later leaves what was saved on the way.
    click(*control<QPushButton>("CancelBtn"));
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "bee\r\nhive\r\n");
}

TEST_F(OptionsProgramTest, EnteringTheWordListPageLoadsTheFileNamedInItsField) {
    writeFile(path("other.txt"), "one\ntwo\rthree");
    startProgram();
    control<QLineEdit>("WordFile")->setText("other.txt");
    pages()->setCurrentIndex(WordList);
    EXPECT_EQ(memo()->toPlainText(), "one\ntwo\nthree");
    answer({MessageAnswer::No});
    control<QLineEdit>("WordFile")->setText("missing.txt");
    pages()->setCurrentIndex(Directories);
    pages()->setCurrentIndex(WordList);
    EXPECT_EQ(memo()->toPlainText(), "");
    EXPECT_EQ(control<QLabel>("NumberOfWords")->text(), "No Words");
}

TEST_F(OptionsProgramTest, ClearAndImportAskFirst) {
    writeFile(path("WORDLIST.TXT"), "cat\r\n");
    // One list as another editor saves it today (UTF-8 with a byte-order mark), one in the
    // program's own Windows-1252.
    writeFile(path("utf8.txt"), "\xEF\xBB\xBF"
                                "cr\xC3\xA8me\nbr\xC3\xBBl\xC3\xA9\n");
    writeFile(path("cp1252.txt"), "cr\xE8me\r\nna\xEFve\r\n");
    startProgram();
    pages()->setCurrentIndex(WordList);
    auto* counter = control<QLabel>("NumberOfWords");
    QString chosen;
    int dialogs = 0;
    form().setFileDialog([&](QWidget*, const hc::FileDialogRequest& request) {
        EXPECT_EQ(request.title, "Import Word List");
        ++dialogs;
        return chosen;
    });

    answer({MessageAnswer::No});
    click(*control<QToolButton>("ClearBtn"));
    EXPECT_EQ(boxes().back().text, "Are you sure you want to clear the word list?");
    EXPECT_EQ(boxes().back().defaultAnswer, MessageAnswer::No);
    EXPECT_EQ(memo()->toPlainText(), "cat");
    answer({MessageAnswer::Yes});
    click(*control<QToolButton>("ClearBtn"));
    EXPECT_EQ(memo()->toPlainText(), "");
    EXPECT_EQ(counter->text(), "No Words");

    answer({MessageAnswer::No});
    click(*control<QToolButton>("ImportBtn"));
    EXPECT_EQ(boxes().back().text, "Are you sure you want to replace this word list?");
    EXPECT_EQ(dialogs, 0);

    chosen = QString::fromStdString(path("utf8.txt"));
    answer({MessageAnswer::Yes});
    click(*control<QToolButton>("ImportBtn"));
    EXPECT_EQ(memo()->toPlainText(), "cr\u00E8me\nbr\u00FBl\u00E9");
    EXPECT_EQ(counter->text(), "2 Words");

    chosen = QString::fromStdString(path("cp1252.txt"));
    answer({MessageAnswer::Yes});
    click(*control<QToolButton>("ImportBtn"));
    EXPECT_EQ(memo()->toPlainText(), "cr\u00E8me\nna\u00EFve");

    chosen.clear(); // the dialog cancelled: the list stays
    answer({MessageAnswer::Yes});
    click(*control<QToolButton>("ImportBtn"));
    EXPECT_EQ(memo()->toPlainText(), "cr\u00E8me\nna\u00EFve");
    EXPECT_EQ(dialogs, 3);
    answer({MessageAnswer::Yes});
    pages()->setCurrentIndex(Security);
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "cr\xE8me\r\nna\xEFve\r\n");
}

TEST_F(OptionsProgramTest, CutCopyAndPasteGoThroughTheClipboard) {
    startProgram();
    memo()->setPlainText("cat\ndog");
    memo()->selectAll();
    click(*control<QToolButton>("CopyBtn"));
    click(*control<QToolButton>("CutBtn"));
    EXPECT_EQ(control<QLabel>("NumberOfWords")->text(), "No Words");
    click(*control<QToolButton>("PasteBtn"));
    click(*control<QToolButton>("PasteBtn"));
    EXPECT_EQ(memo()->toPlainText(), "cat\ndogcat\ndog");
    EXPECT_EQ(control<QLabel>("NumberOfWords")->text(), "3 Words");
}

// --- Accessibility --------------------------------------------------------------------------

TEST_F(OptionsProgramTest, FieldsAreNamedByTheirLabelsAndToolButtonsByTheirTips) {
    startProgram();
    const struct {
        const char* control;
        const char* name;
    } rows[] = {
        {"OldPwd", "Old Password:"},
        {"NewPwd", "New Password:"},
        {"NewPwd2", "New Password Again:"},
        {"HDfile", "User file on hard disk or network:"},
        {"FloppyFile", "User file on floppy disk:"},
        {"WordFile", "Word List file:"},
        {"WordDelay", "Number of seconds word visible:"},
        {"SpellWeight", "Weight:"},
        {"PhonoWeight", "Weight:"},
        {"DiskBtn", "Load from disk"},
        {"PrintBtn", "Print"},
        {"DeleteBtn", "Delete user"},
        {"ProgressBtn", "Progress"},
        {"MakeListBtn", "Make word list…"},
        {"ClearBtn", "Clear word list"},
        {"ImportBtn", "Import words from another file"},
        {"CutBtn", "Cut"},
        {"CopyBtn", "Copy"},
        {"PasteBtn", "Paste"},
        {"WordPrintBtn", "Print"},
        {"OkBtn", "Exit"},
        {"CancelBtn", "Cancel"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.control);
        QWidget* control = widget<QWidget>(form(), row.control);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(accessibleName(control), row.name);
        if (auto* tool = qobject_cast<QToolButton*>(control)) {
            EXPECT_EQ(tool->toolTip(), row.name);
        }
    }
    EXPECT_EQ(accessibleName(widget<QWidget>(box(), "PwdEdit")), "Enter teacher password:");
}

} // namespace
