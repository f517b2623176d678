// The login: choosing a user from either user file or making a new one, the spoken hints, the
// greeting guard on OK and Cancel, damaged and vanishing user files, and the names the box
// takes.

#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "student/login/login_form.h"
#include "student/login/name_validator.h"
#include "student/shell/narrator.h"
#include "student_test.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <filesystem>
#include <limits>

namespace hc::test::student {
namespace {

using hc::student::TLoginForm;

class LoginTest : public StudentTest {
protected:
    void SetUp() override {
        StudentTest::SetUp();
        extractBeeAnimations();
        std::filesystem::create_directory("floppy");
        hc::setText(Settings.FloppyFile, "floppy\\USERS.ERF");
    }
    void TearDown() override {
        m_login.reset();
        StudentTest::TearDown();
    }

    // The login as the menu shows it, its greeting spoken to the end.
    void open(bool waitForGreeting = true) {
        m_login = std::make_unique<TLoginForm>(*m_program);
        m_login->FormCreate();
        m_login->show();
        processEvents();
        if (waitForGreeting) {
            for (int i = 0; i < 6000 && m_login->narrator().busy(); ++i) {
                step(10ms);
            }
        }
    }
    QTreeWidget* list() { return control<QTreeWidget>(*m_login, "UserList"); }
    QStringList listed() {
        QStringList names;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            names << list()->topLevelItem(i)->text(0) + "/" + list()->topLevelItem(i)->text(1);
        }
        return names;
    }
    void typeNewUser(const QString& name, bool onDisk = false) {
        control<QTabWidget>(*m_login, "PageControl")->setCurrentIndex(1);
        control<QCheckBox>(*m_login, "NewDisk")->setChecked(onDisk);
        control<QLineEdit>(*m_login, "NameEdit")->setText(name);
    }
    void ok() { control<QPushButton>(*m_login, "OKbtn")->click(); }
    QString lastClip() { return m_login->narrator().lastClip(); }

    std::unique_ptr<TLoginForm> m_login;
};

TEST_F(LoginTest, AFreshInstallationMakesItsFirstUser) {
    open();
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_TRUE(messages().empty()) << "no user file yet is no error";
    control<QTabWidget>(*m_login, "PageControl")->setCurrentIndex(1);
    EXPECT_EQ(m_login->focusWidget(), control<QLineEdit>(*m_login, "NameEdit"))
        << "the New User page opens with the name box ready for typing";

    typeNewUser(QStringLiteral("Émile"));
    ok();
    EXPECT_FALSE(m_login->isVisible());
    EXPECT_EQ(m_login->result(), QDialog::Accepted);
    EXPECT_EQ(m_program->currentUserName(), "\xC9mile") << "stored in Windows-1252";
    EXPECT_EQ(m_program->currentUserFile(), "USERS.ERF");
    EXPECT_FALSE(m_program->userOnDisk());
    ASSERT_EQ(UserFileFind("USERS.ERF", "\xC9mile"), 0);
    EXPECT_EQ(CurrentUser.ProgramRuns, 1);
}

TEST_F(LoginTest, NamesAreUniquePerFileIgnoringCaseAndOnlyAnEmptyBoxIsRefused) {
    ASSERT_EQ(UserFileAdd("USERS.ERF", "Ada"), 0);
    open();
    typeNewUser(QStringLiteral("ADA"));
    ok();
    EXPECT_EQ(lastClip(), QStringLiteral("usrexist"));
    EXPECT_TRUE(m_login->isVisible());
    ok(); // while the bee says so, OK is refused
    EXPECT_TRUE(m_login->isVisible());

    m_login->narrator().stopButton().click();
    typeNewUser(QString());
    ok();
    EXPECT_EQ(lastClip(), QStringLiteral("typename"));
    EXPECT_TRUE(m_login->isVisible());

    // The same name may live once in each file.
    typeNewUser(QStringLiteral("ADA"), true);
    m_login->narrator().stopButton().click();
    ok();
    EXPECT_FALSE(m_login->isVisible());
    EXPECT_EQ(m_program->currentUserFile(), "floppy\\USERS.ERF");
    EXPECT_TRUE(m_program->userOnDisk());

    // A name of spaces only is a name.
    open();
    typeNewUser(QStringLiteral("   "));
    ok();
    EXPECT_FALSE(m_login->isVisible());
    EXPECT_EQ(m_program->currentUserName(), "   ");
}

TEST_F(LoginTest, PickingAUserFromEitherFile) {
    ASSERT_EQ(UserFileAdd("USERS.ERF", "zoe"), 0);
    ASSERT_EQ(UserFileAdd("USERS.ERF", "Bob"), 0);
    ASSERT_EQ(UserFileAdd("USERS.ERF", "alice"), 0);
    ASSERT_EQ(hc::recordResult("USERS.ERF", "Bob", hc::Activity::Spelling, 87), 0);
    // Regression: a score that is no number (a foreign file) showed as "-9223372036854775808".
    ASSERT_EQ(UserFileFind("USERS.ERF", "zoe"), 0);
    CurrentUser.Score = std::numeric_limits<float>::quiet_NaN();
    ASSERT_EQ(UserFileUpdate("USERS.ERF", "zoe"), 0);
    open();
    // Sorted, letter case aside; the score is the weighted one, cut to a whole number (87 for
    // spelling and nothing for the puzzle at equal weights: 43.5).
    EXPECT_EQ(listed(), QStringList({"alice/0", "Bob/43", "zoe/0"}));
    // One order: no sort arrow, and the headers are no sort buttons.
    EXPECT_FALSE(list()->header()->isSortIndicatorShown());
    EXPECT_FALSE(list()->header()->sectionsClickable());

    ok(); // nothing selected
    EXPECT_EQ(lastClip(), QStringLiteral("selname"));

    // "From Disk" without a floppy file: an empty list, silently.
    control<QCheckBox>(*m_login, "LoadDisk")->click();
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_TRUE(messages().empty());
    control<QCheckBox>(*m_login, "LoadDisk")->click();
    list()->setCurrentItem(list()->topLevelItem(1));
    m_login->narrator().stopButton().click();
    m_login->UserListDblClick();
    EXPECT_FALSE(m_login->isVisible());
    EXPECT_EQ(m_program->currentUserName(), "Bob");
    ASSERT_EQ(UserFileFind("USERS.ERF", "Bob"), 0);
    EXPECT_EQ(CurrentUser.ProgramRuns, 1);
    EXPECT_EQ(CurrentUser.SpellScores[9], 88) << "the record was counted, not replaced";
}

TEST_F(LoginTest, EnterAndEscapeWaitForTheGreeting) {
    ASSERT_EQ(UserFileAdd("USERS.ERF", "Ada"), 0);
    open(false);
    list()->setCurrentItem(list()->topLevelItem(0));
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(m_login.get(), &press);
        processEvents();
        EXPECT_TRUE(m_login->isVisible()) << "key " << key;
    }
    step(2010ms);
    EXPECT_EQ(lastClip(), QStringLiteral("welcome"));
    m_login->reject(); // Escape while the bee speaks
    EXPECT_TRUE(m_login->isVisible());
    m_login->narrator().stopButton().click();
    m_login->reject();
    EXPECT_FALSE(m_login->isVisible());
    EXPECT_EQ(m_login->result(), QDialog::Rejected);
    EXPECT_TRUE(m_program->currentUserName().empty());
}

