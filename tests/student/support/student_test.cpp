#include "student_test.h"

#include "archive/erf_reader.h"
#include "archive/erf_writer.h"
#include "archive/temp_files.h"
#include "content/entry_names.h"
#include "content/pictures.h"
#include "datafiles/settings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>

#include <cstdlib>
#include <filesystem>

namespace hc::test::student {
namespace {

// The program's own settings of the one test application, made once.
void prepareApplication() {
    static const bool prepared = [] {
        application().setQuitOnLastWindowClosed(false);
        hc::pictures::registerPictures();
        return true;
    }();
    (void)prepared;
}

} // namespace

std::string StudentTest::dataErfPath() {
    const char* dir = std::getenv("HC_PROGRAM_DIR");
    return (std::filesystem::path(dir != nullptr ? dir : ".") / "DATA.ERF").string();
}

void StudentTest::SetUp() {
    TempDirTest::SetUp();
    prepareApplication();
    if (const char* tmp = std::getenv("TMP")) {
        m_hadTmp = true;
        m_savedTmp = tmp;
    }
    m_tmpDir = (dir() / "tmp").string();
    std::filesystem::create_directory(m_tmpDir);
    setenv("TMP", m_tmpDir.c_str(), 1);

    Settings = hc::defaultSettings();
    hc::setStartDirectory(dir().string());

    auto boxes = std::make_unique<RecordingBoxes>();
    m_boxes = boxes.get();
    application().setMessageBoxPresenter(std::move(boxes));

    ErfCloseAll();
    ErfTempFileManagerStartUp();
    useArchive(dataErfPath());
    m_program = std::make_unique<hc::student::ProgramState>(application(), m_media);
}

void StudentTest::TearDown() {
    m_program.reset();
    processEvents();
    ErfCloseAll();
    ErfTempFileManagerExit();
    application().setMessageBoxPresenter(nullptr);
    m_boxes = nullptr;
    if (m_hadTmp) {
        setenv("TMP", m_savedTmp.c_str(), 1);
    } else {
        unsetenv("TMP");
    }
    TempDirTest::TearDown();
}

void StudentTest::useArchive(const std::string& path) {
    ErfCloseAll();
    const ErfResult result = ErfOpenArchive(path.c_str(), false, nullptr, nullptr);
    ASSERT_EQ(result, 0) << "cannot open " << path;
}

std::string StudentTest::entryBytes(const std::string& name) {
    std::string bytes;
    if (ErfOpenEntry(name.c_str()) == nullptr) {
        ADD_FAILURE() << "no entry " << name;
        return bytes;
    }
    char buffer[65536];
    while (!ErfEntryEnded()) {
        const std::size_t got = ErfRead(sizeof buffer, buffer);
        if (got == 0) {
            ADD_FAILURE() << "damaged entry " << name;
            break;
        }
        bytes.append(buffer, got);
    }
    return bytes;
}

void StudentTest::writeArchive(const std::string& path, const std::vector<std::string>& copied,
                               const std::vector<std::pair<std::string, std::string>>& extra) {
    hc::ErfWriter writer(path, "test");
    auto add = [&](const std::string& name, const std::string& bytes) {
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        ASSERT_TRUE(writer.addEntry(name, {data, bytes.size()}, false)) << writer.error();
    };
    for (const std::string& name : copied) {
        add(name, entryBytes(name));
    }
    for (const auto& [name, bytes] : extra) {
        add(name, bytes);
    }
    ASSERT_TRUE(writer.finish()) << writer.error();
}

void StudentTest::extractBeeAnimations() {
    ExtractToTempFile(std::string(hc::entries::kBeeIdle), m_program->idleAnimationFile);
    ExtractToTempFile(std::string(hc::entries::kBeeTalk), m_program->talkAnimationFile);
}

void StudentTest::pressKey(QWidget& target, int key, bool repeat, unsigned long timestamp) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier,
                    key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r"), repeat);
    press.setTimestamp(timestamp);
    QApplication::sendEvent(&target, &press);
}

void StudentTest::releaseKey(QWidget& target, int key, unsigned long timestamp) {
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    release.setTimestamp(timestamp);
    QApplication::sendEvent(&target, &release);
}

void StudentTest::processEvents() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void StudentTest::step(std::chrono::milliseconds time) {
    processEvents();
    while (time > 0ms) {
        const auto piece = std::min(time, 10ms);
        m_clock.advance(piece);
        processEvents();
        time -= piece;
    }
}

void StudentTest::driveWhile(const std::function<void()>& blocking,
                             const std::function<bool()>& tick,
                             std::chrono::milliseconds clockStep) {
    QTimer driver;
    driver.setInterval(0);
    bool ticking = true;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (!ticking) {
            return;
        }
        m_clock.advance(clockStep);
        ticking = tick();
    });
    driver.start();
    blocking();
    driver.stop();
}

std::vector<std::string> StudentTest::temporaryFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_tmpDir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("qrv", 0) == 0) {
            names.push_back(name);
        }
    }
    return names;
}

} // namespace hc::test::student
