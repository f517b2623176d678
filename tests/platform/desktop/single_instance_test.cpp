#include "platform/desktop/single_instance.h"

#include "temp_dir.h"

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>

#include <sys/types.h>
#include <unistd.h>

namespace {

// Starts of the program are played by real processes of the probe, each one a separate copy.
class SingleInstanceTest : public hc::test::TempDirTest {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "hc_single_instance_test";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr) {
            s_app = std::make_unique<QCoreApplication>(argc, argv);
        }
    }
    static void TearDownTestSuite() { s_app.reset(); }

    // Starts a probe that claims `name` and returns it once it has said how it went.
    std::unique_ptr<QProcess> start(const QString& dir, const QString& name,
                                    const QString& mode = "hold") {
        auto probe = std::make_unique<QProcess>();
        probe->start(HC_SINGLE_INSTANCE_PROBE, {dir, name, mode});
        EXPECT_TRUE(probe->waitForStarted(10000));
        while (!probe->canReadLine() && probe->waitForReadyRead(10000)) {
        }
        return probe;
    }

    // Runs one more start to its end and returns its verdict.
    std::string verdictOfNewStart(const QString& dir, const QString& name) {
        auto probe = start(dir, name);
        const std::string verdict = probe->readLine().trimmed().toStdString();
        probe->closeWriteChannel();
        EXPECT_TRUE(probe->waitForFinished(10000));
        return verdict;
    }

    static std::string firstLine(QProcess& probe) {
        return probe.readLine().trimmed().toStdString();
    }

    QString dirName() const { return QString::fromStdString(dir().string()); }

    static std::unique_ptr<QCoreApplication> s_app;
};

std::unique_ptr<QCoreApplication> SingleInstanceTest::s_app;

TEST_F(SingleInstanceTest, SecondCopyIsRefusedWhileTheFirstRuns) {
    auto first = start(dirName(), "honeycomb");
    EXPECT_EQ(firstLine(*first), "first");
    EXPECT_EQ(verdictOfNewStart(dirName(), "honeycomb"), "another");
    EXPECT_EQ(verdictOfNewStart(dirName(), "honeycomb"), "another");
    // Another program's claim is its own.
    EXPECT_EQ(verdictOfNewStart(dirName(), "options"), "first");
    // The running copy is not disturbed by the refused starts.
    EXPECT_EQ(first->state(), QProcess::Running);

    first->closeWriteChannel();
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(verdictOfNewStart(dirName(), "honeycomb"), "first");
}

// Regression: a copy that crashed (killed outright, no clean-up) must not leave a claim that
// blocks every later start.
TEST_F(SingleInstanceTest, CrashedCopyLeavesNoStaleClaim) {
    auto first = start(dirName(), "honeycomb");
    ASSERT_EQ(firstLine(*first), "first");
    first->kill();
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(std::filesystem::exists(dir() / "honeycomb.lock"));
    EXPECT_EQ(verdictOfNewStart(dirName(), "honeycomb"), "first");
}

// Regression: a child process the program started must not inherit the claim and keep it
// after the program has ended.
TEST_F(SingleInstanceTest, ChildOfAnEndedCopyDoesNotKeepTheClaim) {
    auto parent = start(dirName(), "honeycomb", "spawn");
    ASSERT_EQ(firstLine(*parent), "first");
    ASSERT_TRUE(parent->waitForFinished(10000));
    const std::string childLine = parent->readLine().trimmed().toStdString();
    ASSERT_EQ(childLine.rfind("child ", 0), 0u) << childLine;
    const pid_t child = static_cast<pid_t>(std::stoi(childLine.substr(6)));
    ASSERT_EQ(::kill(child, 0), 0) << "the child should still be running";

    EXPECT_EQ(verdictOfNewStart(dirName(), "honeycomb"), "first");
    ::kill(child, SIGKILL);
}

// The default directory is this user's own and the claim works there too.
TEST_F(SingleInstanceTest, DefaultDirectoryWorksAcrossProcesses) {
    const std::filesystem::path lockDir = hc::SingleInstance::defaultLockDirectory();
    ASSERT_FALSE(lockDir.empty());
    ASSERT_TRUE(std::filesystem::is_directory(lockDir));
    const QString name = QString("hc-single-instance-test-%1").arg(::getpid());

    auto first = start("-", name);
    EXPECT_EQ(firstLine(*first), "first");
    EXPECT_EQ(verdictOfNewStart("-", name), "another");
    first->closeWriteChannel();
    ASSERT_TRUE(first->waitForFinished(10000));
    std::filesystem::remove(lockDir / (name.toStdString() + ".lock"));
}

// A lock directory that cannot be used lets the program run rather than never start.
TEST_F(SingleInstanceTest, UnusableLockDirectoryLetsTheProgramRun) {
    const hc::SingleInstance instance("honeycomb", dir() / "no-such-directory");
    EXPECT_FALSE(instance.anotherCopyRunning());
}

// Two claims within one process conflict as well: the claim is per open, not per process.
TEST_F(SingleInstanceTest, ClaimEndsWithTheObject) {
    {
        const hc::SingleInstance first("honeycomb", dir());
        EXPECT_FALSE(first.anotherCopyRunning());
        const hc::SingleInstance second("honeycomb", dir());
        EXPECT_TRUE(second.anotherCopyRunning());
    }
    const hc::SingleInstance again("honeycomb", dir());
    EXPECT_FALSE(again.anotherCopyRunning());
}

} // namespace