TEST_F(LoginTest, DamagedOrVanishedUserFilesAreReportedAndNobodyIsLoggedIn) {
    hc::test::writeFile("USERS.ERF", std::string(300, 'x'));
    open();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("UserFile Error: Corrupted ERF."));
    EXPECT_TRUE(listed().isEmpty());

    // A file that goes away between listing and OK: the login stays open, nobody logs in.
    std::filesystem::remove("USERS.ERF");
    ASSERT_EQ(UserFileAdd("USERS.ERF", "Ada"), 0);
    open();
    list()->setCurrentItem(list()->topLevelItem(0));
    std::filesystem::remove("USERS.ERF");
    messages().clear();
    m_program->app().guard([&] { m_login->OKbtnClick(); });
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("UserFile Error: Can't open file."));
    EXPECT_TRUE(m_login->isVisible());
    EXPECT_TRUE(m_program->currentUserName().empty());
}

TEST_F(LoginTest, ANameThatExistsIsAnsweredBeforeTheFileIsCheckedForAChange) {
    // A file whose checksum no longer matches (a score changed by hand): the name is found by
    // reading alone and answered "usrexist"; a new name still gets the file's message.
    ASSERT_EQ(UserFileAdd("USERS.ERF", "Ada"), 0);
    std::string bytes = hc::test::readFile("USERS.ERF");
    bytes[264 + 276] = 5;
    hc::test::writeFile("USERS.ERF", bytes);
    CurrentUser = hc::newUserRecord("Zed"); // the user logged in before New User
    open();
    messages().clear();
    struct Row {
        const char* typed;
        const char* clip;
        const char* message;
    };
    for (const Row& row : {Row{"Bob", "welcome", "UserFile Error: Corrupted ERF."},
                           Row{"ada", "usrexist", nullptr}}) {
        m_login->narrator().stopButton().click();
        typeNewUser(QString::fromLatin1(row.typed));
        m_program->app().guard([&] { m_login->OKbtnClick(); });
        EXPECT_EQ(lastClip(), QString::fromLatin1(row.clip)) << row.typed;
        ASSERT_EQ(messages().size(), row.message ? 1u : 0u) << row.typed;
        if (row.message) {
            EXPECT_EQ(messages()[0].text, QString::fromLatin1(row.message));
        }
        messages().clear();
        EXPECT_TRUE(m_login->isVisible());
        EXPECT_EQ(hc::recordName(CurrentUser), "Zed") << "the look changes no record in memory";
    }
    EXPECT_EQ(hc::test::readFile("USERS.ERF"), bytes);
}

TEST_F(LoginTest, TheNameBoxTakesOnlyNamesTheFileCanStore) {
    using hc::student::UserNameValidator;
    EXPECT_TRUE(UserNameValidator::acceptable(QStringLiteral("Zoë Ångström")));
    EXPECT_TRUE(UserNameValidator::acceptable(QString(255, QLatin1Char('a'))));
    EXPECT_TRUE(UserNameValidator::acceptable(QString(255, QChar(0xE9))))
        << "255 characters of one byte each in Windows-1252";
    EXPECT_FALSE(UserNameValidator::acceptable(QString(256, QLatin1Char('a'))));
    EXPECT_FALSE(UserNameValidator::acceptable(QStringLiteral("Ann\tB")));
    EXPECT_FALSE(UserNameValidator::acceptable(QStringLiteral("Ann\nB")));
    EXPECT_FALSE(UserNameValidator::acceptable(QString(QChar(0x81))))
        << "a control character even though its byte exists";
    EXPECT_FALSE(UserNameValidator::acceptable(QStringLiteral("Łukasz"))) << "not in Windows-1252";

    // The box keeps what it had when such text is typed or pasted.
    open(false);
    auto* box = control<QLineEdit>(*m_login, "NameEdit");
    box->insert(QStringLiteral("Ann"));
    box->insert(QStringLiteral("Ł"));
    box->insert(QStringLiteral("\t"));
    EXPECT_EQ(box->text(), QStringLiteral("Ann"));
}

} // namespace
} // namespace hc::test::student
